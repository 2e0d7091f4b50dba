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
// listing gives. Each folder is listed once, however many names pass through it, so that most
// fields of a large template (numbers, captions) cost a lookup rather than a call to the system.
class NameLookup {
public:
    QStringList filesNamed(const QString& name)
    {
        const bool absolute = QDir::isAbsolutePath(name);
        const QStringList parts = QDir::fromNativeSeparators(name).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return {};
        QStringList current{absolute ? QStringLiteral("/") : QStringLiteral(".")};
        for (qsizetype i = 0; i < parts.size() && !current.isEmpty(); ++i) {
            const QString& part = parts.at(i);
            const bool last = i + 1 == parts.size();
            QStringList next;
            for (const QString& folder : std::as_const(current)) {
                const Listing& listing = entries(folder);
                QStringList candidates;
                if (!listing.readable || part == QLatin1String(".") || part == QLatin1String(".."))
                    candidates << part;  // a folder that cannot be listed may still be passed through
                else
                    candidates = listing.names.values(part.toCaseFolded());
                for (const QString& entry : std::as_const(candidates)) {
                    const QString path = QDir(folder).filePath(entry);
                    const QFileInfo info(path);
                    if ((last ? info.isFile() : info.isDir()) && !next.contains(path))
                        next << path;
                }
            }
            current = next;
        }
        for (QString& path : current) {
            if (!absolute && path.startsWith(QLatin1String("./")))
                path = path.mid(2);
        }
        return current;
    }

private:
    struct Listing {
        bool readable = false;
        QMultiHash<QString, QString> names;  // by case-folded name
    };

    const Listing& entries(const QString& folder)
    {
        auto found = folders_.find(folder);
        if (found == folders_.end()) {
            Listing listing;
            const QDir dir(folder);
            listing.readable = dir.isReadable();
            const QStringList listed = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            for (const QString& entry : listed)
                listing.names.insert(entry.toCaseFolded(), entry);
            found = folders_.insert(folder, listing);
        }
        return *found;
    }

    QHash<QString, Listing> folders_;
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
