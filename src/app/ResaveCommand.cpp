#include "app/ResaveCommand.h"

#include "app/CommandLine.h"
#include "core/Files.h"
#include "engine/PrintInputs.h"
#include "engine/PrintRun.h"
#include "template/TemplateFiles.h"

#include <QDir>
#include <QFileInfo>

namespace ostrivo {

namespace {

struct ResaveOptions {
    QString templatePath;
    QString output;
};

std::optional<ResaveOptions> parseResaveOptions(const QStringList& arguments, QString& problem)
{
    ResaveOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("--output")) {
            if (i + 1 >= arguments.size()) {
                problem = QStringLiteral("--output richiede il nome di un file");
                return std::nullopt;
            }
            options.output = arguments.at(++i);
        } else if (a.startsWith(QLatin1String("--"))) {
            problem = QStringLiteral("opzione sconosciuta %1").arg(a);
            return std::nullopt;
        } else if (options.templatePath.isEmpty()) {
            options.templatePath = a;
        } else {
            problem = QStringLiteral("un solo modello per volta (c'è anche %1)").arg(a);
            return std::nullopt;
        }
    }
    if (options.templatePath.isEmpty()) {
        problem = QStringLiteral("manca il modello da salvare di nuovo");
        return std::nullopt;
    }
    if (options.output.isEmpty())
        options.output = options.templatePath;
    return options;
}

// The designer as it starts: an empty page, ready to open a template.
struct DesignerState {
    DesignerState() { PulisciPagina(model, canvas); }
    VN3Routine model;
    CanvasModel canvas;
};

}  // namespace

int runResaveCommand(const QStringList& arguments, QTextStream& /*out*/, QTextStream& err)
{
    QString problem;
    const std::optional<ResaveOptions> options = parseResaveOptions(arguments, problem);
    if (!options) {
        err << "ostrivo-report resave: " << problem << "\n\n" << usageSynopsis();
        return exitcode::BadUsage;
    }
    const QString start = QDir::currentPath();
    const QString output = QFileInfo(options->output).absoluteFilePath();
    const QString templatePath = enterTemplateFolder(options->templatePath);
    DesignerState designer;
    try {
        // A save over the template is what resave is for; over a database or a picture the
        // template names it would destroy that file.
        QStringList inputs = printInputFiles(templatePath);
        const QString self = QFileInfo(templatePath).canonicalFilePath();
        inputs.removeIf([&](const QString& input) { return QFileInfo(input).canonicalFilePath() == self; });
        if (QFileInfo(output).canonicalFilePath() != self) {
            if (const auto conflict = outputOverInput({output}, inputs, {options->output})) {
                err << "ostrivo-report resave: " << *conflict << '\n';
                return exitcode::BadUsage;
            }
        }
        CaricaModulo(templatePath, designer.model, designer.canvas);
        // The output is named from the folder the command started in, as the user named it.
        QDir::setCurrent(start);
        SalvaModulo(options->output, designer.model, designer.canvas);
    } catch (const TemplateError& e) {
        err << TemplateError(e.number(), options->templatePath, e.line(), e.problem()).description() << '\n';
        return exitcode::Failed;
    } catch (const Error& e) {
        err << e.description() << '\n';
        return exitcode::Failed;
    }
    return exitcode::Printed;
}

std::optional<TemplateProblem> designerRefusal(const QString& path)
{
    DesignerState designer;
    try {
        CaricaModulo(path, designer.model, designer.canvas);
    } catch (const TemplateError& e) {
        return TemplateProblem{e.line(), e.problem()};
    }
    return std::nullopt;
}

}  // namespace ostrivo
