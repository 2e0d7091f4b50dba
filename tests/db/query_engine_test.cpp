// The query engine's copy of a database, with a source of tables made up here.

#include "DbTestSupport.h"
#include "db/MemoryStore.h"

#include <algorithm>
#include <optional>
#include <sqlite3.h>

using namespace ostrivo;
using namespace ostrivo::db;

namespace {

// Tables of ten rows; the load fails at row `failAt` while that is not negative.
class MadeUpSource final : public TableSource {
public:
    int failAt = -1;
    int loads = 0;
    int rowCount = 10;
    std::vector<SourceTable> tables;

    MadeUpSource()
    {
        for (const char* name : {"Conti", "Tab\"ella strana", "sqlite_riservata"}) {
            SourceTable t;
            t.schema.name = QString::fromUtf8(name);
            t.schema.columns = {ColumnDef{QStringLiteral("Numero"), type::Long, 4},
                                ColumnDef{QStringLiteral("Nome e \"Cognome\""), type::Text, 50}};
            t.declarations = {QStringLiteral("INTEGER"), QStringLiteral("TEXT COLLATE ACCESS")};
            tables.push_back(t);
        }
    }
    // Rows to load instead of the made-up ones: a number (none for Null) and a text.
    std::vector<std::pair<std::optional<int>, std::string>> givenRows;

    std::vector<SourceTable> readCatalog() override { return tables; }
    void loadTable(const SourceTable&, RowWriter& rows) override
    {
        if (!givenRows.empty()) {
            for (const auto& [number, text] : givenRows) {
                if (number)
                    rows.bindInteger(0, *number);
                else
                    rows.bindNull(0);
                rows.bindText(1, text);
                rows.endRow();
            }
            return;
        }
        ++loads;
        for (int i = 0; i < rowCount; ++i) {
            if (i == failAt)
                throw DatabaseError(err::NotADatabase, QStringLiteral("pagina illeggibile"), QStringLiteral("finto.mdb"));
            rows.bindInteger(0, (i * 7919) % rowCount);  // every number once, out of order
            rows.bindText(1, i % 2 ? "Àlberto" : "alberto");
            rows.endRow();
        }
    }
};

int countRows(sqlite3_stmt* statement)
{
    int n = 0;
    while (sqlite3_step(statement) == SQLITE_ROW)
        ++n;
    return n;
}

}  // namespace

TEST(QueryEngine, AFailedDecodeLeavesNoHalfTableBehind)
{
    MadeUpSource source;
    MemoryStore store(source.readCatalog());
    const MemoryStore::SourceProvider provider = [&]() -> TableSource& { return source; };
    // Another record set is being read meanwhile.
    Statement reading = store.prepare(QStringLiteral("SELECT * FROM \"Tab\"\"ella strana\""), provider,
                                      QStringLiteral("finto.mdb"), QStringLiteral("q"));
    ASSERT_EQ(sqlite3_step(reading.get()), SQLITE_ROW);
    source.failAt = 4;
    const DatabaseError e = test::db::expectDatabaseError(
        [&] { store.prepare(QStringLiteral("SELECT * FROM Conti"), provider, QStringLiteral("finto.mdb"), QStringLiteral("q")); });
    EXPECT_EQ(e.number(), err::NotADatabase);
    EXPECT_FALSE(store.isLoaded(0));

    source.failAt = -1;  // the next attempt decodes the whole table again
    Statement statement = store.prepare(QStringLiteral("SELECT * FROM conti WHERE \"Nome e \"\"Cognome\"\"\" = 'ÀLBERTO'"),
                                        provider, QStringLiteral("finto.mdb"), QStringLiteral("q"));
    EXPECT_EQ(countRows(statement.get()), 5);  // "Àlberto", whatever the case; not "alberto"
    EXPECT_EQ(source.loads, 3);
    // The other record set reads on, or fails with an error: it never ends early as if complete.
    int rc;
    int rows = 0;
    while ((rc = sqlite3_step(reading.get())) == SQLITE_ROW)
        ++rows;
    EXPECT_TRUE((rc == SQLITE_DONE && rows == 9) || (rc != SQLITE_DONE && rc != SQLITE_ROW)) << rc << " " << rows;
    EXPECT_EQ(store.rowCount(0), 10);
    EXPECT_EQ(store.columnType(statement.get(), 0), type::Long);
}

TEST(QueryEngine, OddTableNamesAreQuotedOrRefused)
{
    MadeUpSource source;
    MemoryStore store(source.readCatalog());
    const MemoryStore::SourceProvider provider = [&]() -> TableSource& { return source; };
    Statement statement = store.prepare(QStringLiteral("SELECT * FROM \"Tab\"\"ella strana\""), provider, QStringLiteral("f"),
                                        QStringLiteral("q"));
    EXPECT_EQ(countRows(statement.get()), 10);
    // The engine keeps names beginning "sqlite_" for itself: such a table cannot be copied.
    const DatabaseError e = test::db::expectDatabaseError(
        [&] { store.prepare(QStringLiteral("SELECT * FROM sqlite_riservata"), provider, QStringLiteral("f"), QStringLiteral("q")); });
    EXPECT_EQ(e.number(), err::TableNotFound);
    EXPECT_TRUE(e.description().contains(QStringLiteral("sqlite_riservata")));
}

TEST(QueryEngine, IndexesAreMadeOnlyForLargeTablesAndOnlyWithTheAdviceOn)
{
    for (const auto mode : {IndexAdvice::Mode::On, IndexAdvice::Mode::Off})
    for (const int count : {10, static_cast<int>(kIndexMinimumRows)}) {
        MadeUpSource source;
        source.rowCount = count;
        MemoryStore store(source.readCatalog(), mode);
        const MemoryStore::SourceProvider provider = [&]() -> TableSource& { return source; };
        const QString sql = QStringLiteral("SELECT Numero FROM Conti WHERE \"Nome e \"\"Cognome\"\"\" = 'ALBERTO' ORDER BY Numero DESC");
        store.prepare(sql, provider, QStringLiteral("f"), QStringLiteral("q"));
        for (int twice = 0; twice < 2; ++twice)
            store.advice().forOrdering(QStringLiteral("conti"), {QStringLiteral("nome e \"cognome\"")}, {QStringLiteral("numero")}, {true});
        // A small table just sorts; so does every table with the advice off.
        const bool indexed = count >= kIndexMinimumRows && mode == IndexAdvice::Mode::On;

        Statement plan = store.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, provider, QStringLiteral("f"), QStringLiteral("q"));
        QString detail;
        while (sqlite3_step(plan.get()) == SQLITE_ROW)
            detail += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3)));
        EXPECT_EQ(detail.contains(QLatin1String("INDEX ix_")), indexed) << detail.toStdString() << " " << count;

        // The rows named "alberto" (the even ones), in order, through the index or without it.
        std::vector<int> expected;
        for (int i = 0; i < count; i += 2)
            expected.push_back((i * 7919) % count);
        std::sort(expected.rbegin(), expected.rend());
        Statement rows = store.prepare(sql, provider, QStringLiteral("f"), QStringLiteral("q"));
        std::vector<int> got;
        while (sqlite3_step(rows.get()) == SQLITE_ROW)
            got.push_back(sqlite3_column_int(rows.get(), 0));
        EXPECT_EQ(got, expected) << count;
    }
}

TEST(QueryEngine, RowsProveTheFilesKeyBeforeOrderingsDropTheirTieBreak)
{
    const QString text = QStringLiteral("Nome e \"Cognome\"");
    struct Case {
        std::vector<int> key;
        std::vector<std::pair<std::optional<int>, std::string>> rows;
        bool proved;
    };
    const std::vector<Case> cases = {
        {{0}, {{3, "a"}, {1, "b"}, {2, "c"}}, true},      // out of order, all different
        {{0}, {{1, "a"}, {2, "b"}, {3, "c"}}, true},      // in order
        {{0}, {{1, "a"}, {2, "b"}, {1, "c"}}, false},     // a number twice
        {{0}, {{1, "a"}, {std::nullopt, "b"}}, false},    // a Null
        {{1}, {{1, "Rossi"}, {2, "ROSSI"}}, false},       // equal texts in Access's comparison
        {{1}, {{2, "Citta"}, {1, "Città"}}, true},        // accents tell texts apart
        {{0, 1}, {{1, "a"}, {1, "b"}, {2, "a"}}, true},   // each column repeats, the pairs do not
        {{0, 1}, {{1, "a"}, {2, "b"}, {1, "A"}}, false},
        {{}, {{1, "a"}, {2, "b"}}, false},                // no key known
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        MadeUpSource source;
        source.tables[0].primaryKey = cases[i].key;
        source.givenRows = cases[i].rows;
        MemoryStore store(source.readCatalog());
        const MemoryStore::SourceProvider provider = [&]() -> TableSource& { return source; };
        store.prepare(QStringLiteral("SELECT * FROM Conti"), provider, QStringLiteral("f"), QStringLiteral("q"));
        QStringList ordering;
        for (int c : cases[i].key)
            ordering << (c == 0 ? QStringLiteral("numero") : text);
        if (ordering.isEmpty())
            ordering << QStringLiteral("Numero");
        EXPECT_EQ(store.advice().tieFree(QStringLiteral("Conti"), {}, ordering), cases[i].proved) << i;
    }

    // The key's columns may be fixed by equalities instead of ordered; each must be one or the other.
    MadeUpSource source;
    source.tables[0].primaryKey = {0, 1};
    source.givenRows = {{1, "a"}, {1, "b"}, {2, "a"}};
    MemoryStore store(source.readCatalog());
    const MemoryStore::SourceProvider provider = [&]() -> TableSource& { return source; };
    store.prepare(QStringLiteral("SELECT * FROM Conti"), provider, QStringLiteral("f"), QStringLiteral("q"));
    EXPECT_TRUE(store.advice().tieFree(QStringLiteral("conti"), {QStringLiteral("NUMERO")}, {text}));
    EXPECT_FALSE(store.advice().tieFree(QStringLiteral("Conti"), {}, {text}));
    EXPECT_FALSE(store.advice().tieFree(QStringLiteral("Conti"), {text}, {}));  // no ordering, nothing to break
    EXPECT_FALSE(store.advice().tieFree(QStringLiteral("Altra"), {QStringLiteral("Numero")}, {text}));
}

TEST(QueryEngine, AnOrderingWithNoTiesReadsAnIndexOfEveryColumn)
{
    MadeUpSource source;
    source.rowCount = static_cast<int>(kIndexMinimumRows);
    source.tables[0].primaryKey = {0};  // the made-up numbers are all different
    MemoryStore store(source.readCatalog());
    const MemoryStore::SourceProvider provider = [&]() -> TableSource& { return source; };
    const auto plan = [&](const QString& sql) {
        Statement explain = store.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, provider, QStringLiteral("f"), QStringLiteral("q"));
        QString detail;
        while (sqlite3_step(explain.get()) == SQLITE_ROW)
            detail += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(explain.get(), 3))) + QLatin1Char(';');
        return detail;
    };
    store.prepare(QStringLiteral("SELECT * FROM Conti"), provider, QStringLiteral("f"), QStringLiteral("q"));

    // Ordered by the text, rows tie: a plain index, which orders ties by row id for free.
    store.advice().forOrdering(QStringLiteral("Conti"), {}, {QStringLiteral("Nome e \"Cognome\"")}, {false});
    EXPECT_TRUE(plan(QStringLiteral("SELECT * FROM Conti ORDER BY \"Nome e \"\"Cognome\"\"\", rowid")).contains(QLatin1String("USING INDEX ix_")));

    // Ordered by the key: an index of every column, read alone; asked again, nothing new.
    for (int twice = 0; twice < 2; ++twice)
        store.advice().forOrdering(QStringLiteral("Conti"), {}, {QStringLiteral("Numero")}, {true});
    const QString sql = QStringLiteral("SELECT * FROM Conti ORDER BY Numero DESC");
    EXPECT_TRUE(plan(sql).contains(QLatin1String("COVERING INDEX ix_"))) << plan(sql).toStdString();
    Statement rows = store.prepare(sql, provider, QStringLiteral("f"), QStringLiteral("q"));
    int expected = static_cast<int>(kIndexMinimumRows);
    while (sqlite3_step(rows.get()) == SQLITE_ROW)
        EXPECT_EQ(sqlite3_column_int(rows.get(), 0), --expected);
    EXPECT_EQ(expected, 0);

    // A second ordering with no ties gets its own index, which searches and orders alike.
    store.advice().forOrdering(QStringLiteral("Conti"), {QStringLiteral("Nome e \"Cognome\"")}, {QStringLiteral("Numero")}, {false});
    const QString second = QStringLiteral("SELECT * FROM Conti WHERE \"Nome e \"\"Cognome\"\"\" = 'x' ORDER BY Numero");
    EXPECT_TRUE(plan(second).contains(QLatin1String("SEARCH"))) << plan(second).toStdString();
    EXPECT_FALSE(plan(second).contains(QLatin1String("TEMP B-TREE"))) << plan(second).toStdString();
}

TEST(QueryEngine, ASearchThatReadsFarForItsRowIndexesItsColumnsOnce)
{
    const int large = 3 * static_cast<int>(kIndexMinimumRows);
    const auto numberAt = [](int row, int rows) { return (row * 7919) % rows; };
    struct Case {
        const char* name;
        int rows;
        int wanted;       // the number searched for
        bool otherReader; // another record set is being read meanwhile
        bool indexed;
    };
    const std::vector<Case> cases = {
        {"the first row", large, numberAt(0, large), false, false},
        {"the last row", large, numberAt(large - 1, large), false, true},
        {"no row", large, large + 5, false, true},
        {"the last row, another reading", large, numberAt(large - 1, large), true, false},
        {"the last row of a small table", 100, numberAt(99, 100), false, false},
    };
    for (const Case& c : cases) {
        MadeUpSource source;
        source.rowCount = c.rows;
        MemoryStore store(source.readCatalog());
        const MemoryStore::SourceProvider provider = [&]() -> TableSource& { return source; };
        Statement other = store.prepare(QStringLiteral("SELECT * FROM Conti"), provider, QStringLiteral("f"), QStringLiteral("q"));
        if (c.otherReader) {
            ASSERT_EQ(sqlite3_step(other.get()), SQLITE_ROW);
        }
        const QString sql = QStringLiteral("SELECT Numero, rowid FROM Conti WHERE Numero = %1 ORDER BY rowid").arg(c.wanted);
        // Twice: the second search finds the same row, through the index where one was made.
        for (int pass = 0; pass < 2; ++pass) {
            Statement search = store.prepare(sql, provider, QStringLiteral("f"), QStringLiteral("q"));
            const int rc = store.advice().stepLookup(search.get(), QStringLiteral("conti"), {QStringLiteral("NUMERO")});
            if (c.wanted < c.rows) {
                ASSERT_EQ(rc, SQLITE_ROW) << c.name;
                EXPECT_EQ(sqlite3_column_int(search.get(), 0), c.wanted) << c.name;
                EXPECT_EQ(sqlite3_step(search.get()), SQLITE_DONE) << c.name;
            } else {
                EXPECT_EQ(rc, SQLITE_DONE) << c.name;
            }
        }
        Statement plan = store.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, provider, QStringLiteral("f"), QStringLiteral("q"));
        ASSERT_EQ(sqlite3_step(plan.get()), SQLITE_ROW);
        const QString detail = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3)));
        EXPECT_EQ(detail.contains(QLatin1String("INDEX ix_")), c.indexed) << c.name << ": " << detail.toStdString();
    }
}
