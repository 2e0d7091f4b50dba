#include "template/Records.h"

namespace ostrivo {

QStringList splitFields(const QString& line)
{
    QStringList fields = line.split(QLatin1Char(','));
    fields.removeLast();
    return fields;
}

}  // namespace ostrivo
