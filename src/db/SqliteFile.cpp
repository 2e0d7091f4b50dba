#include "db/SqliteFile.h"

#include "core/Errors.h"
#include "db/MemoryStore.h"
#include "db/SelectShape.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <sqlite3.h>

namespace ostrivo::db {

namespace {

class SqliteSource final : public TableSource {
public:
    explicit SqliteSource(const QString& path) : path_(path)
    {
        // Read only, and nothing in the folder changes: a WAL database opened in place would get a
        // -shm file beside it.
        QString opened = QFileInfo(path).absoluteFilePath();
        QFile file(path);
        QByteArray header;
        if (file.open(QIODevice::ReadOnly))
            header = file.read(20);
        const bool wal = header.size() >= 20 && (header.at(18) == 2 || header.at(19) == 2);
        const QFileInfo walFile(path + QStringLiteral("-wal"));
        const bool walRows = wal && walFile.exists() && walFile.size() > 0;
        if (walRows && !QFileInfo::exists(path + QStringLiteral("-shm"))) {
            // Rows still in the -wal and no program holding the file (it would have its -shm): read
            // a private copy of both.
            opened = copyWithLog(path);
        }
        QString uri = QString::fromUtf8(QUrl::fromLocalFile(opened).toEncoded()) + QStringLiteral("?mode=ro");
        if (wal && !walRows)
            uri += QStringLiteral("&immutable=1");
        const int rc = sqlite3_open_v2(uri.toUtf8().constData(), &db_,
                                       SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            const QString message = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "out of memory");
            sqlite3_close(db_);
            throw DatabaseError(err::NotADatabase, message, path);
        }
        sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    }
    ~SqliteSource() override { sqlite3_close_v2(db_); }
    SqliteSource(const SqliteSource&) = delete;
    SqliteSource& operator=(const SqliteSource&) = delete;

    std::vector<SourceTable> readCatalog() override
    {
        std::vector<SourceTable> tables;
        Statement list = prepare(QStringLiteral(
            "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
            "ORDER BY rowid"));
        int rc;
        while ((rc = sqlite3_step(list.get())) == SQLITE_ROW) {
            SourceTable table;
            table.schema.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
            Statement info = prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?1)"));
            const QByteArray name = table.schema.name.toUtf8();
            sqlite3_bind_text(info.get(), 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
            while (sqlite3_step(info.get()) == SQLITE_ROW) {
                const QString column = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
                const QString declared =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)));
                table.schema.columns.push_back(ColumnDef{column, typeOfDeclaration(declared), 0});
                table.declarations << copyDeclaration(declared);
            }
            tables.push_back(std::move(table));
        }
        if (rc != SQLITE_DONE)
            throw DatabaseError(err::NotADatabase, QString::fromUtf8(sqlite3_errmsg(db_)), path_);
        return tables;
    }

    void loadTable(const SourceTable& table, RowWriter& rows) override
    {
        QStringList columns;
        for (const ColumnDef& c : table.schema.columns)
            columns << quoteIdentifier(c.name);
        Statement select = prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                       .arg(columns.join(QStringLiteral(", ")), quoteIdentifier(table.schema.name)),
                                   /*withoutRowidFallback=*/true, table.schema.name, columns);
        const int count = static_cast<int>(table.schema.columns.size());
        int rc;
        while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
            for (int c = 0; c < count; ++c)
                sqlite3_bind_value(rows.statement(), c + 1, sqlite3_column_value(select.get(), c));
            rows.endRow();
        }
        if (rc != SQLITE_DONE)
            throw DatabaseError(err::NotADatabase, QString::fromUtf8(sqlite3_errmsg(db_)), path_);
    }

private:
    QString copyWithLog(const QString& path)
    {
        copy_ = std::make_unique<QTemporaryDir>();
        const QString target = copy_->filePath(QStringLiteral("copia.db"));
        for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
            QFile::remove(target + suffix);
            if (!copy_->isValid() || !QFile::copy(path + suffix, target + suffix))
                throw DatabaseError(err::NotADatabase,
                                    QStringLiteral("impossibile copiare il database e il suo file -wal per leggerli"), path);
        }
        return target;
    }

    // The declared type again, with the text collation; only plain type words are carried over.
    static QString copyDeclaration(const QString& declared)
    {
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_ (),]*$"));
        const QString type = plain.match(declared).hasMatch() ? declared : QString();
        return (type + QStringLiteral(" COLLATE ACCESS")).trimmed();
    }

    Statement prepare(const QString& sql, bool withoutRowidFallback = false, const QString& table = {},
                      const QStringList& columns = {})
    {
        sqlite3_stmt* raw = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &raw, nullptr) != SQLITE_OK) {
            sqlite3_finalize(raw);
            if (withoutRowidFallback) {
                // A WITHOUT ROWID table has no rowid: its key order stands in.
                return prepare(QStringLiteral("SELECT %1 FROM %2")
                                   .arg(columns.join(QStringLiteral(", ")), quoteIdentifier(table)));
            }
            throw DatabaseError(err::NotADatabase, QString::fromUtf8(sqlite3_errmsg(db_)), path_);
        }
        return Statement(raw);
    }

    QString path_;
    std::unique_ptr<QTemporaryDir> copy_;  // where a WAL database with pending rows is read
    sqlite3* db_ = nullptr;
};

}  // namespace

std::unique_ptr<TableSource> openSqliteFile(const QString& path)
{
    return std::make_unique<SqliteSource>(path);
}

}  // namespace ostrivo::db
