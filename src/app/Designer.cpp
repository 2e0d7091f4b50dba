#include "app/Designer.h"

#include "app/PrintRequest.h"
#include "designer/Varnel3DT.h"
#include "platform/widgets/QtDialogs.h"
#include "template/VN3Routine.h"

#include <QApplication>

namespace ostrivo {

int runDesigner(int argc, char** argv)
{
    QApplication app(argc, argv);
    VN3Routine model;
    QtDialogs dialogs;
    Varnel3DT window(model, dialogs);
    dialogs.setParent(&window);

    if (const std::optional<int> status = handlePrintRequest(model, [&] { window.runCommand(Varnel3DT::Stampa); }))
        return *status;

    window.startDesigner();
    window.show();
    return app.exec();
}

}  // namespace ostrivo
