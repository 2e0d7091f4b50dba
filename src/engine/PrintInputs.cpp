#include "engine/PrintInputs.h"

#include "core/Files.h"
#include "template/TemplateReader.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace ostrivo {

namespace {

// The regular files a name may open as resolveExistingFile looks it up: the exact name, else
// each component matched without regard to case. Every match is kept, not only the first a
// listing gives, and each folder is listed once however many names pass through it.
class NameLookup {
public:
    QStringList filesNamed(const QString& name)
    {
        const bool absolute = QDir::isAbsolutePath(name);
        const QStringList parts = QDir::fromNativeSeparators(name).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        QStringList current{absolute ? QStringLiteral("/") : QStringLiteral(".")};
        for (qsizetype i = 0; i < parts.size() && !current.isEmpty(); ++i) {
            const QString& part = parts.at(i);
            const bool last = i + 1 == parts.size();
            auto fits = [last](const QString& path) {
                const QFileInfo info(path);
                return last ? info.isFile() : info.isDir();
            };
            QStringList next;
            for (const QString& folder : std::as_const(current)) {
                const QString exact = QDir(folder).filePath(part);
                if (fits(exact)) {
                    next << exact;
                } else if (part != QLatin1String(".") && part != QLatin1String("..")) {
                    for (const QString& entry : entries(folder).values(part.toCaseFolded())) {
                        const QString candidate = QDir(folder).filePath(entry);
                        if (fits(candidate) && !next.contains(candidate))
                            next << candidate;
                    }
                }
            }
            current = next;
        }
        if (parts.isEmpty())
            return {};
        for (QString& path : current) {
            if (!absolute && path.startsWith(QLatin1String("./")))
                path = path.mid(2);
        }
        return current;
    }

private:
    const QMultiHash<QString, QString>& entries(const QString& folder)
    {
        auto found = folders_.find(folder);
        if (found == folders_.end()) {
            QMultiHash<QString, QString> names;
            const QStringList listed = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                              QDir::NoDotAndDotDot);
            for (const QString& entry : listed)
                names.insert(entry.toCaseFolded(), entry);
            found = folders_.insert(folder, names);
        }
        return *found;
    }

    QHash<QString, QMultiHash<QString, QString>> folders_;
};

}  // namespace

QStringList printInputFiles(const QString& templatePath)
{
    QByteArray bytes;
    try {
        bytes = readInputFile(templatePath, kMaxTextInputBytes);
    } catch (const InputFileError& e) {
        throw TemplateError(e.number(), templatePath, 0,
                            QStringLiteral("impossibile leggere il modello di stampa: ") + e.problem());
    }
    const TemplateLines lines = TemplateLines::fromBytes(std::move(bytes));
    QStringList files{templatePath};
    QSet<QString> known{templatePath};
    QSet<QString> tried;
    NameLookup lookup;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Every comma-separated piece, the text after the last comma too: whatever a reader
        // takes for a field.
        const QString line = lines.at(i);
        for (const QStringView piece : QStringView(line).split(QLatin1Char(','))) {
            for (const QStringView name : {piece, piece.trimmed()}) {
                if (name.isEmpty())
                    continue;
                const QString text = name.toString();
                if (tried.contains(text))
                    continue;
                tried.insert(text);
                for (const QString& path : lookup.filesNamed(text)) {
                    if (!known.contains(path)) {
                        known.insert(path);
                        files << path;
                    }
                }
            }
        }
    }
    return files;
}

}  // namespace ostrivo
