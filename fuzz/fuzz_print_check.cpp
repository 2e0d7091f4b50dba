// Any bytes as a template that is about to be printed (its first line taken as the entered
// values): the check the print run makes before printing must list problems, never crash.
#include "engine/ParameterFilter.h"
#include "engine/PrintRun.h"
#include "platform/Cp1252.h"

#include <cstddef>
#include <cstdint>

using namespace ostrivo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList lines =
        splitLines(decodeCp1252(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))));
    const QString values = lines.isEmpty() ? QString() : lines.takeFirst();
    try {
        checkForPrint(QStringLiteral("fuzz.vn3"), lines, &values);
        checkForPrint(QStringLiteral("fuzz.vn3"), lines);
    } catch (const Error&) {
    }
    for (const QString& line : lines) {
        PrintParameter p{1, QStringLiteral("C"), line.left(2), line.mid(2, 4), line.mid(6), 1};
        try {
            filterLiteral(p);
            replaceRelationPlaceholders(line, {p});
        } catch (const Error&) {
        }
    }
    return 0;
}
