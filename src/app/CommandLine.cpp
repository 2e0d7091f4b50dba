#include "app/CommandLine.h"

#include "app/Designer.h"
#include "app/ImportCommand.h"
#include "app/PrintCommand.h"
#include "app/ResaveCommand.h"
#include "core/Files.h"
#include "core/Version.h"
#include "print/QtPrinter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QTextStream>
#include <cstdio>

namespace ostrivo {

QString usageText()
{
    return QStringLiteral(
        "Gestore report Ostrivo 3.0: report template designer and report printer.\n"
        "\n"
        "Usage:\n"
        "  ostrivo-report                      designer, or print request mode when\n"
        "                                      Varnil3<PCLocal>.pss exists in the current directory\n"
        "  ostrivo-report print TEMPLATE [--values \"v1,v2,\"] [--printer NAME] [--output FILE]\n"
        "                                [--trace FILE] [--date \"dd/mm/yyyy hh:mm\"]\n"
        "                                [--query-timeout SECONDS]\n"
        "  ostrivo-report check TEMPLATE       read the template as every reader would (the print\n"
        "                                      run and the designer) and list each problem with\n"
        "                                      its line\n"
        "  ostrivo-report resave TEMPLATE [--output FILE]\n"
        "                                      open the template as the designer does and write it\n"
        "                                      as its save does: over TEMPLATE, or to FILE\n"
        "  ostrivo-report import SOURCE DEST [--replace] [--table NAME]...\n"
        "                                      copy an Access or SQLite file's tables into the\n"
        "                                      PostgreSQL database named by the connection file DEST\n"
        "  ostrivo-report FILE.vn3             the designer, with that template open\n"
        "  ostrivo-report --help | --version\n"
        "\n"
        "--values is the list the parameter dialog's \"Ok\" gives, each value followed by a comma;\n"
        "numbers take \".\" as the decimal mark (1234.5, not 1.234,5), dates are dd/mm/yyyy; a\n"
        "parameter without a value takes its default. --output writes a PDF (default %1).\n"
        "--query-timeout ends the print when one query of the template works longer (default 60).\n"
        "\n"
        "Exit status: 0 printed (check: no problem; resave: written); 1 failed (check: problems\n"
        "listed; resave: nothing written); 2 bad usage; 3 printed, but some elements failed.\n")
        .arg(QtPrinter::DefaultPdfFile);
}

namespace {

// stderr carries the program's own messages, which scripts read: the toolkit's notes about the
// desktop session (no runtime folder when run from cron or a service) stay out of it.
void commandLineMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    QTextStream(stderr) << qFormatLogMessage(type, context, message) << '\n';
}

bool isTemplateArgument(const QString& argument)
{
    if (argument.startsWith(QLatin1Char('-')))
        return false;
    return argument.endsWith(QLatin1String(".vn3"), Qt::CaseInsensitive) || QFileInfo(argument).isFile();
}

}  // namespace

int runProgram(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const std::optional<QString> text = decodedFileName(bytes);
        if (!text) {
            // Any argument may be a file name: one that cannot be read as it is written would
            // name another file.
            QTextStream(stderr) << "ostrivo-report: \"" << bytesForMessage(bytes)
                                << "\": l'argomento non è testo UTF-8: come nome di file ne "
                                   "diventerebbe un altro\n";
            return exitcode::BadUsage;
        }
        args.append(*text);
    }

    if (args.isEmpty())
        return runDesigner(argc, argv);

    QTextStream out(stdout);
    QTextStream errs(stderr);
    if (args.value(0) == QLatin1String("--help") || args.value(0) == QLatin1String("-h")) {
        out << usageText();
        return exitcode::Printed;
    }
    if (args.value(0) == QLatin1String("--version")) {
        out << "ostrivo-report " << programVersion() << '\n';
        return exitcode::Printed;
    }
    const QString command = args.value(0);
    if (command == QLatin1String("print") || command == QLatin1String("check") || command == QLatin1String("resave")) {
        // No display is needed: fonts, pictures and PDF work on the offscreen platform.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(commandLineMessages);
        QGuiApplication app(argc, argv);
        const QStringList rest = args.mid(1);
        const int status = command == QLatin1String("print")   ? runPrintCommand(rest, out, errs)
                           : command == QLatin1String("check") ? runCheckCommand(rest, out, errs)
                                                               : runResaveCommand(rest, out, errs);
        out.flush();
        errs.flush();
        return status;
    }
    if (command == QLatin1String("import")) {
        // No display, no fonts: the import runs on a server as it is.
        qInstallMessageHandler(commandLineMessages);
        QCoreApplication app(argc, argv);
        const int status = runImportCommand(args.mid(1), out, errs);
        out.flush();
        errs.flush();
        return status;
    }
    // What a file manager starts on a double click: the designer with that template.
    if (args.size() == 1 && isTemplateArgument(command))
        return runDesigner(argc, argv, command);
    errs << "ostrivo-report: comando sconosciuto \"" << command << "\"\n\n" << usageText();
    return exitcode::BadUsage;
}

}  // namespace ostrivo
