#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct sqlite3_stmt;

namespace ostrivo::db {

class MemoryStore;

// Rows a table needs before the engine indexes it for an ordering or a search.
inline constexpr std::int64_t kIndexMinimumRows = 2000;

// The query engine's speed heuristics, apart from the store's correctness core: indexes made for
// a record set's ordering (of every column where the rows proved that no two can tie), indexes
// made for searches that read far before they find their row, and leaving out the stored-order
// tie-break where no two rows can tie. None of them changes a result, only how fast it comes.
//
// To hunt a wrong row, switch them all off here: OSTRIVO_QUERY_HEURISTICS=off in the environment
// (or Mode::Off given to the store). Every query then sorts and scans as written, its ties broken
// by stored order; if the row comes out right, the fault is in this file.
class IndexAdvice {
public:
    enum class Mode { On, Off };
    // Off when the environment says OSTRIVO_QUERY_HEURISTICS=off, else On.
    static Mode modeFromEnvironment();

    IndexAdvice(MemoryStore& store, Mode mode, std::size_t tables)
        : store_(store), on_(mode == Mode::On), indexKeys_(tables), covered_(tables, false)
    {
    }

    // Indexes a decoded table for a query that compares `equality` columns with constants and
    // orders by `ordering`, when the table is large enough to be worth it. Never fails. Where
    // such a query can have no ties (see tieFree), the index holds every column, so that the
    // query reads the index alone; one such index per table, as it is a second copy of it.
    void forOrdering(const QString& table, const QStringList& equality, const QStringList& ordering,
                     const QList<bool>& descending);

    // Steps a statement that searches a decoded table, comparing `equality` columns (most telling
    // first) with constants, to its first row. A search that reads through many rows before it
    // finds one (a report's field whose relation picks one row of a large table, say) is stopped,
    // the columns indexed, and the search run again: it and the next ones like it look their rows
    // up. Returns what sqlite3_step returns.
    int stepLookup(sqlite3_stmt* statement, const QString& table, const QStringList& equality);

    // True when no two rows of a decoded table can tie in a query that compares `equality`
    // columns with constants and orders by `ordering`: those columns hold a key that the rows
    // proved while they were decoded. Such a query needs no tie-break by stored order.
    bool tieFree(const QString& table, const QStringList& equality, const QStringList& ordering) const;

    // For the store's progress handler: true when the search stepLookup watches has read far
    // enough to be stopped and indexed.
    bool readTooFar();

private:
    // The table's index in the store when it is decoded and large enough to index; else -1.
    int largeTable(const QString& table) const;
    // Makes an index of `key` (quoted column names) once; false when it cannot be made now.
    bool makeIndex(std::size_t table, const QStringList& key, bool covering);

    MemoryStore& store_;
    bool on_;
    std::vector<std::vector<QStringList>> indexKeys_;  // per table, the columns of each index made
    std::vector<bool> covered_;                        // per table, whether it has an index of every column
    QSet<QString> indexes_;
    QSet<QString> lookupsTried_;       // table and key of each lookup index tried
    sqlite3_stmt* watched_ = nullptr;  // the search stepLookup is running
    bool stoppedWatched_ = false;
};

}  // namespace ostrivo::db
