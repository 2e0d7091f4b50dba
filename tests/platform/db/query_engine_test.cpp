// The query engine's copy of a database, with a source of tables made up here.

#include "DbTestSupport.h"
#include "platform/db/QueryEngine.h"

#include <sqlite3.h>

using namespace ostrivo;
using namespace ostrivo::db;

namespace {

// Tables of ten rows; the load fails at row `failAt` while that is not negative.
class MadeUpSource final : public TableSource {
public:
    int failAt = -1;
    int loads = 0;
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
        for (int i = 0; i < 10; ++i) {
            if (i == failAt)
                throw DatabaseError(err::NotADatabase, QStringLiteral("pagina illeggibile"), QStringLiteral("finto.mdb"));
            rows.bindInteger(0, i);
            rows.bindText(1, "Àlberto");
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
    EXPECT_EQ(countRows(statement.get()), 10);
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
    MadeUpSource source;
    MemoryStore store(source.readCatalog());
    const MemoryStore::SourceProvider provider = [&]() -> TableSource& { return source; };
    store.prepare(QStringLiteral("SELECT * FROM Conti"), provider, QStringLiteral("f"), QStringLiteral("q"));
    store.adviseIndex(QStringLiteral("Conti"), {QStringLiteral("Numero")}, {QStringLiteral("Numero")}, {false});
    EXPECT_EQ(store.indexCount(), 0);  // ten rows: a sort costs nothing
    ASSERT_LT(10, kIndexMinimumRows);
}
