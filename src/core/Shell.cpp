#include "core/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace ostrivo {

bool openWithDefaultViewer(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

}  // namespace ostrivo
