#include "db/MemoryCursor.h"

#include "core/Errors.h"
#include "db/AccessSql.h"
#include "db/AccessText.h"
#include "db/NumberText.h"

#include <QRegularExpression>
#include <bit>
#include <sqlite3.h>

namespace ostrivo::db {

namespace {

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

}  // namespace

QString MemoryCursor::ordering(const SelectShape& shape, const QStringList& equality) const
{
    // Rows that the ordering leaves tied (or every row, without one) come in stored order, the
    // same in the record set and in its searches whatever indexes exist. Where the rows proved
    // that no two can tie, the tie-break is left out: it would keep the query from reading an
    // index of every column alone.
    if (!shape.orderBy.isEmpty() && store_->advice().tieFree(shape.table, equality, shape.orderColumns))
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
                         sqlite3_stricmp(store_->tables()[static_cast<std::size_t>(table)].name.toUtf8().constData(),
                                         shape->table.toUtf8().constData()) == 0;
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

template <typename Step>
int MemoryCursor::timed(Step&& step)
{
    return store_->budget().run(spent_, queryTimeLimit(), std::forward<Step>(step));
}

bool MemoryCursor::step(sqlite3_stmt* statement, const QString& sql)
{
    return stepped(timed([&] { return sqlite3_step(statement); }), statement, sql);
}

bool MemoryCursor::stepped(int rc, sqlite3_stmt* statement, const QString& sql)
{
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The index advice stops its own searches and runs them again: a stop that reaches here is
    // the time limit's.
    if (rc == SQLITE_INTERRUPT) {
        sqlite3_reset(statement);
        const auto seconds = std::chrono::duration<double>(queryTimeLimit()).count();
        fail(err::QueryTimeout, QStringLiteral("la query ha superato il tempo massimo di %1 s").arg(seconds), accessSql_);
    }
    if (rc == SQLITE_TOOBIG) {
        sqlite3_reset(statement);
        fail(err::Overflow, QStringLiteral("un valore supera il limite di %1 MiB").arg(kLongestValue >> 20), accessSql_);
    }
    const QString message = QString::fromUtf8(sqlite3_errmsg(store_->db()));
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
        store_->advice().forOrdering(shape_->table, equalityColumns(shape_->where), shape_->orderColumns,
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
        f->equality = equalityColumns(shape_->where) + equalityColumns(f->engineSql);
        sql += QStringLiteral(" ORDER BY ") + ordering(*shape_, f->equality);
        store_->advice().forOrdering(shape_->table, f->equality, shape_->orderColumns, shape_->orderDescending);
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
        if (stepped(timed([&] { return store_->advice().stepLookup(f.together.get(), shape_->table, f.equality); }),
                    f.together.get(), criteria)) {
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

}  // namespace ostrivo::db
