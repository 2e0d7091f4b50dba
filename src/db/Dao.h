#pragma once

// The database engine as the report engine and the dialogs use it:
//
//   auto db = dbEngine().OpenDatabase(QStringLiteral("hotel.mdb"));
//   for (int k = 0; k < db->TableDefs().Count(); ++k) ... db->TableDefs().Item(k).Name();
//   auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti Where NumeroHotel = 1"), 2);
//   rs->FindFirst(QStringLiteral("NumeroHotel = 1"));
//   while (!rs->NoMatch()) { rs->Fields().Item(QStringLiteral("Cognome")).Value().text(); rs->FindNext(...); }
//   db->Close();
//
// Every failure throws ostrivo::DatabaseError naming the file, the table or column where known,
// and the SQL. Nothing is ever written to a database file.

#include "db/Backend.h"
#include "db/Variant.h"

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace ostrivo::db {

class Recordset;

class Field {
public:
    QString Name() const { return name_; }
    // The engine's type code: 1 Boolean, 2 Byte, 3 Integer, 4 Long, 5 Currency, 6 Single,
    // 7 Double, 8 Date/Time, 9 Binary, 10 Text, 11 Long binary (OLE), 12 Memo, 15 GUID, 20 Decimal.
    int Type() const { return type_; }
    // Declared size: characters for Text, bytes for the other fixed types; 0 for Memo and OLE.
    int Size() const { return size_; }
    // The current record's value. A field of a TableDef has no value (err::InvalidOperation);
    // a record set with no current record throws err::NoCurrentRecord. The reference stands
    // until the record set moves, closes or reads this field again: copy the value to keep it.
    const Variant& Value() const;

private:
    friend class FieldCollection;
    [[noreturn]] void noValue() const;
    QString name_;
    int type_ = 0;
    int size_ = 0;
    Recordset* recordset_ = nullptr;
    int column_ = -1;
    QString file_;
};

class FieldCollection {
public:
    int Count() const { return static_cast<int>(fields_.size()); }
    // Index from 0. Out of range: err::ItemNotFound.
    const Field& Item(int index) const;
    // The name ignores case. Unknown: err::ItemNotFound naming the field and the file.
    const Field& Item(const QString& name) const;

private:
    friend class TableDef;
    friend class Recordset;
    friend class Database;
    void assign(const std::vector<ColumnDef>& columns, Recordset* recordset, const QString& file,
                const QString& owner);
    int find(const QString& name) const;
    std::vector<Field> fields_;
    QHash<QString, int> byName_;  // exact names; other spellings are looked up ignoring case
    // Callers read a row's fields in the same sequence row after row: the field that followed
    // the one last found is compared first, before hashing. Entry 0 is for the first request,
    // entry i + 1 for the one after field i; -1 where none is known yet.
    mutable std::vector<int> following_ = std::vector<int>(1, -1);
    mutable int last_ = -1;
    QString file_;
    QString owner_;  // the table or the record set's SQL, for messages
};

class TableDef {
public:
    QString Name() const { return name_; }
    const FieldCollection& Fields() const { return fields_; }

private:
    friend class TableDefCollection;
    friend class Database;
    QString name_;
    FieldCollection fields_;
};

class TableDefCollection {
public:
    int Count() const { return static_cast<int>(tables_.size()); }
    // In the engine's order, system tables ("MSys...") included.
    const TableDef& Item(int index) const;
    const TableDef& Item(const QString& name) const;

private:
    friend class Database;
    std::vector<TableDef> tables_;
    QString file_;
};

class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Criteria are Access SQL conditions on the record set's fields ("NumeroHotel = 1 and
    // DataArrivo >= '20240101'"); rows are visited in the record set's order. A failed search
    // leaves no current record.
    void FindFirst(const QString& criteria);
    void FindNext(const QString& criteria);
    bool NoMatch() const { return noMatch_; }
    const FieldCollection& Fields() const { return fields_; }
    void Close();

private:
    friend class Database;
    friend class Field;
    Recordset(std::unique_ptr<Cursor> cursor, std::shared_ptr<const bool> databaseOpen, QString file, QString sql);
    const Variant& value(int column, const QString& name);
    void check() const;
    [[noreturn]] void closed() const;
    [[noreturn]] void noCurrentRecord(const QString& name) const;

    std::unique_ptr<Cursor> cursor_;
    std::shared_ptr<const bool> databaseOpen_;
    QString file_;
    QString sql_;
    FieldCollection fields_;
    bool noMatch_ = false;
};

// Inline: a report reads these for every field of every row.
inline void Recordset::check() const
{
    if (!cursor_ || !*databaseOpen_) [[unlikely]]
        closed();
}

inline const Variant& Recordset::value(int column, const QString& name)
{
    check();
    if (!cursor_->hasCurrent()) [[unlikely]]
        noCurrentRecord(name);
    return cursor_->value(column);
}

inline const Variant& Field::Value() const
{
    if (!recordset_) [[unlikely]]
        noValue();
    return recordset_->value(column_, name_);
}

class Database {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The file's path as it was opened.
    QString Name() const;
    const TableDefCollection& TableDefs();
    // type: 2 (dynaset) as the system always passes; 1, 4 and 8 read the same way.
    std::unique_ptr<Recordset> OpenRecordset(const QString& sql, int type = 2);
    // Releases the file; the database and its record sets are not usable afterwards.
    void Close();

private:
    friend class DBEngine;
    friend class Workspace;
    explicit Database(std::unique_ptr<Connection> connection);
    void check() const;

    std::unique_ptr<Connection> connection_;
    std::shared_ptr<bool> open_;
    QString name_;
    std::unique_ptr<TableDefCollection> tableDefs_;
};

class Workspace {
public:
    // The same as DBEngine::OpenDatabase.
    std::unique_ptr<Database> OpenDatabase(const QString& name);
};

class WorkspaceCollection {
public:
    int Count() const { return 1; }
    // Only the default workspace, 0, exists.
    Workspace& Item(int index);

private:
    Workspace workspace_;
};

class DBEngine {
public:
    // A name relative to the current directory; where the exact name is missing a name that
    // differs only in case is taken. Missing: err::DatabaseNotFound; neither an Access nor an
    // SQLite file: err::NotADatabase.
    std::unique_ptr<Database> OpenDatabase(const QString& name);
    WorkspaceCollection& Workspaces() { return workspaces_; }

private:
    WorkspaceCollection workspaces_;
};

// The one engine of the process, created on first use.
DBEngine& dbEngine();

}  // namespace ostrivo::db
