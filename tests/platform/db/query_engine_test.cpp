// The query engine's copy of a database, with a source of tables made up here.

#include "DbTestSupport.h"
#include "platform/db/QueryEngine.h"

#include <algorithm>
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
    std::vector<SourceTable> readCatalog() override { return tables; }
    void loadTable(const SourceTable&, RowWriter& rows) override
    {
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

TEST(QueryEngine, IndexesAreMadeOnlyForLargeTablesAndOnce)
{
    for (const int count : {10, static_cast<int>(kIndexMinimumRows)}) {
        MadeUpSource source;
        source.rowCount = count;
        MemoryStore store(source.readCatalog());
        const MemoryStore::SourceProvider provider = [&]() -> TableSource& { return source; };
        const QString sql = QStringLiteral("SELECT Numero FROM Conti WHERE \"Nome e \"\"Cognome\"\"\" = 'ALBERTO' ORDER BY Numero DESC");
        store.prepare(sql, provider, QStringLiteral("f"), QStringLiteral("q"));
        for (int twice = 0; twice < 2; ++twice)
            store.adviseIndex(QStringLiteral("conti"), {QStringLiteral("nome e \"cognome\"")}, {QStringLiteral("numero")}, {true});
        EXPECT_EQ(store.indexCount(), count < kIndexMinimumRows ? 0 : 1) << count;  // a small table just sorts

        Statement plan = store.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql, provider, QStringLiteral("f"), QStringLiteral("q"));
        QString detail;
        while (sqlite3_step(plan.get()) == SQLITE_ROW)
            detail += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3)));
        EXPECT_EQ(detail.contains(QLatin1String("INDEX ix_")), count >= kIndexMinimumRows) << detail.toStdString() << " " << count;

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
