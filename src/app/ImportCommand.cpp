#include "app/ImportCommand.h"

#include "app/CommandLine.h"
#include "core/Errors.h"
#include "db/Import.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace ostrivo {

QString importRate(const db::ImportProgress& p)
{
    if (p.seconds <= 0)
        return {};
    // Two figures at least: a table of huge memos copies a row or less a second, not "0".
    const auto figure = [](double value) {
        return value >= 100 ? QString::number(static_cast<qint64>(value)) : QString::number(value, 'g', 2);
    };
    return QStringLiteral("%1 righe/s, %2 MB/s")
        .arg(figure(static_cast<double>(p.rows) / p.seconds), figure(static_cast<double>(p.bytes) / p.seconds / 1e6));
}

namespace {

// On a terminal, one bar that fills as the rows go; then, once the import is committed, one line
// per table.
class ProgressReport {
public:
    ProgressReport(QTextStream& out, QTextStream& err) : out_(out), err_(err), terminal_(isatty(STDERR_FILENO) == 1) {}

    void operator()(const db::ImportProgress& p)
    {
        if (p.copied) {
            endBar();
            out_ << p.table << ": " << p.rows << " righe copiate in " << QString::number(p.seconds, 'f', 2) << " s ("
                 << importRate(p) << ")\n";
            out_.flush();
            return;
        }
        if (!terminal_)
            return;
        constexpr int width = 30;
        const int filled = p.totalRows > 0 ? static_cast<int>(width * std::min(p.rows, p.totalRows) / p.totalRows) : width;
        err_ << '\r' << p.table << " [" << QString(filled, QLatin1Char('#')) << QString(width - filled, QLatin1Char(' '))
             << "] " << p.rows << '/' << p.totalRows << ' ' << importRate(p) << "   ";
        barOpen_ = true;
        if (p.rows >= p.totalRows)
            endBar();
        err_.flush();
    }

    void endBar()
    {
        if (barOpen_)
            err_ << '\n';
        barOpen_ = false;
    }

private:
    QTextStream& out_;
    QTextStream& err_;
    bool terminal_;
    bool barOpen_ = false;
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
    ProgressReport report(out, err);
    try {
        db::importDatabase(files.at(0), files.at(1), options, [&](const db::ImportProgress& p) { report(p); });
    } catch (const Error& e) {
        report.endBar();
        err << "ostrivo-report: importazione non riuscita, il server resta com'era: " << e.description() << '\n';
        return exitcode::Failed;
    }
    return exitcode::Printed;
}

}  // namespace ostrivo
