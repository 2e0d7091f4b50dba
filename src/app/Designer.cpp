#include "app/Designer.h"

#include "app/PrintRequest.h"
#include "designer/Varnel3DT.h"
#include "template/VN3Routine.h"

#include <QApplication>
#include <QFile>

namespace ostrivo {

int runDesigner(int argc, char** argv)
{
    QApplication app(argc, argv);
    VN3Routine model;
    Varnel3DT window(model);

    const QString requestFile = printRequestFileName();
    if (QFile::exists(requestFile)) {
        QFile file(requestFile);
        PrintRequest request;
        if (file.open(QIODevice::ReadOnly))
            request = parsePrintRequest(file.readAll());
        file.close();
        applyPrintRequest(request, model);
        // The hotel application waits for the file to go, whatever happened to the print.
        int status = 0;
        try {
            if (!model.NomeModulo.isEmpty() && QFile::exists(model.NomeModulo))
                window.runCommand(Varnel3DT::Stampa);
        } catch (const std::exception&) {
            status = 1;
        }
        QFile::remove(requestFile);
        return status;
    }

    window.startDesigner();
    window.show();
    return app.exec();
}

}  // namespace ostrivo
