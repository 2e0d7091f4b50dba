#include "engine/PrintInputs.h"

#include "core/Files.h"
#include "template/TemplateReader.h"

#include <climits>

namespace ostrivo {

QStringList printInputFiles(const QString& templatePath)
{
    QStringList files{templatePath};
    auto named = [&](TemplateReader& reader, const Record& record) {
        try {
            const QString path = resolveExistingFile(reader.field(record, 1));
            if (!path.isEmpty() && !files.contains(path))
                files << path;
        } catch (const TemplateError&) {
        }
    };
    try {
        TemplateReader reader(templatePath);
        reader.forEachRecord([&](const QString& section, const Record& record) {
            if (section == kCampi || section == kImmagini) {
                named(reader, record);
            } else if (section == kTabella) {
                named(reader, reader.readTableBlock(record, TableEnd::AnySection, INT_MAX).source);
            } else if (section == kProdotto) {
                for (const Record& factor : reader.readProductBlock(record, INT_MAX).factors)
                    named(reader, factor);
            }
        });
    } catch (const Error&) {
    }
    return files;
}

}  // namespace ostrivo
