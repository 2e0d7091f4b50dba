#include "db/IndexAdvice.h"

#include "db/MemoryStore.h"
#include "db/SelectShape.h"

#include <algorithm>
#include <sqlite3.h>

namespace ostrivo::db {

IndexAdvice::Mode IndexAdvice::modeFromEnvironment()
{
    return qEnvironmentVariable("OSTRIVO_QUERY_HEURISTICS").compare(QLatin1String("off"), Qt::CaseInsensitive) == 0
               ? Mode::Off
               : Mode::On;
}

int IndexAdvice::largeTable(const QString& table) const
{
    const int index = store_.findTable(table);
    if (index < 0 || !store_.isLoaded(index) || store_.rowCount(index) < kIndexMinimumRows)
        return -1;
    return index;
}

void IndexAdvice::forOrdering(const QString& table, const QStringList& equality, const QStringList& ordering,
                              const QList<bool>& descending)
{
    if (!on_ || ordering.isEmpty())
        return;
    const int index = largeTable(table);
    if (index < 0)
        return;
    const auto t = static_cast<std::size_t>(index);
    const auto resolve = [&](const QString& name) { return store_.columnName(index, name); };
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
        for (const ColumnDef& c : store_.tables()[t].columns) {
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
    // A table being read cannot be indexed just now; the query simply sorts.
    makeIndex(t, key, covering);
}

bool IndexAdvice::makeIndex(std::size_t table, const QStringList& key, bool covering)
{
    const QString& name = store_.tables()[table].name;
    const QString signature = name + QLatin1Char('\x1f') + key.join(QLatin1Char(','));
    if (indexes_.contains(signature) || indexes_.size() >= 32)
        return true;
    indexes_.insert(signature);  // also when it fails: it is not tried again
    const QByteArray sql = QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                               .arg(quoteIdentifier(QStringLiteral("ix_%1").arg(indexes_.size())), quoteIdentifier(name),
                                    key.join(QStringLiteral(", ")))
                               .toUtf8();
    if (sqlite3_exec(store_.db(), sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    indexKeys_[table].push_back(key);
    covered_[table] = covered_[table] || covering;
    return true;
}

bool IndexAdvice::readTooFar()
{
    if (!watched_ || sqlite3_stmt_status(watched_, SQLITE_STMTSTATUS_FULLSCAN_STEP, 0) < kIndexMinimumRows)
        return false;
    stoppedWatched_ = true;
    return true;
}

int IndexAdvice::stepLookup(sqlite3_stmt* statement, const QString& table, const QStringList& equality)
{
    const int index = on_ && indexes_.size() < 32 ? largeTable(table) : -1;
    if (index < 0)
        return sqlite3_step(statement);
    const auto t = static_cast<std::size_t>(index);
    QStringList key;
    for (const QString& e : equality) {
        const QString name = store_.columnName(index, e);
        if (!name.isEmpty() && !key.contains(quoteIdentifier(name)))
            key << quoteIdentifier(name);
    }
    const QString signature = store_.tables()[t].name + QLatin1Char('\x1f') + key.join(QLatin1Char(','));
    if (key.isEmpty() || lookupsTried_.contains(signature))
        return sqlite3_step(statement);
    // An index that begins with these columns, in any order, serves the search already.
    for (const QStringList& made : indexKeys_[t]) {
        if (made.size() >= key.size() && std::is_permutation(key.begin(), key.end(), made.begin()))
            return sqlite3_step(statement);
    }

    sqlite3_stmt_status(statement, SQLITE_STMTSTATUS_FULLSCAN_STEP, 1);
    watched_ = statement;
    stoppedWatched_ = false;
    const int rc = sqlite3_step(statement);
    watched_ = nullptr;
    if (rc != SQLITE_INTERRUPT || !stoppedWatched_)
        return rc;
    lookupsTried_.insert(signature);
    sqlite3_reset(statement);
    // Another record set being read keeps the table from being indexed: the search then reads
    // on as it would have.
    bool reading = false;
    for (sqlite3_stmt* s = sqlite3_next_stmt(store_.db(), nullptr); s; s = sqlite3_next_stmt(store_.db(), s))
        reading = reading || sqlite3_stmt_busy(s);
    if (!reading)
        makeIndex(t, key, false);
    return sqlite3_step(statement);
}

bool IndexAdvice::tieFree(const QString& table, const QStringList& equality, const QStringList& ordering) const
{
    if (!on_ || ordering.isEmpty())
        return false;
    const int index = store_.findTable(table);
    if (index < 0 || !store_.isLoaded(index))
        return false;
    const std::vector<int>& key = store_.provedKey(index);
    if (key.empty())
        return false;
    const std::vector<ColumnDef>& columns = store_.tables()[static_cast<std::size_t>(index)].columns;
    // Every column of the key is fixed by an equality or ordered: rows that tie agree on the key.
    // Names match as the engine matches them, ignoring the case of ASCII letters only.
    for (int k : key) {
        const QByteArray name = columns[static_cast<std::size_t>(k)].name.toUtf8();
        const auto same = [&](const QString& other) { return sqlite3_stricmp(other.toUtf8().constData(), name.constData()) == 0; };
        if (std::none_of(equality.begin(), equality.end(), same) && std::none_of(ordering.begin(), ordering.end(), same))
            return false;
    }
    return true;
}

}  // namespace ostrivo::db
