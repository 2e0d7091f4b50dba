#include "core/Version.h"

namespace ostrivo {

QString programVersion()
{
    return QStringLiteral(OSTRIVO_VERSION);
}

}  // namespace ostrivo
