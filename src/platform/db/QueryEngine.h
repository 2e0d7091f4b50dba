#pragma once

#include "platform/db/Backend.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ostrivo::db {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const;
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// A table as a source describes it: the engine's schema, and each column's SQL declaration
// (type and collation) for the query engine's copy.
struct SourceTable {
    TableSchema schema;
    QStringList declarations;
    // The file's primary key (columns from 0), where the source knows one. A hint only: the
    // query engine relies on it once the rows have proved it (see RowWriter::watchKey).
    std::vector<int> primaryKey;
};

// Fills one row of a table's copy at a time.
class RowWriter {
public:
    explicit RowWriter(sqlite3_stmt* insert) : insert_(insert) {}
    // Columns count from 0.
    void bindNull(int column);
    void bindInteger(int column, std::int64_t value);
    void bindReal(int column, double value);
    void bindText(int column, std::string_view utf8);
    void bindBlob(int column, const void* data, std::size_t size);
    sqlite3_stmt* statement() const { return insert_; }
    void endRow();  // throws on failure
    std::int64_t rows() const { return rows_; }

    // Watches whether no two rows are equal in these columns, compared as the query engine
    // compares them: numbers by value, texts as Access does where `accessText` says so. A Null,
    // bytes, a text elsewhere, a NaN or numbers of two kinds in one column give up.
    void watchKey(std::vector<int> columns, std::vector<bool> accessText, int columnCount);
    // After the last row: whether the rows proved the columns a key. Rows in strictly increasing
    // order prove it at once; otherwise no two rows may share a hash of their key (so a rare
    // collision only loses the proof).
    bool proveKey();

private:
    struct KeyPart {
        int type = 0;  // SQLITE_INTEGER, SQLITE_FLOAT or SQLITE_TEXT; 0 for what gives up
        std::int64_t integer = 0;
        double real = 0;
        std::string text;
    };
    KeyPart* keyPart(int column);
    int compareKeys() const;
    void watchRow();

    sqlite3_stmt* insert_;
    std::int64_t rows_ = 0;
    bool watching_ = false;
    bool increasing_ = true;
    std::vector<int> keyPosition_;  // per column: its place in the key, or -1
    std::vector<bool> accessText_;  // per place in the key
    std::vector<KeyPart> row_;
    std::vector<KeyPart> previous_;
    std::vector<std::uint64_t> hashes_;  // of each row's key
};

// Where tables come from: an Access file through libmdb, an SQLite file.
class TableSource {
public:
    virtual ~TableSource() = default;
    virtual std::vector<SourceTable> readCatalog() = 0;
    // Writes every row of the table, in the source's order. Throws DatabaseError.
    virtual void loadTable(const SourceTable& table, RowWriter& rows) = 0;
};

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
    int coveringIndexCount() const;

    // True when no two rows of a decoded table can tie in a query that compares `equality`
    // columns with constants and orders by `ordering`: those columns hold a key that the rows
    // proved while they were decoded. Such a query needs no tie-break by stored order.
    bool tieFree(const QString& table, const QStringList& equality, const QStringList& ordering) const;

private:
    void load(int table, const SourceProvider& source, const QString& file, const QString& sql);
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
    std::int64_t decodeRuns_ = 0;
    bool userStatement_ = false;  // the authorizer admits reading only
};

// A connection answering through a store. `openSource` opens the file when a table must be
// decoded; `source` may already be open (it read the catalog).
std::unique_ptr<Connection> makeMemoryConnection(std::shared_ptr<MemoryStore> store, QString name,
                                                 std::function<std::unique_ptr<TableSource>()> openSource,
                                                 std::unique_ptr<TableSource> source);

// A column's engine type from its declared SQL type ("VARCHAR(50)" is Text, "MONEY" Currency).
int typeOfDeclaration(const QString& declared);

// Rows a table needs before the engine indexes it for an ordering.
inline constexpr std::int64_t kIndexMinimumRows = 2000;

}  // namespace ostrivo::db
