#include "app/PrintRequest.h"

#include "core/Cp1252.h"
#include "core/Files.h"
#include "template/VN3Routine.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <exception>

namespace ostrivo {

QString printRequestFileName()
{
    return QStringLiteral("Varnil3") + qEnvironmentVariable("PCLocal") + QStringLiteral(".pss");
}

PrintRequest parsePrintRequest(const QByteArray& bytes)
{
    const QStringList lines = splitLines(decodeCp1252(bytes));
    PrintRequest request;
    request.templatePath = lines.value(0);
    request.values = lines.mid(1, VN3Routine::MaxValoriRichiesta);
    return request;
}

void applyPrintRequest(const PrintRequest& request, VN3Routine& model)
{
    model.NomeModulo = request.templatePath;
    model.ValoriRichiesta.clear();
    for (qsizetype k = 0; k < request.values.size() && k < VN3Routine::MaxValoriRichiesta; ++k)
        model.ValoriRichiesta(static_cast<int>(k) + 1) = request.values.at(k);
}

std::optional<int> handlePrintRequest(VN3Routine& model, const std::function<void()>& print)
{
    const QString requestFile = printRequestFileName();
    // A folder of that name is someone else's and stays as it is. Anything else is a request,
    // removed even when it cannot be read (a pipe, a link to a device or to nothing): left there,
    // it would fail every later start the same way.
    const QFileInfo request(requestFile);
    if (request.isDir() || (!request.exists() && !request.isSymLink()))
        return std::nullopt;

    QTextStream err(stderr);
    int status = 0;
    try {
        applyPrintRequest(parsePrintRequest(readInputFile(requestFile, kMaxTextInputBytes)), model);
        try {
            if (!model.NomeModulo.isEmpty() && QFileInfo(model.NomeModulo).isFile())
                print();
        } catch (const std::exception& e) {
            err << "ostrivo-report: " << requestFile << ": " << QString::fromUtf8(e.what()) << '\n';
            status = 1;
        }
    } catch (const InputFileError& e) {
        err << "ostrivo-report: " << requestFile << ": impossibile leggere la richiesta di stampa: " << e.problem() << '\n';
        status = 1;
    }
    // The hotel application waits for the file to go, whatever happened to the print; a file
    // left behind would be printed again at the next start.
    if (!QFile::remove(requestFile)) {
        err << "ostrivo-report: " << requestFile << ": impossibile eliminare la richiesta di stampa\n";
        status = 1;
    }
    return status;
}

}  // namespace ostrivo
