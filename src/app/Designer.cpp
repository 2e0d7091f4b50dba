#include "app/Designer.h"

#include "app/PrintRequest.h"
#include "app/Translations.h"
#include "designer/Varnel3DT.h"
#include "core/widgets/QtDialogs.h"
#include "template/VN3Routine.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace ostrivo {

int runDesigner(int argc, char** argv, const QString& templatePath)
{
    QApplication app(argc, argv);
    installQtItalian(app);
    VN3Routine model;
    QtDialogs dialogs;
    Varnel3DT window(model, dialogs);
    dialogs.setParent(&window);

    if (templatePath.isEmpty()) {
        if (const std::optional<int> status = handlePrintRequest(model, [&] { window.runCommand(Varnel3DT::Stampa); }))
            return *status;
    }

    // The window's size and zoom, from one session to the next.
    QSettings settings(QStringLiteral("ostrivo-report"), QStringLiteral("ostrivo-report"));
    window.useSettings(&settings);
    window.startDesigner();
    if (!templatePath.isEmpty()) {
        // Database and picture names in a template are relative to the current directory: work
        // where the template is, as if started there.
        const QFileInfo file(templatePath);
        if (file.absoluteDir().exists())
            QDir::setCurrent(file.absolutePath());
        window.openTemplate(file.absoluteFilePath());
    }
    window.show();
    return app.exec();
}

}  // namespace ostrivo
