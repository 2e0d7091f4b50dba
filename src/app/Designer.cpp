#include "app/Designer.h"

#include "app/CommandLine.h"
#include "app/PrintRequest.h"
#include "app/Translations.h"
#include "designer/Varnel3DT.h"
#include "core/widgets/QtDialogs.h"
#include "template/VN3Routine.h"

#include <QApplication>
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
        if (const std::optional<int> status = handlePrintRequest(model, [&] { window.runCommand(Varnel3DT::Print); }))
            return *status;
    }

    // The window's size and zoom, from one session to the next.
    QSettings settings(QStringLiteral("ostrivo-report"), QStringLiteral("ostrivo-report"));
    window.useSettings(&settings);
    window.startDesigner();
    if (!templatePath.isEmpty())
        window.openTemplate(QFileInfo(enterTemplateFolder(templatePath)).absoluteFilePath());
    window.show();
    return app.exec();
}

}  // namespace ostrivo
