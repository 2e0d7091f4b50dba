#pragma once

#include "db/Backend.h"

#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace ostrivo::db {

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

}  // namespace ostrivo::db
