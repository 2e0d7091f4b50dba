// Any bytes as a print request file: reading it and storing it into the model must never crash
// or write past ValoriRichiesta, and what is stored must be what was read. Each value then goes
// through the parameter dialog's Enter normalisation, as a pre-filled box would.
#include "app/PrintRequest.h"
#include "engine/ParameterPrompts.h"
#include "core/Cp1252.h"
#include "template/VN3Routine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace ostrivo;

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool hasLineEnd(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const PrintRequest request = parsePrintRequest(bytes);
    require(request.values.size() <= VN3Routine::MaxValoriRichiesta);
    require(!hasLineEnd(request.templatePath));
    for (const QString& value : request.values)
        require(!hasLineEnd(value));
    if (!bytes.contains('\r') && !bytes.contains('\n')) {
        require(request.templatePath == decodeCp1252(bytes));
        require(request.values.isEmpty());
    }

    VN3Routine model;
    model.ValoriRichiesta(VN3Routine::MaxValoriRichiesta) = QStringLiteral("left over");
    applyPrintRequest(request, model);
    require(model.NomeModulo == request.templatePath);
    for (int k = 1; k <= VN3Routine::MaxValoriRichiesta; ++k)
        require(model.ValoriRichiesta(k) == request.values.value(k - 1));

    static const char* const types[] = {"Str", "Num", "Cur", "Date", "Boh"};
    static const char* const operators[] = {"=", "In", "No"};
    for (const QString& value : request.values) {
        for (const char* type : types) {
            for (const char* op : operators)
                normaliseTypedValue(value, QString::fromLatin1(type), QString::fromLatin1(op));
        }
    }
    return 0;
}
