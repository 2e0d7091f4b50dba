// Any bytes as a template opened in the designer: the loader never crashes nor writes past a list;
// it refuses with TemplateError or loads, and what a save of the loaded template writes opens
// again and is written the same.
#include "core/Cp1252.h"
#include "template/TemplateFiles.h"
#include "template/TemplateReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace ostrivo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList lines = splitLines(decodeCp1252(QByteArray(reinterpret_cast<const char*>(data),
                                                                  static_cast<qsizetype>(size))));
    VN3Routine model;
    CanvasModel canvas;
    PulisciPagina(model, canvas);
    try {
        TemplateReader reader(QStringLiteral("fuzz.vn3"), lines);
        CaricaModulo(reader, model, canvas);
    } catch (const TemplateError&) {
        return 0;
    }
    if (unsavableValue(model, canvas))
        return 0;  // the save refuses it and writes nothing
    const QString saved = templateText(model, canvas);
    VN3Routine again;
    CanvasModel againCanvas;
    PulisciPagina(again, againCanvas);
    TemplateReader reader(QStringLiteral("salvato.vn3"), splitLines(saved));
    CaricaModulo(reader, again, againCanvas);  // throws, and so fails, when the save does not open
    if (templateText(again, againCanvas) != saved)
        std::abort();
    return 0;
}
