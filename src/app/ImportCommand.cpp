#include "app/ImportCommand.h"

#include "app/CommandLine.h"
#include "core/Errors.h"
#include "db/Import.h"

#include <cstdio>
#include <unistd.h>

namespace ostrivo {

namespace {

QString rate(const db::ImportProgress& p)
{
    return p.seconds > 0 ? QStringLiteral("%1 righe/s").arg(static_cast<qint64>(static_cast<double>(p.rows) / p.seconds))
                         : QString();
}

// On a terminal, one bar that fills as the rows go; elsewhere one line per table.
class ProgressReport {
public:
    ProgressReport(QTextStream& out, QTextStream& err) : out_(out), err_(err), terminal_(isatty(STDERR_FILENO) == 1) {}

    void operator()(const db::ImportProgress& p)
    {
        const bool done = p.rows == p.totalRows;
        if (terminal_) {
            constexpr int width = 30;
            const int filled = p.totalRows > 0 ? static_cast<int>(width * p.rows / p.totalRows) : width;
            err_ << '\r' << p.table << " [" << QString(filled, QLatin1Char('#')) << QString(width - filled, QLatin1Char(' '))
                 << "] " << p.rows << '/' << p.totalRows << ' ' << rate(p) << "   ";
            if (done)
                err_ << '\n';
            err_.flush();
            return;
        }
        if (done) {
            out_ << p.table << ": " << p.rows << " righe copiate in " << QString::number(p.seconds, 'f', 2) << " s ("
                 << rate(p) << ")\n";
            out_.flush();
        }
    }

private:
    QTextStream& out_;
    QTextStream& err_;
    bool terminal_;
};

}  // namespace

int runImportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList files;
    db::ImportOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("--replace")) {
            options.replace = true;
        } else if (a == QLatin1String("--table")) {
            if (i + 1 >= arguments.size()) {
                err << "ostrivo-report: --table vuole il nome di una tabella\n";
                return exitcode::BadUsage;
            }
            options.tables << arguments.at(++i);
        } else if (a.startsWith(QLatin1String("--"))) {
            err << "ostrivo-report: opzione sconosciuta per import: " << a << '\n';
            return exitcode::BadUsage;
        } else {
            files << a;
        }
    }
    if (files.size() != 2) {
        err << "ostrivo-report: import vuole il file di origine e il file di collegamento al server\n"
               "  ostrivo-report import SORGENTE DESTINAZIONE [--replace] [--table NOME]...\n";
        return exitcode::BadUsage;
    }
    try {
        ProgressReport report(out, err);
        db::importDatabase(files.at(0), files.at(1), options, [&](const db::ImportProgress& p) { report(p); });
    } catch (const Error& e) {
        err << "ostrivo-report: importazione non riuscita: " << e.description() << '\n';
        return exitcode::Failed;
    }
    return exitcode::Printed;
}

}  // namespace ostrivo
