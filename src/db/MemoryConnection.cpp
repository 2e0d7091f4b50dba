#include "db/MemoryConnection.h"

#include "core/Errors.h"
#include "db/AccessSql.h"
#include "db/MemoryCursor.h"
#include "db/SelectShape.h"

namespace ostrivo::db {

namespace {

class MemoryConnection final : public Connection {
public:
    MemoryConnection(std::shared_ptr<MemoryStore> store, QString name,
                     std::function<std::unique_ptr<TableSource>()> openSource, std::unique_ptr<TableSource> source)
        : store_(std::move(store)), name_(std::move(name)), openSource_(std::move(openSource)),
          source_(std::make_shared<std::unique_ptr<TableSource>>(std::move(source)))
    {
    }

    QString name() const override { return name_; }
    const std::vector<TableSchema>& tables() override { return store_->tables(); }

    std::unique_ptr<Cursor> query(const QString& accessSql) override
    {
        const QString trimmed = accessSql.trimmed();
        if (trimmed.isEmpty())
            throw DatabaseError(err::QuerySyntax, QStringLiteral("istruzione SQL vuota"), name_, accessSql);
        QString engineSql;
        // A table's name alone opens the whole table, as the engine allows.
        const int table = store_->findTable(trimmed);
        if (table >= 0 && !trimmed.contains(QLatin1Char('(')) &&
            store_->tables()[static_cast<std::size_t>(table)].name.compare(trimmed, Qt::CaseInsensitive) == 0) {
            engineSql = QStringLiteral("SELECT * FROM ") + quoteIdentifier(store_->tables()[static_cast<std::size_t>(table)].name);
        } else {
            try {
                engineSql = translateAccessSql(accessSql);
            } catch (const DatabaseError& e) {
                throw DatabaseError(e.number(), e.detail(), name_, accessSql);
            }
        }
        return std::make_unique<MemoryCursor>(store_, sourceProvider(), name_, accessSql, engineSql);
    }

    void close() override { source_->reset(); }

private:
    // Record sets may outlive the connection's file handle: they reopen the file if they must
    // decode a table after the database was closed.
    MemoryStore::SourceProvider sourceProvider()
    {
        return [holder = source_, open = openSource_]() -> TableSource& {
            if (!*holder)
                *holder = open();
            return **holder;
        };
    }

    std::shared_ptr<MemoryStore> store_;
    QString name_;
    std::function<std::unique_ptr<TableSource>()> openSource_;
    std::shared_ptr<std::unique_ptr<TableSource>> source_;
};

}  // namespace

std::unique_ptr<Connection> makeMemoryConnection(std::shared_ptr<MemoryStore> store, QString name,
                                                 std::function<std::unique_ptr<TableSource>()> openSource,
                                                 std::unique_ptr<TableSource> source)
{
    return std::make_unique<MemoryConnection>(std::move(store), std::move(name), std::move(openSource),
                                              std::move(source));
}

}  // namespace ostrivo::db
