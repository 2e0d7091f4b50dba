#pragma once

#include "db/RowWriter.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <chrono>
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
// kept while the process runs (the file cache keeps one store per file size and time).
class MemoryStore {
public:
    explicit MemoryStore(std::vector<SourceTable> catalog);
    ~MemoryStore();
    MemoryStore(const MemoryStore&) = delete;
    MemoryStore& operator=(const MemoryStore&) = delete;

    sqlite3* db() const { return db_; }
    const std::vector<TableSchema>& tables() const { return tables_; }
    // The catalog table with this name (exact, else ignoring case), or -1.
    int findTable(const QString& name) const;
    bool isLoaded(int table) const { return loaded_.at(static_cast<std::size_t>(table)); }
    std::int64_t rowCount(int table) const { return rowCounts_.at(static_cast<std::size_t>(table)); }
    int loadedCount() const;
    std::int64_t decodeRuns() const { return decodeRuns_; }

    using SourceProvider = std::function<TableSource&()>;

    // Prepares one read-only statement of the engine's SQL, decoding the tables it names first.
    // `file` and `sqlForMessages` name the database and the user's SQL in errors.
    Statement prepare(const QString& sql, const SourceProvider& source, const QString& file,
                      const QString& sqlForMessages);

    // The engine type of a result column, from the table column it comes from where known.
    int columnType(sqlite3_stmt* statement, int column) const;

    // Indexes a decoded table for a query that compares `equality` columns with constants and
    // orders by `ordering`, when the table is large enough to be worth it. Never fails. Where
    // such a query can have no ties (see tieFree), the index holds every column, so that the
    // query reads the index alone; one such index per table, as it is a second copy of it.
    void adviseIndex(const QString& table, const QStringList& equality, const QStringList& ordering,
                     const QList<bool>& descending);
    int indexCount() const { return static_cast<int>(indexes_.size()); }


    // Steps a statement that searches a decoded table, comparing `equality` columns (most telling
    // first) with constants, to its first row. A search that reads through many rows before it
    // finds one (a report's field whose relation picks one row of a large table, say) is stopped,
    // the columns indexed, and the search run again: it and the next ones like it look their rows
    // up. Returns what sqlite3_step returns.
    int stepLookup(sqlite3_stmt* statement, const QString& table, const QStringList& equality);
    int coveringIndexCount() const;

    using Clock = std::chrono::steady_clock;
    // The time the statement about to be stepped may still take. The progress handler measures a
    // long step from its first call and stops it past the budget (SQLITE_INTERRUPT; timedOut()
    // then says why); a step too short for the handler is not measured here.
    void startBudget(Clock::duration budget);
    // Ends the budget; returns the time the handler measured (zero when it was not called).
    Clock::duration endBudget();
    bool timedOut() const { return timedOut_; }
    void setTimedOut() { timedOut_ = true; }

    // True when no two rows of a decoded table can tie in a query that compares `equality`
    // columns with constants and orders by `ordering`: those columns hold a key that the rows
    // proved while they were decoded. Such a query needs no tie-break by stored order.
    bool tieFree(const QString& table, const QStringList& equality, const QStringList& ordering) const;

private:
    void load(int table, const SourceProvider& source, const QString& file, const QString& sql);
    // The table's column named so, ignoring case; empty when none is.
    QString columnName(std::size_t table, const QString& name) const;
    // Makes an index of `key` (quoted column names) once; false when it cannot be made now.
    bool makeIndex(std::size_t table, const QStringList& key, bool covering);
    static int progress(void* self);
    static int authorize(void* self, int action, const char*, const char*, const char*, const char*);

    sqlite3* db_ = nullptr;
    std::vector<SourceTable> catalog_;
    std::vector<TableSchema> tables_;
    std::vector<bool> loaded_;
    std::vector<std::int64_t> rowCounts_;
    std::vector<std::vector<int>> keys_;  // per table, a key its rows proved; empty when none
    std::vector<bool> covered_;           // per table, whether it has an index of every column
    std::vector<std::vector<QStringList>> indexKeys_;  // per table, the columns of each index made
    QSet<QString> indexes_;
    QSet<QString> lookupsTried_;          // table and key of each lookup index tried
    sqlite3_stmt* watched_ = nullptr;     // the search stepLookup is running
    Clock::duration budget_{};
    Clock::time_point stepSeen_;      // the handler's first call in the step
    Clock::duration measured_{};
    bool budgeted_ = false;
    bool seen_ = false;
    bool timedOut_ = false;
    std::int64_t decodeRuns_ = 0;
    bool userStatement_ = false;  // the authorizer admits reading only
};

// A column's engine type from its declared SQL type ("VARCHAR(50)" is Text, "MONEY" Currency).
int typeOfDeclaration(const QString& declared);

// Rows a table needs before the engine indexes it for an ordering.
inline constexpr std::int64_t kIndexMinimumRows = 2000;

}  // namespace ostrivo::db
