#pragma once

#include "core/FieldTypes.h"
#include "db/Variant.h"

#include <QString>
#include <chrono>
#include <memory>
#include <vector>

namespace ostrivo::db {

struct ColumnDef {
    QString name;
    int type = type::Text;  // engine code
    int size = 0;           // declared size (Text: characters) where the source has one
};

struct TableSchema {
    QString name;
    std::vector<ColumnDef> columns;
};

// The rows of one record set, in its order, with a current row that the searches move.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual int columnCount() const = 0;
    virtual const ColumnDef& column(int index) const = 0;
    // Moves to the first row that meets the criteria (an Access SQL condition on the columns);
    // false, with no current row, when none does.
    virtual bool findFirst(const QString& criteria) = 0;
    // The same from the row after the current one.
    virtual bool findNext(const QString& criteria) = 0;
    // A fresh record set stands on its first row, if it has one.
    virtual bool hasCurrent() = 0;
    // The current row's value; only called when hasCurrent(). The reference stands until the
    // cursor moves or reads the same column again.
    virtual const Variant& value(int column) = 0;
};

// An open database: a file decoded into the query engine today, a server tomorrow.
class Connection {
public:
    virtual ~Connection() = default;
    // How messages name the database (the file's path).
    virtual QString name() const = 0;
    // The tables in the engine's order, system tables included.
    virtual const std::vector<TableSchema>& tables() = 0;
    // A record set of an Access SQL query (or of a table named alone).
    virtual std::unique_ptr<Cursor> query(const QString& accessSql) = 0;
    // Releases the file or server; the connection is not used afterwards.
    virtual void close() = 0;
};

// How long one record set may work in the query engine, over all its searches, before it fails
// with DatabaseError (err::QueryTimeout) naming its SQL: a recursive query must not run for ever.
// 60 seconds unless set; for the whole process.
void setQueryTimeLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds queryTimeLimit();

// Opens the database a name stands for; the backend is chosen by the file's signature.
// Throws DatabaseError: err::DatabaseNotFound (no such file), err::NotADatabase (neither Access
// nor SQLite, or unreadable). Like everything here, to be called from one thread (the user
// interface's): the decoded copies are shared without locks.
std::unique_ptr<Connection> openConnection(const QString& name);

class TableSource;
// The tables of an Access or SQLite file, read as they are stored (the import's source). Throws
// DatabaseError as openConnection does; a connection file is err::NotADatabase here.
std::unique_ptr<TableSource> openFileSource(const QString& name);

}  // namespace ostrivo::db
