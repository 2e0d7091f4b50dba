#pragma once

#include "db/IndexAdvice.h"
#include "db/QueryBudget.h"
#include "db/RowWriter.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ostrivo::db {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const;
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// The query engine's in-memory copy of one database file: tables are decoded on first use and
// kept while the process runs (the file cache keeps one store per file size and time). The store
// decodes and authorises: only reading statements are prepared, each decoding the tables it names.
// How fast queries run is the index advice's business (IndexAdvice, which can be switched off),
// how long they may run the query budget's (QueryBudget).
class MemoryStore {
public:
    explicit MemoryStore(std::vector<SourceTable> catalog, IndexAdvice::Mode advice = IndexAdvice::modeFromEnvironment());
    ~MemoryStore();
    MemoryStore(const MemoryStore&) = delete;
    MemoryStore& operator=(const MemoryStore&) = delete;

    sqlite3* db() const { return db_; }
    const std::vector<TableSchema>& tables() const { return tables_; }
    // The catalog table with this name (exact, else ignoring case), or -1.
    int findTable(const QString& name) const;
    // The table's column named so, ignoring case; empty when none is.
    QString columnName(int table, const QString& name) const;
    bool isLoaded(int table) const { return loaded_.at(static_cast<std::size_t>(table)); }
    std::int64_t rowCount(int table) const { return rowCounts_.at(static_cast<std::size_t>(table)); }
    // A key of the table that its decoded rows proved (no two rows agree on it); empty when none.
    const std::vector<int>& provedKey(int table) const { return keys_.at(static_cast<std::size_t>(table)); }
    int loadedCount() const;
    std::int64_t decodeRuns() const { return decodeRuns_; }

    using SourceProvider = std::function<TableSource&()>;

    // Prepares one read-only statement of the engine's SQL, decoding the tables it names first.
    // `file` and `sqlForMessages` name the database and the user's SQL in errors.
    Statement prepare(const QString& sql, const SourceProvider& source, const QString& file,
                      const QString& sqlForMessages);

    // The engine type of a result column, from the table column it comes from where known.
    int columnType(sqlite3_stmt* statement, int column) const;

    IndexAdvice& advice() { return advice_; }
    const IndexAdvice& advice() const { return advice_; }
    QueryBudget& budget() { return budget_; }

private:
    void load(int table, const SourceProvider& source, const QString& file, const QString& sql);
    static int progress(void* self);
    static int authorize(void* self, int action, const char*, const char*, const char*, const char*);

    sqlite3* db_ = nullptr;
    std::vector<SourceTable> catalog_;
    std::vector<TableSchema> tables_;
    std::vector<bool> loaded_;
    std::vector<std::int64_t> rowCounts_;
    std::vector<std::vector<int>> keys_;  // per table, a key its rows proved; empty when none
    std::int64_t decodeRuns_ = 0;
    bool userStatement_ = false;  // the authorizer admits reading only
    IndexAdvice advice_;
    QueryBudget budget_;
};

// The longest text or bytes a value of the query engine may hold (the engine's own limit is near 1 GB).
inline constexpr int kLongestValue = 256 * 1024 * 1024;

// A column's engine type from its declared SQL type ("VARCHAR(50)" is Text, "MONEY" Currency).
int typeOfDeclaration(const QString& declared);

}  // namespace ostrivo::db
