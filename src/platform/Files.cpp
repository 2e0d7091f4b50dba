#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>

namespace ostrivo {

QString resolveExistingFile(const QString& name)
{
    if (name.isEmpty())
        return {};
    const QFileInfo exact(name);
    if (exact.isFile())
        return name;

    // Walk the path one component at a time, matching each without regard to case.
    const bool absolute = QDir::isAbsolutePath(name);
    const QStringList parts = QDir::fromNativeSeparators(name).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QStringLiteral(".");
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        const bool last = i + 1 == parts.size();
        QString candidate = QDir(current).filePath(part);
        QFileInfo info(candidate);
        if (!(last ? info.isFile() : info.isDir())) {
            if (part == QLatin1String(".") || part == QLatin1String(".."))
                return {};
            const QDir dir(current);
            const QStringList entries = dir.entryList(
                (last ? QDir::Files : QDir::Dirs) | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            candidate.clear();
            for (const QString& entry : entries) {
                if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                    candidate = dir.filePath(entry);
                    break;
                }
            }
            if (candidate.isEmpty())
                return {};
        }
        current = candidate;
    }
    if (!absolute && current.startsWith(QLatin1String("./")))
        current = current.mid(2);
    return current;
}

bool fileExists(const QString& name)
{
    return !resolveExistingFile(name).isEmpty();
}

}  // namespace ostrivo
