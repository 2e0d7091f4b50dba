#include "platform/db/QueryEngine.h"

#include "platform/Errors.h"
#include "platform/db/AccessSql.h"
#include "platform/db/AccessText.h"
#include "platform/db/NumberText.h"
#include "platform/db/SelectShape.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <map>
#include <sqlite3.h>
#include <string>

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

// --- RowWriter ---------------------------------------------------------------------------------

void RowWriter::watchKey(std::vector<int> columns, std::vector<bool> accessText, int columnCount)
{
    watching_ = false;
    if (columns.empty() || columns.size() != accessText.size())
        return;
    keyPosition_.assign(static_cast<std::size_t>(columnCount), -1);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        if (columns[k] < 0 || columns[k] >= columnCount || keyPosition_[static_cast<std::size_t>(columns[k])] >= 0)
            return;
        keyPosition_[static_cast<std::size_t>(columns[k])] = static_cast<int>(k);
    }
    accessText_ = std::move(accessText);
    row_.assign(columns.size(), KeyPart{});
    previous_.assign(columns.size(), KeyPart{});
    watching_ = true;
    increasing_ = true;
}

RowWriter::KeyPart* RowWriter::keyPart(int column)
{
    if (!watching_)
        return nullptr;
    const int position = keyPosition_[static_cast<std::size_t>(column)];
    return position < 0 ? nullptr : &row_[static_cast<std::size_t>(position)];
}

void RowWriter::bindNull(int column)
{
    if (KeyPart* part = keyPart(column))
        part->type = 0;
    sqlite3_bind_null(insert_, column + 1);
}

void RowWriter::bindInteger(int column, std::int64_t value)
{
    if (KeyPart* part = keyPart(column)) {
        part->type = SQLITE_INTEGER;
        part->integer = value;
    }
    sqlite3_bind_int64(insert_, column + 1, value);
}

void RowWriter::bindReal(int column, double value)
{
    if (KeyPart* part = keyPart(column)) {
        part->type = value == value ? SQLITE_FLOAT : 0;
        part->real = value;
    }
    sqlite3_bind_double(insert_, column + 1, value);
}

void RowWriter::bindText(int column, std::string_view text)
{
    if (KeyPart* part = keyPart(column)) {
        const bool access = accessText_[static_cast<std::size_t>(keyPosition_[static_cast<std::size_t>(column)])];
        part->type = access ? SQLITE_TEXT : 0;
        part->text.assign(text);
    }
    sqlite3_bind_text64(insert_, column + 1, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void RowWriter::bindBlob(int column, const void* data, std::size_t size)
{
    if (KeyPart* part = keyPart(column))
        part->type = 0;
    // A zero-length blob must stay a blob (an empty binary value is not Null).
    sqlite3_bind_blob64(insert_, column + 1, size ? data : "", size, SQLITE_TRANSIENT);
}

// Negative, zero or positive as this row's key is below, equal to or above the previous one's;
// zero too when they cannot be compared.
int RowWriter::compareKeys() const
{
    for (std::size_t k = 0; k < row_.size(); ++k) {
        const KeyPart& a = row_[k];
        const KeyPart& b = previous_[k];
        if (a.type == 0 || a.type != b.type)
            return 0;
        int c = 0;
        switch (a.type) {
        case SQLITE_INTEGER:
            c = (a.integer > b.integer) - (a.integer < b.integer);
            break;
        case SQLITE_FLOAT:
            c = (a.real > b.real) - (a.real < b.real);
            break;
        default:
            c = compareAccessText(a.text, b.text);
            break;
        }
        if (c != 0)
            return c;
    }
    return 0;
}

void RowWriter::watchRow()
{
    if (rows_ == 0) {
        for (const KeyPart& part : row_)
            watching_ = watching_ && part.type != 0;
    } else {
        for (std::size_t k = 0; k < row_.size(); ++k)
            watching_ = watching_ && row_[k].type != 0 && row_[k].type == previous_[k].type;
        increasing_ = increasing_ && compareKeys() > 0;
    }
    if (!watching_) {
        hashes_ = {};
        return;
    }
    std::uint64_t h = 0x9E3779B97F4A7C15ULL;
    for (const KeyPart& part : row_) {
        std::uint64_t v = 0;
        switch (part.type) {
        case SQLITE_INTEGER:
            v = static_cast<std::uint64_t>(part.integer);
            break;
        case SQLITE_FLOAT:
            v = std::bit_cast<std::uint64_t>(part.real == 0 ? 0.0 : part.real);  // -0 equals 0
            break;
        default:
            v = hashAccessText(part.text);
            break;
        }
        h = (h ^ v) * 0xff51afd7ed558ccdULL;
        h ^= h >> 32;
    }
    hashes_.push_back(h);
    previous_ = row_;
}

bool RowWriter::proveKey()
{
    if (!watching_)
        return false;
    bool unique = increasing_;
    if (!unique) {
        std::sort(hashes_.begin(), hashes_.end());
        unique = std::adjacent_find(hashes_.begin(), hashes_.end()) == hashes_.end();
    }
    hashes_ = {};
    return unique;
}

void RowWriter::endRow()
{
    const int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(insert_)));
    if (watching_)
        watchRow();
    ++rows_;
}

// --- MemoryStore -------------------------------------------------------------------------------

MemoryStore::MemoryStore(std::vector<SourceTable> catalog) : catalog_(std::move(catalog))
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
    sqlite3_set_authorizer(db_, &MemoryStore::authorize, this);
    for (const SourceTable& t : catalog_)
        tables_.push_back(t.schema);
    loaded_.assign(catalog_.size(), false);
    rowCounts_.assign(catalog_.size(), 0);
    keys_.assign(catalog_.size(), {});
    covered_.assign(catalog_.size(), false);
    indexKeys_.assign(catalog_.size(), {});
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

void MemoryStore::adviseIndex(const QString& table, const QStringList& equality, const QStringList& ordering,
                              const QList<bool>& descending)
{
    if (ordering.isEmpty())
        return;
    const int index = findTable(table);
    if (index < 0 || !loaded_[static_cast<std::size_t>(index)] || rowCounts_[static_cast<std::size_t>(index)] < kIndexMinimumRows)
        return;
    const TableSchema& schema = tables_[static_cast<std::size_t>(index)];
    if (schema.name.compare(table, Qt::CaseSensitive) != 0 && schema.name.compare(table, Qt::CaseInsensitive) != 0)
        return;
    const auto resolve = [&](const QString& name) -> QString {
        for (const ColumnDef& c : schema.columns) {
            if (c.name.compare(name, Qt::CaseInsensitive) == 0)
                return c.name;
        }
        return {};
    };
    QStringList orderKey;
    QStringList orderNames;
    for (qsizetype i = 0; i < ordering.size(); ++i) {
        const QString name = resolve(ordering[i]);
        if (name.isEmpty())
            return;
        orderNames << name;
        orderKey << quoteIdentifier(name) + (descending.value(i) ? QStringLiteral(" DESC") : QString());
    }
    QStringList key;
    for (const QString& e : equality) {
        const QString name = resolve(e);
        if (!name.isEmpty() && !orderNames.contains(name) && !key.contains(quoteIdentifier(name)))
            key << quoteIdentifier(name);
    }
    key << orderKey;
    // With no ties to break by stored order, an index of every column serves the query alone:
    // no lookup of each row in the table.
    const std::size_t t = static_cast<std::size_t>(index);
    const bool noTies = tieFree(table, equality, ordering);
    if (noTies) {
        // Any index that begins with these columns orders such a query.
        for (const QStringList& made : indexKeys_[t]) {
            if (made.size() >= key.size() && std::equal(key.begin(), key.end(), made.begin()))
                return;
        }
    }
    bool covering = false;
    if (noTies && !covered_[t]) {
        bool coverable = true;
        QStringList rest;
        for (const ColumnDef& c : schema.columns) {
            // Long values would make the index a second copy of large texts and bytes.
            if (c.type == type::Memo || c.type == type::LongBinary)
                coverable = false;
            if (!orderNames.contains(c.name) && !key.contains(quoteIdentifier(c.name)))
                rest << quoteIdentifier(c.name);
        }
        if (coverable) {
            covering = true;
            key << rest;
        }
    }
    const QString signature = schema.name + QLatin1Char('\x1f') + key.join(QLatin1Char(','));
    if (indexes_.contains(signature) || indexes_.size() >= 32)
        return;
    indexes_.insert(signature);  // also when it fails: it is not tried again
    try {
        execute(db_, QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                         .arg(quoteIdentifier(QStringLiteral("ix_%1").arg(indexes_.size())),
                              quoteIdentifier(schema.name), key.join(QStringLiteral(", "))));
        indexKeys_[t].push_back(key);
        covered_[t] = covered_[t] || covering;
    } catch (const std::exception&) {
        // A table being read cannot be indexed just now; the query simply sorts.
    }
}

int MemoryStore::coveringIndexCount() const
{
    return static_cast<int>(std::count(covered_.begin(), covered_.end(), true));
}

bool MemoryStore::tieFree(const QString& table, const QStringList& equality, const QStringList& ordering) const
{
    const int index = findTable(table);
    if (index < 0 || !loaded_[static_cast<std::size_t>(index)] || ordering.isEmpty())
        return false;
    const std::vector<int>& key = keys_[static_cast<std::size_t>(index)];
    if (key.empty())
        return false;
    const std::vector<ColumnDef>& columns = tables_[static_cast<std::size_t>(index)].columns;
    // Every column of the key is fixed by an equality or ordered: rows that tie agree on the key.
    // Names match as the engine matches them, ignoring the case of ASCII letters only.
    for (int k : key) {
        const QByteArray name = utf8(columns[static_cast<std::size_t>(k)].name);
        const auto same = [&](const QString& other) { return sqlite3_stricmp(utf8(other).constData(), name.constData()) == 0; };
        if (std::none_of(equality.begin(), equality.end(), same) && std::none_of(ordering.begin(), ordering.end(), same))
            return false;
    }
    return true;
}

// --- MemoryCursor ------------------------------------------------------------------------------

namespace {

class MemoryConnection;

// Recent values of one column of a record set. A report's columns repeat their values (dates,
// descriptions, rooms, amounts, codes): a value met again is handed out shared, its text already
// made, instead of being converted and formatted anew. Bounded: a few hundred short values.
class ValueMemo {
public:
    // The slot where the value belongs; it holds the value when `holds` says so.
    struct Slot {
        int type = SQLITE_NULL;  // what the slot holds: SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT
        std::uint64_t bits = 0;  // the integer, or the double's bits
        std::string utf8;        // the text
        Variant value;
    };
    static constexpr std::size_t kLongestText = 64;

    Slot& number(int type, std::uint64_t bits) { return slots_[spread(bits ^ static_cast<std::uint64_t>(type))]; }
    Slot& text(std::string_view utf8)
    {
        // Eight bytes at a time; the length joins in, so that texts of zeros differ.
        std::uint64_t h = utf8.size();
        std::size_t i = 0;
        for (; i + 8 <= utf8.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, utf8.data() + i, 8);
            h = (h ^ word) * 0x9E3779B97F4A7C15ULL;
        }
        std::uint64_t tail = 0;
        std::memcpy(&tail, utf8.data() + i, utf8.size() - i);
        return slots_[spread(h ^ tail)];
    }
    static bool holds(const Slot& slot, int type, std::uint64_t bits)
    {
        return slot.type == type && slot.bits == bits;
    }
    static bool holds(const Slot& slot, std::string_view utf8)
    {
        return slot.type == SQLITE_TEXT && std::string_view(slot.utf8) == utf8;
    }

private:
    static constexpr int kBits = 8;
    static std::size_t spread(std::uint64_t h) { return static_cast<std::size_t>((h * 0x9E3779B97F4A7C15ULL) >> (64 - kBits)); }
    std::array<Slot, std::size_t{1} << kBits> slots_;
};

// A record set: its statement is stepped lazily, never copied. Searches of a simple query run as
// one statement (the query's condition and the criteria together) in the query's order; other
// record sets test the criteria row by row.
class MemoryCursor final : public Cursor {
public:
    MemoryCursor(std::shared_ptr<MemoryStore> store, MemoryStore::SourceProvider source, QString file,
                 QString accessSql, const QString& engineSql);

    int columnCount() const override { return static_cast<int>(columns_.size()); }
    const ColumnDef& column(int index) const override { return columns_.at(static_cast<std::size_t>(index)); }
    bool findFirst(const QString& criteria) override;
    bool findNext(const QString& criteria) override;
    bool hasCurrent() override;
    const Variant& value(int column) override;

private:
    ValueMemo& memo(int column)
    {
        const std::unique_ptr<ValueMemo>& m = memos_[static_cast<std::size_t>(column)];
        return m ? *m : newMemo(column);
    }
    ValueMemo& newMemo(int column);
    QString ordering(const SelectShape& shape, const QStringList& equality) const;
    struct Finder {
        QString criteria;      // as the caller wrote it
        QString engineSql;     // translated
        Statement together;    // the query's rows that meet it, or null
        Statement test;        // the criteria on one row of the query, or null until needed
        std::vector<int> testColumns;
    };
    enum class At { Fresh, Query, Together, None };

    Finder& finder(const QString& criteria);
    void compileTest(Finder& finder);
    bool passes(Finder& finder);
    void restartQuery();
    void stepQuery();
    bool step(sqlite3_stmt* statement, const QString& sql);
    bool scanQuery(Finder& finder);
    sqlite3_stmt* current() const;
    [[noreturn]] void fail(int number, const QString& detail, const QString& sql) const;

    std::shared_ptr<MemoryStore> store_;
    MemoryStore::SourceProvider source_;
    QString file_;
    QString accessSql_;
    std::optional<SelectShape> shape_;  // set when searches can run as one statement
    Statement query_;
    int rowidColumn_ = -1;              // a hidden last column, with a simple query
    std::vector<ColumnDef> columns_;
    std::vector<QString> declaredTypes_;
    std::vector<std::unique_ptr<ValueMemo>> memos_;  // per column, made when first read
    std::vector<Variant> unshared_;  // per column, its last value that no memo keeps
    std::map<QString, std::unique_ptr<Finder>> finders_;
    At at_ = At::Fresh;
    bool queryRow_ = false;
    bool queryStepped_ = false;
    Finder* together_ = nullptr;
    Finder* last_ = nullptr;  // the criteria of the last search, usually those of the next one
};

// Plain column lists keep criteria names meaning the same in the record set and in the table:
// "*", "t.*", "a, t.b, \"c d\"" but no alias and no expression.
bool plainColumns(const QString& columns, const QString& qualifier)
{
    static const QString name = QStringLiteral("(?:\"(?:[^\"]|\"\")*\"|[^\\s.\"(),*']+)");
    static const QRegularExpression item(QStringLiteral("^(?:(%1)\\s*\\.\\s*)?(%1|\\*)$").arg(name));
    if (columns.contains(QLatin1Char('(')))
        return false;
    for (const QString& part : columns.split(QLatin1Char(','))) {
        const auto m = item.match(part.trimmed());
        if (!m.hasMatch())
            return false;
        const QString prefix = m.captured(1);
        if (!prefix.isEmpty() && referencedNames(prefix).value(0).compare(qualifier, Qt::CaseInsensitive) != 0)
            return false;
        const QString last = m.captured(2);
        if (last != QLatin1String("*") && referencedNames(last).size() != 1)
            return false;
        const QString word = referencedNames(last).value(0);
        static const QStringList keywords = {QStringLiteral("AS"), QStringLiteral("DISTINCT"), QStringLiteral("ALL")};
        if (keywords.contains(word.toUpper()) && !last.startsWith(QLatin1Char('"')))
            return false;
    }
    return true;
}

QString MemoryCursor::ordering(const SelectShape& shape, const QStringList& equality) const
{
    // Rows that the ordering leaves tied (or every row, without one) come in stored order, the
    // same in the record set and in its searches whatever indexes exist. Where the rows proved
    // that no two can tie, the tie-break is left out: it would keep the query from reading an
    // index of every column alone.
    if (!shape.orderBy.isEmpty() && store_->tieFree(shape.table, equality, shape.orderColumns))
        return shape.orderBy;
    const QString rowid = quoteIdentifier(shape.qualifier) + QStringLiteral(".rowid");
    return shape.orderBy.isEmpty() ? rowid : shape.orderBy + QStringLiteral(", ") + rowid;
}

MemoryCursor::MemoryCursor(std::shared_ptr<MemoryStore> store, MemoryStore::SourceProvider source, QString file,
                           QString accessSql, const QString& engineSql)
    : store_(std::move(store)), source_(std::move(source)), file_(std::move(file)), accessSql_(std::move(accessSql))
{
    query_ = store_->prepare(engineSql, source_, file_, accessSql_);
    const int count = sqlite3_column_count(query_.get());

    std::optional<SelectShape> shape = parseSelectShape(engineSql);
    if (shape && plainColumns(shape->columns, shape->qualifier)) {
        // Only the table itself has row ids: not the view that stands for a name spelt with
        // other accented capitals.
        const int table = store_->findTable(shape->table);
        bool rowidFree = table >= 0 && store_->isLoaded(table) &&
                         sqlite3_stricmp(utf8(store_->tables()[static_cast<std::size_t>(table)].name).constData(),
                                         utf8(shape->table).constData()) == 0;
        if (rowidFree) {
            for (const ColumnDef& c : store_->tables()[static_cast<std::size_t>(table)].columns) {
                const QString n = c.name.toLower();
                if (n == QLatin1String("rowid") || n == QLatin1String("oid") || n == QLatin1String("_rowid_"))
                    rowidFree = false;
            }
        }
        if (rowidFree) {
            const QString rowid = quoteIdentifier(shape->qualifier) + QStringLiteral(".rowid");
            QString sql = QStringLiteral("SELECT %1, %2 FROM %3").arg(shape->columns, rowid, shape->tableText);
            if (!shape->where.isEmpty())
                sql += QStringLiteral(" WHERE ") + shape->where;
            sql += QStringLiteral(" ORDER BY ") + ordering(*shape, equalityColumns(shape->where));
            Statement withRowid;
            try {
                withRowid = store_->prepare(sql, source_, file_, accessSql_);
            } catch (const DatabaseError&) {
                // The query as written stands; its searches test row by row.
            }
            if (withRowid && sqlite3_column_count(withRowid.get()) == count + 1) {
                query_ = std::move(withRowid);
                rowidColumn_ = count;
                shape_ = std::move(shape);
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        ColumnDef def;
        def.name = QString::fromUtf8(sqlite3_column_name(query_.get(), i));
        def.type = store_->columnType(query_.get(), i);
        columns_.push_back(def);
        const char* declared = sqlite3_column_decltype(query_.get(), i);
        declaredTypes_.push_back(declared ? QString::fromUtf8(declared).toUpper() : QString());
    }
    memos_.resize(columns_.size());
    unshared_.resize(columns_.size());
}

void MemoryCursor::fail(int number, const QString& detail, const QString& sql) const
{
    throw DatabaseError(number, detail, file_, sql);
}

bool MemoryCursor::step(sqlite3_stmt* statement, const QString& sql)
{
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = lastError(store_->db());
    sqlite3_reset(statement);
    fail(err::QuerySyntax, message, sql);
}

void MemoryCursor::restartQuery()
{
    if (queryStepped_) {
        sqlite3_reset(query_.get());
        queryStepped_ = false;
    }
    stepQuery();
}

void MemoryCursor::stepQuery()
{
    if (!queryStepped_ && rowidColumn_ >= 0 && shape_)
        store_->adviseIndex(shape_->table, equalityColumns(shape_->where), shape_->orderColumns,
                            shape_->orderDescending);
    queryStepped_ = true;
    queryRow_ = step(query_.get(), accessSql_);
}

bool MemoryCursor::hasCurrent()
{
    if (at_ == At::Fresh) {
        restartQuery();
        at_ = queryRow_ ? At::Query : At::None;
    }
    return at_ == At::Query || at_ == At::Together;
}

sqlite3_stmt* MemoryCursor::current() const
{
    return at_ == At::Together ? together_->together.get() : query_.get();
}

ValueMemo& MemoryCursor::newMemo(int column)
{
    return *(memos_[static_cast<std::size_t>(column)] = std::make_unique<ValueMemo>());
}

const Variant& MemoryCursor::value(int column)
{
    static const Variant null;
    // One call fetches the value; the sqlite3_value_* calls that read it are cheaper than one
    // sqlite3_column_* call each. (The value is unprotected: fine on a connection of one thread.)
    sqlite3_value* v = sqlite3_column_value(current(), column);
    const int kind = columns_[static_cast<std::size_t>(column)].type;
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return null;
    case SQLITE_INTEGER: {
        const std::int64_t i = sqlite3_value_int64(v);
        const auto bits = static_cast<std::uint64_t>(i);
        ValueMemo::Slot& slot = memo(column).number(SQLITE_INTEGER, bits);
        if (!ValueMemo::holds(slot, SQLITE_INTEGER, bits)) {
            if (kind == type::Boolean)
                slot.value.assignInteger(i != 0 ? -1 : 0, true);
            else
                slot.value.assignInteger(i, false);
            slot.type = SQLITE_INTEGER;
            slot.bits = bits;
        }
        return slot.value;
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(v);
        const auto bits = std::bit_cast<std::uint64_t>(d);
        ValueMemo::Slot& slot = memo(column).number(SQLITE_FLOAT, bits);
        if (!ValueMemo::holds(slot, SQLITE_FLOAT, bits)) {
            slot.value = Variant::fromDouble(d);
            slot.value.keepText();
            slot.type = SQLITE_FLOAT;
            slot.bits = bits;
        }
        return slot.value;
    }
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
        const std::string_view utf8(text, static_cast<std::size_t>(sqlite3_value_bytes(v)));
        const auto make = [&] {
            const QString value = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
            // Currency and Decimal values too long for a double are kept as their exact digits.
            if ((kind == type::Currency || kind == type::Decimal) && isPlainDecimal(value))
                return Variant::fromDecimal(value);
            return Variant::fromText(value);
        };
        if (utf8.size() > ValueMemo::kLongestText)
            return unshared_[static_cast<std::size_t>(column)] = make();
        ValueMemo::Slot& slot = memo(column).text(utf8);
        if (!ValueMemo::holds(slot, utf8)) {
            slot.value = make();
            slot.type = SQLITE_TEXT;
            slot.utf8.assign(utf8);
        }
        return slot.value;
    }
    default: {
        const auto* data = static_cast<const char*>(sqlite3_value_blob(v));
        return unshared_[static_cast<std::size_t>(column)] = Variant::fromBytes(QByteArray(data, sqlite3_value_bytes(v)));
    }
    }
}

MemoryCursor::Finder& MemoryCursor::finder(const QString& criteria)
{
    if (last_ && last_->criteria == criteria)
        return *last_;
    auto found = finders_.find(criteria);
    if (found != finders_.end())
        return *(last_ = found->second.get());
    auto f = std::make_unique<Finder>();
    f->criteria = criteria;
    if (criteria.trimmed().isEmpty())
        fail(err::QuerySyntax, QStringLiteral("criterio di ricerca vuoto"), criteria);
    try {
        f->engineSql = translateAccessSql(criteria);
    } catch (const DatabaseError& e) {
        fail(e.number(), e.detail(), criteria);
    }
    if (!isStandaloneExpression(f->engineSql))
        fail(err::QuerySyntax, QStringLiteral("il criterio di ricerca non è una sola condizione"), criteria);
    if (shape_) {
        QString sql = QStringLiteral("SELECT %1, %2.rowid FROM %3 WHERE ")
                          .arg(shape_->columns, quoteIdentifier(shape_->qualifier), shape_->tableText);
        sql += shape_->where.isEmpty() ? QStringLiteral("(%1)").arg(f->engineSql)
                                       : QStringLiteral("(%1) AND (%2)").arg(shape_->where, f->engineSql);
        QStringList equality = equalityColumns(shape_->where);
        equality << equalityColumns(f->engineSql);
        sql += QStringLiteral(" ORDER BY ") + ordering(*shape_, equality);
        store_->adviseIndex(shape_->table, equality, shape_->orderColumns, shape_->orderDescending);
        try {
            f->together = store_->prepare(sql, source_, file_, criteria);
        } catch (const DatabaseError& e) {
            fail(e.number(), e.detail() + QStringLiteral(" (record set: %1)").arg(accessSql_), criteria);
        }
    } else {
        compileTest(*f);
    }
    last_ = f.get();
    finders_.emplace(criteria, std::move(f));
    return *last_;
}

void MemoryCursor::compileTest(Finder& f)
{
    if (f.test)
        return;
    // The criteria are evaluated on one row at a time: the row's values are bound as the columns
    // of a one-row subquery, with the column's affinity and the text collation of the table.
    QStringList columns;
    f.testColumns.clear();
    const QStringList names = referencedNames(f.engineSql);
    for (const QString& name : names) {
        for (int i = 0; i < columnCount(); ++i) {
            if (columns_[static_cast<std::size_t>(i)].name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            const QString& declared = declaredTypes_[static_cast<std::size_t>(i)];
            const int k = static_cast<int>(f.testColumns.size()) + 1;
            QString expression = QStringLiteral("?%1").arg(k);
            if (declared.contains(QLatin1String("INT")))
                expression = QStringLiteral("CAST(%1 AS INTEGER)").arg(expression);
            else if (declared.contains(QLatin1String("CHAR")) || declared.contains(QLatin1String("CLOB")) ||
                     declared.contains(QLatin1String("TEXT")))
                expression = QStringLiteral("CAST(%1 AS TEXT)").arg(expression);
            else if (declared.contains(QLatin1String("REAL")) || declared.contains(QLatin1String("FLOA")) ||
                     declared.contains(QLatin1String("DOUB")))
                expression = QStringLiteral("CAST(%1 AS REAL)").arg(expression);
            columns << QStringLiteral("%1 COLLATE %2 AS %3")
                           .arg(expression, QLatin1String(kAccessCollation), quoteIdentifier(columns_[static_cast<std::size_t>(i)].name));
            f.testColumns.push_back(i);
            break;
        }
    }
    if (columns.isEmpty())
        columns << QStringLiteral("NULL AS \"\"");
    const QString sql =
        QStringLiteral("SELECT 1 FROM (SELECT %1) WHERE (%2)").arg(columns.join(QStringLiteral(", ")), f.engineSql);
    try {
        f.test = store_->prepare(sql, source_, file_, f.criteria);
    } catch (const DatabaseError& e) {
        fail(e.number(), e.detail() + QStringLiteral(" (record set: %1)").arg(accessSql_), f.criteria);
    }
}

bool MemoryCursor::passes(Finder& f)
{
    compileTest(f);
    sqlite3_stmt* test = f.test.get();
    for (std::size_t k = 0; k < f.testColumns.size(); ++k)
        sqlite3_bind_value(test, static_cast<int>(k) + 1, sqlite3_column_value(query_.get(), f.testColumns[k]));
    const bool row = step(test, f.criteria);
    sqlite3_reset(test);
    return row;
}

bool MemoryCursor::scanQuery(Finder& f)
{
    while (queryRow_) {
        if (passes(f)) {
            at_ = At::Query;
            return true;
        }
        stepQuery();
    }
    at_ = At::None;
    return false;
}

bool MemoryCursor::findFirst(const QString& criteria)
{
    Finder& f = finder(criteria);
    if (f.together) {
        sqlite3_reset(f.together.get());
        if (step(f.together.get(), criteria)) {
            at_ = At::Together;
            together_ = &f;
            return true;
        }
        at_ = At::None;
        return false;
    }
    restartQuery();
    return scanQuery(f);
}

bool MemoryCursor::findNext(const QString& criteria)
{
    if (!hasCurrent())
        return false;
    Finder& f = finder(criteria);
    if (at_ == At::Together && together_ == &f) {
        if (step(f.together.get(), criteria))
            return true;
        at_ = At::None;
        return false;
    }
    if (at_ == At::Together) {
        // The current row came from another search: find it in the query, then go on from there.
        const std::int64_t rowid = sqlite3_column_int64(together_->together.get(), rowidColumn_);
        restartQuery();
        while (queryRow_ && sqlite3_column_int64(query_.get(), rowidColumn_) != rowid)
            stepQuery();
        if (!queryRow_) {
            at_ = At::None;
            return false;
        }
        at_ = At::Query;
    }
    stepQuery();
    return scanQuery(f);
}

// --- MemoryConnection --------------------------------------------------------------------------

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
