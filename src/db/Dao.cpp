#include "db/Dao.h"

#include "core/Errors.h"
#include "db/Backend.h"

#include <cstring>

namespace ostrivo::db {

// --- Field, FieldCollection --------------------------------------------------------------------

namespace {

// QString's == goes through a general comparison; names are short and mostly equal here.
bool sameText(const QString& a, const QString& b)
{
    return a.size() == b.size() &&
           (a.constData() == b.constData() ||
            std::memcmp(a.constData(), b.constData(), static_cast<std::size_t>(a.size()) * sizeof(QChar)) == 0);
}

}  // namespace

void Field::noValue() const
{
    throw DatabaseError(err::InvalidOperation,
                        QStringLiteral("il campo %1 di una tabella non ha valore: si legge da un record set").arg(name_),
                        file_);
}

void FieldCollection::assign(const std::vector<ColumnDef>& columns, Recordset* recordset, const QString& file,
                             const QString& owner)
{
    file_ = file;
    owner_ = owner;
    fields_.clear();
    byName_.clear();
    fields_.reserve(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        Field f;
        f.name_ = columns[i].name;
        f.type_ = columns[i].type;
        f.size_ = columns[i].size;
        f.recordset_ = recordset;
        f.column_ = static_cast<int>(i);
        f.file_ = file;
        if (!byName_.contains(f.name_))  // of two equal names, the first counts
            byName_.insert(f.name_, static_cast<int>(i));
        fields_.push_back(std::move(f));
    }
    following_.assign(fields_.size() + 1, -1);
    last_ = -1;
}

const Field& FieldCollection::Item(int index) const
{
    if (index < 0 || index >= Count())
        throw DatabaseError(err::ItemNotFound,
                            QStringLiteral("campo numero %1 di %2 (sono %3)")
                                .arg(QString::number(index), owner_, QString::number(Count())),
                            file_);
    return fields_[static_cast<std::size_t>(index)];
}

const Field& FieldCollection::Item(const QString& name) const
{
    int& guess = following_[static_cast<std::size_t>(last_ + 1)];
    if (guess >= 0 && sameText(fields_[static_cast<std::size_t>(guess)].name_, name)) {
        last_ = guess;
        return fields_[static_cast<std::size_t>(guess)];
    }
    const int found = find(name);
    if (found < 0)
        throw DatabaseError(err::ItemNotFound, QStringLiteral("campo sconosciuto: %1 (in %2)").arg(name, owner_), file_);
    // Only exact spellings are guessed: another spelling must find the same field as before.
    if (fields_[static_cast<std::size_t>(found)].name_ == name)
        guess = found;
    last_ = found;
    return fields_[static_cast<std::size_t>(found)];
}

int FieldCollection::find(const QString& name) const
{
    if (const auto found = byName_.constFind(name); found != byName_.constEnd())
        return *found;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].name_.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

// --- TableDefCollection ------------------------------------------------------------------------

const TableDef& TableDefCollection::Item(int index) const
{
    if (index < 0 || index >= Count())
        throw DatabaseError(err::ItemNotFound,
                            QStringLiteral("tabella numero %1 (sono %2)").arg(index).arg(Count()), file_);
    return tables_[static_cast<std::size_t>(index)];
}

const TableDef& TableDefCollection::Item(const QString& name) const
{
    for (const TableDef& t : tables_) {
        if (t.name_ == name)
            return t;
    }
    for (const TableDef& t : tables_) {
        if (t.name_.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    }
    throw DatabaseError(err::ItemNotFound, QStringLiteral("tabella sconosciuta: %1").arg(name), file_);
}

// --- Recordset ---------------------------------------------------------------------------------

Recordset::Recordset(std::unique_ptr<Cursor> cursor, std::shared_ptr<const bool> databaseOpen, QString file,
                     QString sql)
    : cursor_(std::move(cursor)), databaseOpen_(std::move(databaseOpen)), file_(std::move(file)), sql_(std::move(sql))
{
    std::vector<ColumnDef> columns;
    for (int i = 0; i < cursor_->columnCount(); ++i)
        columns.push_back(cursor_->column(i));
    fields_.assign(columns, this, file_, sql_);
}

Recordset::~Recordset() = default;

void Recordset::closed() const
{
    throw DatabaseError(err::ObjectInvalid, QStringLiteral("record set chiuso"), file_, sql_);
}

void Recordset::FindFirst(const QString& criteria)
{
    check();
    noMatch_ = !cursor_->findFirst(criteria);
}

void Recordset::FindNext(const QString& criteria)
{
    check();
    noMatch_ = !cursor_->findNext(criteria);
}

void Recordset::noCurrentRecord(const QString& name) const
{
    throw DatabaseError(err::NoCurrentRecord, QStringLiteral("lettura del campo %1").arg(name), file_, sql_);
}

void Recordset::Close()
{
    cursor_.reset();
}

// --- Database ----------------------------------------------------------------------------------

Database::Database(std::unique_ptr<Connection> connection)
    : connection_(std::move(connection)), open_(std::make_shared<bool>(true)), name_(connection_->name())
{
}

Database::~Database()
{
    if (*open_)
        Close();
}

void Database::check() const
{
    if (!*open_)
        throw DatabaseError(err::ObjectInvalid, QStringLiteral("database chiuso"), name_);
}

QString Database::Name() const
{
    return name_;
}

const TableDefCollection& Database::TableDefs()
{
    check();
    if (!tableDefs_) {
        auto defs = std::make_unique<TableDefCollection>();
        defs->file_ = name_;
        const std::vector<TableSchema>& tables = connection_->tables();
        defs->tables_.resize(tables.size());
        for (std::size_t i = 0; i < tables.size(); ++i) {
            defs->tables_[i].name_ = tables[i].name;
            defs->tables_[i].fields_.assign(tables[i].columns, nullptr, name_, tables[i].name);
        }
        tableDefs_ = std::move(defs);
    }
    return *tableDefs_;
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QString& sql, int type)
{
    check();
    if (type != 1 && type != 2 && type != 4 && type != 8)
        throw DatabaseError(err::InvalidArgument, QStringLiteral("tipo di record set %1 non previsto").arg(type),
                            name_, sql);
    return std::unique_ptr<Recordset>(new Recordset(connection_->query(sql), open_, name_, sql));
}

void Database::Close()
{
    check();
    *open_ = false;
    connection_->close();
}

// --- Workspace, DBEngine -----------------------------------------------------------------------

std::unique_ptr<Database> Workspace::OpenDatabase(const QString& name)
{
    return std::unique_ptr<Database>(new Database(openConnection(name)));
}

Workspace& WorkspaceCollection::Item(int index)
{
    if (index != 0)
        throw DatabaseError(err::ItemNotFound, QStringLiteral("esiste solo lo spazio di lavoro 0, non %1").arg(index),
                            QString());
    return workspace_;
}

std::unique_ptr<Database> DBEngine::OpenDatabase(const QString& name)
{
    return workspaces_.Item(0).OpenDatabase(name);
}

DBEngine& dbEngine()
{
    static DBEngine engine;
    return engine;
}

}  // namespace ostrivo::db
