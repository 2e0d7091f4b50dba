#include "db/MemoryStore.h"

#include "core/Errors.h"
#include "db/AccessSql.h"
#include "db/AccessText.h"
#include "db/SelectShape.h"

#include <sqlite3.h>
#include <stdexcept>

namespace ostrivo::db {

void StatementDeleter::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

namespace {

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

QString lastError(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

void execute(sqlite3* db, const QString& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, utf8(sql).constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : "");
        sqlite3_free(message);
        throw std::runtime_error(text.toStdString());
    }
}

// No memory statistics: with them every allocation takes a global mutex. (Connections are also
// opened without their own mutex; each is used from one thread.) Together these were a third of
// the time of reading a large record set.
void configureSqliteOnce()
{
    static const bool done = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);  // fails harmlessly once SQLite is initialised
        sqlite3_initialize();
        return true;
    }();
    (void)done;
}

}  // namespace

MemoryStore::MemoryStore(std::vector<SourceTable> catalog, IndexAdvice::Mode advice)
    : catalog_(std::move(catalog)), advice_(*this, advice, catalog_.size())
{
    configureSqliteOnce();
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db_);
        throw std::bad_alloc();
    }
    registerAccessText(db_);
    registerLikePatternFunction(db_);
    // A mistyped [name] must not turn into a text constant.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    // No report field holds that much, and a function building a larger value
    // (hex(randomblob(300000000))) would keep its row from ending, and the time limit with it,
    // for seconds and gigabytes: the engine stops a statement only between rows.
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, kLongestValue);
    sqlite3_set_authorizer(db_, &MemoryStore::authorize, this);
    sqlite3_progress_handler(db_, QueryBudget::kProgressSteps, &MemoryStore::progress, this);
    for (const SourceTable& t : catalog_)
        tables_.push_back(t.schema);
    loaded_.assign(catalog_.size(), false);
    rowCounts_.assign(catalog_.size(), 0);
    keys_.assign(catalog_.size(), {});
}

MemoryStore::~MemoryStore()
{
    sqlite3_close_v2(db_);
}

int MemoryStore::authorize(void* self, int action, const char*, const char* function, const char*, const char*)
{
    if (!static_cast<MemoryStore*>(self)->userStatement_)
        return SQLITE_OK;
    switch (action) {
    case SQLITE_FUNCTION:
        // Extensions are off anyway; a query has no business asking for one.
        return function && sqlite3_stricmp(function, "load_extension") == 0 ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

int MemoryStore::findTable(const QString& name) const
{
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        if (tables_[i].name == name)
            return static_cast<int>(i);
    }
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        if (tables_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int MemoryStore::loadedCount() const
{
    int n = 0;
    for (bool b : loaded_)
        n += b ? 1 : 0;
    return n;
}

void MemoryStore::load(int index, const SourceProvider& source, const QString& file, const QString& sql)
{
    const SourceTable& table = catalog_.at(static_cast<std::size_t>(index));
    const QString name = quoteIdentifier(table.schema.name);
    QStringList columns;
    QStringList marks;
    for (std::size_t c = 0; c < table.schema.columns.size(); ++c) {
        columns << quoteIdentifier(table.schema.columns[c].name) + QLatin1Char(' ') +
                       table.declarations.value(static_cast<qsizetype>(c));
        marks << QStringLiteral("?");
    }
    // One savepoint holds the new table and its rows: a failure leaves no half-filled copy that
    // later queries would take for the whole table. (A savepoint, unlike BEGIN, also works while
    // another record set is being read.)
    bool created = false;
    try {
        execute(db_, QStringLiteral("SAVEPOINT decode"));
        try {
            execute(db_, QStringLiteral("CREATE TABLE %1 (%2)").arg(name, columns.join(QStringLiteral(", "))));
            created = true;
            sqlite3_stmt* raw = nullptr;
            const QByteArray insert =
                utf8(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(name, marks.join(QStringLiteral(", "))));
            if (sqlite3_prepare_v2(db_, insert.constData(), static_cast<int>(insert.size()), &raw, nullptr) != SQLITE_OK)
                throw std::runtime_error(lastError(db_).toStdString());
            Statement statement(raw);
            RowWriter rows(statement.get());
            std::vector<bool> accessText;
            for (int column : table.primaryKey)
                accessText.push_back(table.declarations.value(column).contains(QLatin1String("COLLATE ACCESS")));
            rows.watchKey(table.primaryKey, std::move(accessText), static_cast<int>(table.schema.columns.size()));
            source().loadTable(table, rows);
            statement.reset();
            execute(db_, QStringLiteral("RELEASE decode"));
            rowCounts_[static_cast<std::size_t>(index)] = rows.rows();
            if (rows.proveKey())
                keys_[static_cast<std::size_t>(index)] = table.primaryKey;
        } catch (...) {
            try {
                execute(db_, QStringLiteral("ROLLBACK TO decode"));
                execute(db_, QStringLiteral("RELEASE decode"));
            } catch (const std::exception&) {
                execute(db_, QStringLiteral("DROP TABLE IF EXISTS %1").arg(name));
            }
            throw;
        }
    } catch (const DatabaseError&) {
        throw;
    } catch (const std::exception& e) {
        throw DatabaseError(created ? err::NotADatabase : err::TableNotFound,
                            QStringLiteral("lettura della tabella %1 non riuscita: %2")
                                .arg(table.schema.name, QString::fromUtf8(e.what())),
                            file, sql);
    }
    loaded_[static_cast<std::size_t>(index)] = true;
    ++decodeRuns_;
}

Statement MemoryStore::prepare(const QString& sql, const SourceProvider& source, const QString& file,
                               const QString& sqlForMessages)
{
    const QByteArray text = utf8(sql);
    QSet<QString> aliased;
    // Each round decodes one more table the query names, until it prepares or fails otherwise.
    for (std::size_t round = 0; round <= catalog_.size() + 1; ++round) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        userStatement_ = true;
        const int rc = sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &raw, &tail);
        userStatement_ = false;
        Statement statement(raw);
        if (rc == SQLITE_OK) {
            if (!statement)
                throw DatabaseError(err::QuerySyntax, QStringLiteral("istruzione SQL vuota"), file, sqlForMessages);
            for (const char* p = tail; p && *p; ++p) {
                if (*p != ';' && !QChar::isSpace(static_cast<unsigned char>(*p)))
                    throw DatabaseError(err::QuerySyntax, QStringLiteral("è ammessa una sola istruzione SQL"),
                                        file, sqlForMessages);
            }
            if (!sqlite3_stmt_readonly(statement.get()))
                throw DatabaseError(err::InvalidOperation,
                                    QStringLiteral("il database è aperto in sola lettura: solo SELECT"), file,
                                    sqlForMessages);
            return statement;
        }
        const QString message = lastError(db_);
        static const QString noTable = QStringLiteral("no such table: ");
        static const QString noColumn = QStringLiteral("no such column: ");
        if (message.startsWith(noTable)) {
            QString missing = message.mid(noTable.size());
            if (missing.startsWith(QLatin1String("main.")))
                missing = missing.mid(5);
            const int index = findTable(missing);
            if (index < 0)
                throw DatabaseError(err::TableNotFound, QStringLiteral("tabella sconosciuta: %1").arg(missing), file,
                                    sqlForMessages);
            if (!loaded_[static_cast<std::size_t>(index)]) {
                load(index, source, file, sqlForMessages);
                continue;
            }
            // Loaded, yet not found: the name differs beyond ASCII case ("UMSÄTZE"), which the
            // engine does not fold. A view of that spelling stands in for the table.
            if (aliased.contains(missing))
                throw DatabaseError(err::TableNotFound, QStringLiteral("tabella sconosciuta: %1").arg(missing), file,
                                    sqlForMessages);
            aliased.insert(missing);
            try {
                execute(db_, QStringLiteral("CREATE VIEW %1 AS SELECT * FROM %2")
                                 .arg(quoteIdentifier(missing), quoteIdentifier(tables_[static_cast<std::size_t>(index)].name)));
            } catch (const std::exception&) {
                throw DatabaseError(err::TableNotFound, QStringLiteral("tabella sconosciuta: %1").arg(missing), file,
                                    sqlForMessages);
            }
            continue;
        }
        if (message.startsWith(noColumn))
            throw DatabaseError(err::TooFewParameters,
                                QStringLiteral("nome sconosciuto: %1").arg(message.mid(noColumn.size())), file,
                                sqlForMessages);
        if (message.contains(QLatin1String("not authorized")))
            throw DatabaseError(err::InvalidOperation,
                                QStringLiteral("il database è aperto in sola lettura: solo SELECT"), file,
                                sqlForMessages);
        if (message.startsWith(QLatin1String("no such function: ")))
            throw DatabaseError(err::QuerySyntax,
                                QStringLiteral("funzione sconosciuta: %1").arg(message.mid(18)), file, sqlForMessages);
        throw DatabaseError(err::QuerySyntax, message, file, sqlForMessages);
    }
    throw DatabaseError(err::TableNotFound, QStringLiteral("tabella non trovata"), file, sqlForMessages);
}

int typeOfDeclaration(const QString& declared)
{
    const QString d = declared.toUpper();
    const auto has = [&](const char* word) { return d.contains(QLatin1String(word)); };
    const bool longText = has("LONGTEXT") || has("LONGCHAR") || has("LONGBINARY");
    if (d.isEmpty())
        return type::Text;
    if (has("BOOL") || d == QLatin1String("BIT") || has("YESNO"))
        return type::Boolean;
    if (has("TINYINT") || d.startsWith(QLatin1String("BYTE")))
        return type::Byte;
    if (has("SMALLINT") || has("SHORT"))
        return type::Integer;
    if (has("INT") || (has("LONG") && !longText))
        return type::Long;
    if (has("MONEY") || has("CURRENCY"))
        return type::Currency;
    if (has("SINGLE"))
        return type::Single;
    if (has("REAL") || has("FLOA") || has("DOUB"))
        return type::Double;
    if (has("DATE") || has("TIME"))
        return type::Date;
    if (has("GUID") || has("UUID") || has("UNIQUEIDENTIFIER"))
        return type::Guid;
    if (has("MEMO") || has("CLOB") || has("LONGTEXT") || has("LONGCHAR"))
        return type::Memo;
    if (has("CHAR") || has("TEXT"))
        return type::Text;
    if (has("BLOB") || has("OLE") || has("LONGBINARY"))
        return type::LongBinary;
    if (has("BINARY"))
        return type::Binary;
    if (has("DEC") || has("NUMERIC"))
        return type::Decimal;
    return type::Text;
}

int MemoryStore::columnType(sqlite3_stmt* statement, int column) const
{
    const char* table = sqlite3_column_table_name(statement, column);
    const char* origin = sqlite3_column_origin_name(statement, column);
    if (table && origin) {
        const QString t = QString::fromUtf8(table);
        const QString c = QString::fromUtf8(origin);
        for (const TableSchema& schema : tables_) {
            if (schema.name != t)
                continue;
            for (const ColumnDef& def : schema.columns) {
                if (def.name == c)
                    return def.type;
            }
        }
    }
    const char* declared = sqlite3_column_decltype(statement, column);
    return declared ? typeOfDeclaration(QString::fromUtf8(declared)) : type::Text;
}

QString MemoryStore::columnName(int table, const QString& name) const
{
    for (const ColumnDef& c : tables_.at(static_cast<std::size_t>(table)).columns) {
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return c.name;
    }
    return {};
}

int MemoryStore::progress(void* self)
{
    // One handler, two askers; non-zero stops the statement (SQLITE_INTERRUPT).
    auto* store = static_cast<MemoryStore*>(self);
    return store->budget_.expired() || store->advice_.readTooFar();
}

}  // namespace ostrivo::db
