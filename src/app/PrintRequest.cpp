#include "app/PrintRequest.h"

#include "core/Cp1252.h"
#include "core/Files.h"
#include "template/VN3Routine.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <exception>
#include <sys/stat.h>
#include <unistd.h>

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
    QTextStream err(stderr);
    const QByteArray workstation = qgetenv("PCLocal");
    if (!decodedFileName(workstation)) {
        // Decoded, the name would be another file's: that one would be printed and deleted.
        const QByteArray raw = "Varnil3" + workstation + ".pss";
        struct stat info {};
        if (::lstat(raw.constData(), &info) != 0 || (::stat(raw.constData(), &info) == 0 && S_ISDIR(info.st_mode)))
            return std::nullopt;
        err << "ostrivo-report: " << bytesForMessage(raw)
            << ": impossibile leggere la richiesta di stampa: la variabile PCLocal non è testo UTF-8\n";
        ::unlink(raw.constData());
        return 1;
    }
    const QString requestFile = printRequestFileName();
    // A folder of that name is someone else's and stays as it is. Anything else is a request,
    // removed even when it cannot be read (a pipe, a link to a device or to nothing): left there,
    // it would fail every later start the same way.
    const QFileInfo request(requestFile);
    if (request.isDir() || (!request.exists() && !request.isSymLink()))
        return std::nullopt;

    int status = 0;
    try {
        applyPrintRequest(parsePrintRequest(readInputFile(requestFile, kMaxTextInputBytes)), model);
        try {
            const QByteArray written = encodeCp1252(model.NomeModulo);
            struct stat info {};
            if (!model.NomeModulo.isEmpty() && QFileInfo(model.NomeModulo).isFile()) {
                print();
            } else if (written != QFile::encodeName(model.NomeModulo) && ::stat(written.constData(), &info) == 0 &&
                       S_ISREG(info.st_mode)) {
                // A template named by the request's own bytes, which are no UTF-8 name: not
                // missing, but not to be opened under another name either.
                err << "ostrivo-report: " << requestFile << ": il modello \"" << bytesForMessage(written)
                    << "\" ha un nome che non è testo UTF-8: va rinominato\n";
                status = 1;
            }
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
