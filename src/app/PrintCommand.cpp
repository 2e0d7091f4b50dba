#include "app/PrintCommand.h"

#include "app/CommandLine.h"
#include "app/ResaveCommand.h"
#include "engine/NamedFiles.h"
#include "engine/ParameterPrompts.h"
#include "engine/PrintInputs.h"
#include "engine/PrintRun.h"
#include "core/Cp1252.h"
#include "core/Files.h"
#include "db/Backend.h"
#include "print/widgets/SystemPrinters.h"
#include "print/QtPrintSink.h"
#include "print/TraceSink.h"
#include "template/Helpers.h"
#include "template/TemplateReader.h"

#include <QDateTime>
#include <QFile>
#include <QScopeGuard>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <unistd.h>

namespace ostrivo {

namespace {

struct PrintOptions {
    QString templatePath;
    std::optional<QString> values;
    std::optional<QString> printer;
    std::optional<QString> output;
    std::optional<QString> trace;
    std::optional<QDateTime> date;
    std::optional<std::chrono::milliseconds> queryTimeout;
};

class UsageError {
public:
    explicit UsageError(QString message) : message(std::move(message)) {}
    QString message;
};

PrintOptions parsePrintOptions(const QStringList& arguments)
{
    PrintOptions options;
    auto valueOf = [&](qsizetype& i) {
        if (i + 1 >= arguments.size())
            throw UsageError(QStringLiteral("%1 richiede un valore").arg(arguments.at(i)));
        return arguments.at(++i);
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("--values")) {
            options.values = valueOf(i);
        } else if (a == QLatin1String("--printer")) {
            options.printer = valueOf(i);
        } else if (a == QLatin1String("--output")) {
            options.output = valueOf(i);
        } else if (a == QLatin1String("--trace")) {
            options.trace = valueOf(i);
        } else if (a == QLatin1String("--date")) {
            const QString text = valueOf(i);
            const QDateTime date = QDateTime::fromString(text, QStringLiteral("dd/MM/yyyy hh:mm"));
            if (!date.isValid())
                throw UsageError(QStringLiteral("--date \"%1\": data non valida, la forma è \"dd/mm/yyyy hh:mm\"").arg(text));
            options.date = date;
        } else if (a == QLatin1String("--query-timeout")) {
            const QString text = valueOf(i);
            bool ok = false;
            const double seconds = text.toDouble(&ok);
            if (!ok || !(seconds > 0) || seconds > 86400)
                throw UsageError(QStringLiteral("--query-timeout %1: servono i secondi, un numero maggiori di zero e al più 86400")
                                     .arg(quoteInput(text)));
            options.queryTimeout = std::chrono::milliseconds(static_cast<std::int64_t>(std::ceil(seconds * 1000)));
        } else if (a.startsWith(QLatin1String("--"))) {
            throw UsageError(QStringLiteral("opzione sconosciuta %1").arg(a));
        } else if (options.templatePath.isEmpty()) {
            options.templatePath = a;
        } else {
            throw UsageError(QStringLiteral("un solo modello di stampa (c'è anche %1)").arg(a));
        }
    }
    if (options.templatePath.isEmpty())
        throw UsageError(QStringLiteral("manca il modello di stampa (MODELLO)"));
    if (options.output && options.printer && *options.printer != pdfPrinterName())
        throw UsageError(QStringLiteral("--output scrive un PDF: si usa solo con --printer PDF"));
    return options;
}

}  // namespace

QString valuesWithDefaults(const QString& templatePath, const QString* values)
{
    const std::vector<ParameterPrompt> prompts = readParameterPrompts(templatePath);
    QString result;
    for (std::size_t i = 0; i < prompts.size(); ++i) {
        QString value;
        bool given = false;
        const ParameterPrompt& p = prompts[i];
        if (values) {
            try {
                value = EstraiCampo(*values, static_cast<int>(i) + 1).trimmed();
                given = true;
            } catch (const MissingFieldError&) {
            }
        }
        const QString typed = given ? value : initialValue(p, QString());
        if (const std::optional<QString> why = typeMismatch(typed, p.typeWord, p.op)) {
            const QString parameter = QStringLiteral("del parametro %1 (%2, %3)").arg(i + 1).arg(p.column, quoteInput(p.prompt));
            throw Error(err::TypeMismatch,
                        given ? QStringLiteral("--values: il valore %1 %2 %3").arg(quoteInput(typed), parameter, *why)
                              : QStringLiteral("il valore predefinito %1 %2 %3: dargliene uno con --values")
                                    .arg(quoteInput(typed), parameter, *why));
        }
        if (!given) {
            // A default means here what the dialog's "Ok" makes of it. It holds no comma (it is a
            // field of its record), so valueOnOk never refuses it.
            value = valueOnOk(typed, p.typeWord, p.op).value_or(typed.trimmed());
        } else if (p.typeWord == QLatin1String("Date")) {
            // A date as Enter completes it (010524 is 01/05/2024): the print reads that form.
            value = normaliseTypedValue(value, p.typeWord, p.op);
        }
        result += value + QLatin1Char(',');
    }
    return result;
}

int runPrintCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    PrintOptions options;
    try {
        options = parsePrintOptions(arguments);
    } catch (const UsageError& e) {
        err << "ostrivo-report print: " << e.message << "\n\n" << usageSynopsis();
        return exitcode::BadUsage;
    }

    const QString printerName = options.output ? pdfPrinterName() : options.printer.value_or(defaultPrinter());
    if (!availablePrinters().contains(printerName)) {
        err << "ostrivo-report print: " << UnknownPrinterError(printerName, availablePrinters()).description() << '\n';
        return exitcode::BadUsage;
    }
    if (!QFile::exists(options.templatePath)) {
        err << options.templatePath << ": il modello di stampa non esiste\n";
        return exitcode::Failed;
    }
    // The outputs are named from the folder the command started in, the template's names from its
    // own folder; they are compared as the files they are.
    QStringList outputNames;
    if (printerName == pdfPrinterName())
        outputNames << options.output.value_or(QString(QtPrintSink::DefaultPdfFile));
    if (options.trace)
        outputNames << *options.trace;
    QStringList outputs;
    for (const QString& name : outputNames)
        outputs << QFileInfo(name).absoluteFilePath();
    const QString pdfOutput = printerName == pdfPrinterName() ? outputs.first() : QString();
    const std::optional<QString> trace = options.trace ? std::optional(outputs.last()) : std::nullopt;
    const QString templatePath = enterTemplateFolder(options.templatePath);
    // Nothing is opened for writing before it is sure that no output is an input of the run.
    std::optional<QString> conflict;
    try {
        conflict = outputOverInput(outputs, printInputFiles(templatePath), outputNames);
    } catch (const Error& e) {
        err << e.description() << '\n';
        return exitcode::Failed;
    }
    if (conflict) {
        err << "ostrivo-report print: " << *conflict << '\n';
        return exitcode::BadUsage;
    }

    if (options.queryTimeout)
        db::setQueryTimeLimit(*options.queryTimeout);
    int elementErrors = 0;
    QString written;
    QString values;
    try {
        values = valuesWithDefaults(templatePath, options.values ? &*options.values : nullptr);
    } catch (const TemplateError& e) {
        err << e.description() << '\n';
        return exitcode::Failed;
    } catch (const Error& e) {
        // A value that cannot be its parameter's is the command line's.
        err << "ostrivo-report print: " << e.description() << '\n';
        return exitcode::BadUsage;
    }
    try {
        std::unique_ptr<Printer> printer = makePrinter(printerName, pdfOutput);
        written = pdfFileOf(*printer);
        if (trace)
            printer->addTap(std::make_unique<TraceSink>(*trace));
        PrintSettings settings;
        if (options.date)
            settings.now = *options.date;
        // On a terminal the page count goes as the print does, on one line that ends with it.
        const bool terminal = isatty(STDERR_FILENO) == 1;
        bool countShown = false;
        settings.onElementError = [&](const Error& e) {
            if (countShown)
                err << '\n';
            countShown = false;
            err << "Stampa: " << elementErrorText(e) << '\n';
        };
        settings.onWarning = [&](int line, const QString& warning) {
            if (countShown)
                err << '\n';
            countShown = false;
            err << options.templatePath << ':' << line << ": avviso: " << warning << '\n';
        };
        if (terminal) {
            settings.onPage = [&](int page) {
                err << "\rpagina " << page;
                err.flush();
                countShown = true;
                return true;
            };
        }
        PrintRun run(*printer, templatePath, values, settings);
        const auto endCount = qScopeGuard([&] {
            if (countShown)
                err << '\n';
        });
        run.run();
        if (countShown)
            err << "\r" << run.pages() << (run.pages() == 1 ? " pagina" : " pagine");
        elementErrors = run.elementErrors();
    } catch (const Error& e) {
        err << e.description() << '\n';
        return exitcode::Failed;
    } catch (const std::exception& e) {
        err << options.templatePath << ": " << e.what() << '\n';
        return exitcode::Failed;
    }
    if (!written.isEmpty())
        out << written << '\n';
    return elementErrors > 0 ? exitcode::PrintedWithErrors : exitcode::Printed;
}

int runCheckCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.size() != 1 || arguments.at(0).startsWith(QLatin1String("--"))) {
        err << "ostrivo-report check: serve esattamente un modello di stampa (MODELLO)\n\n" << usageSynopsis();
        return exitcode::BadUsage;
    }
    // Problems are listed under the name the user gave.
    const QString given = arguments.at(0);
    const QString path = enterTemplateFolder(given);
    std::vector<TemplateProblem> problems;
    // Another reader's problem is listed where the print run found none on that line.
    auto addUnlessKnown = [&](const TemplateProblem& problem) {
        const bool known = std::any_of(problems.begin(), problems.end(),
                                       [&](const TemplateProblem& p) { return p.line == problem.line; });
        if (!known)
            problems.push_back(problem);
    };
    // What the print would find in the files the template names: problems, and pictures left out.
    NamedFilesCheck files;
    try {
        problems = checkForPrint(path, TemplateReader(path).lines(), nullptr,
                                 [&](const TemplateReader& reader, const TemplateElement& element) {
                                     files.check(reader, element);
                                 });
        // The parameter dialog reads every [PARAMETRI] section, not only the one after the page block.
        try {
            readParameterPrompts(path);
        } catch (const TemplateError& e) {
            addUnlessKnown({e.line(), e.problem()});
        }
    } catch (const TemplateError& e) {
        problems.push_back({e.line(), e.problem()});
    }
    // What the designer's open refuses.
    if (const auto refusal = designerRefusal(path))
        addUnlessKnown(*refusal);
    problems.insert(problems.end(), files.problems().begin(), files.problems().end());
    const bool wrong = !problems.empty();
    for (const TemplateProblem& w : files.warnings())
        problems.push_back({w.line, QStringLiteral("avviso: ") + w.message});
    std::stable_sort(problems.begin(), problems.end(),
                     [](const TemplateProblem& a, const TemplateProblem& b) { return a.line < b.line; });
    for (const TemplateProblem& p : problems) {
        if (p.line > 0)
            out << given << ':' << p.line << ": " << p.message << '\n';
        else
            out << given << ": " << p.message << '\n';
    }
    if (!wrong)
        out << given << ": nessun problema\n";
    return wrong ? exitcode::Failed : exitcode::Printed;
}

}  // namespace ostrivo
