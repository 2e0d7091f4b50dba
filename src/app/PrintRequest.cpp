#include "app/PrintRequest.h"

#include "platform/Cp1252.h"
#include "template/VN3Routine.h"

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

}  // namespace ostrivo
