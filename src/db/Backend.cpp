#include "db/Backend.h"

#include "core/Errors.h"
#include "core/Files.h"
#include "db/AccessFile.h"
#include "db/MemoryConnection.h"
#include "db/Postgres.h"
#include "db/SqliteFile.h"
#include "db/Cache.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace ostrivo::db {

namespace {

enum class FileKind { Access, Sqlite, Postgres };

FileKind signatureOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DatabaseError(err::DatabaseNotFound,
                            QStringLiteral("impossibile leggere il file: %1").arg(file.errorString()), path);
    const QByteArray header = file.read(4096);
    // Jet and ACE files begin 00 01 00 00 "Standard Jet DB" / "Standard ACE DB".
    if (header.size() >= 19 && header.startsWith(QByteArray("\x00\x01\x00\x00", 4)) &&
        (header.mid(4, 15) == "Standard Jet DB" || header.mid(4, 15) == "Standard ACE DB"))
        return FileKind::Access;
    if (header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return FileKind::Sqlite;
    if (isConnectionFileContent(header))
        return FileKind::Postgres;
    throw DatabaseError(err::NotADatabase,
                        QStringLiteral("il file non è un database Access né SQLite né un collegamento a PostgreSQL"), path);
}

std::unique_ptr<TableSource> openSource(FileKind kind, const QString& path)
{
    return kind == FileKind::Access ? openAccessFile(path) : openSqliteFile(path);
}

struct CacheEntry {
    qint64 size = 0;
    qint64 modified = 0;
    std::shared_ptr<MemoryStore> store;
};

// One decoded copy per file for the life of the process; a file that changed (size or time) is
// decoded again.
QHash<QString, CacheEntry>& cache()
{
    static QHash<QString, CacheEntry> entries;
    return entries;
}

std::chrono::milliseconds timeLimit = std::chrono::seconds(60);

QString existingPath(const QString& name)
{
    if (name.trimmed().isEmpty())
        throw DatabaseError(err::DatabaseNotFound, QStringLiteral("nessun file di database indicato"), name);
    const QString path = resolveExistingFile(name);
    if (path.isEmpty())
        throw DatabaseError(err::DatabaseNotFound, notARegularFile(name).value_or(QStringLiteral("il file non esiste")), name);
    return path;
}

}  // namespace

void setQueryTimeLimit(std::chrono::milliseconds limit)
{
    timeLimit = limit;
}

std::chrono::milliseconds queryTimeLimit()
{
    return timeLimit;
}

std::unique_ptr<TableSource> openFileSource(const QString& name)
{
    const QString path = existingPath(name);
    const FileKind kind = signatureOf(path);
    if (kind == FileKind::Postgres)
        throw DatabaseError(err::NotADatabase, QStringLiteral("serve un file Access o SQLite, non un collegamento a un server"),
                            path);
    return openSource(kind, path);
}

std::unique_ptr<Connection> openConnection(const QString& name)
{
    const QString path = existingPath(name);
    const FileKind kind = signatureOf(path);
    if (kind == FileKind::Postgres)
        return openPostgresConnection(path);

    const QFileInfo info(path);
    const QString key = info.canonicalFilePath();
    const qint64 size = info.size();
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    auto opener = [kind, path] { return openSource(kind, path); };

    CacheEntry& entry = cache()[key];
    if (entry.store && entry.size == size && entry.modified == modified)
        return makeMemoryConnection(entry.store, path, opener, nullptr);

    std::unique_ptr<TableSource> source = openSource(kind, path);
    auto store = std::make_shared<MemoryStore>(source->readCatalog());
    entry = CacheEntry{size, modified, store};
    return makeMemoryConnection(store, path, opener, std::move(source));
}

CacheStatistics cacheStatistics()
{
    CacheStatistics s;
    for (const CacheEntry& e : cache()) {
        if (!e.store)
            continue;
        ++s.files;
        s.tablesDecoded += e.store->loadedCount();
        s.decodeRuns += e.store->decodeRuns();
    }
    return s;
}

void dropCache()
{
    cache().clear();
}

}  // namespace ostrivo::db
