// Opening, listing, querying and closing leave every database file and its folder as they were.

#include "DbTestSupport.h"

using namespace ostrivo;
using namespace ostrivo::db;

TEST(ReadOnly, AccessFilesAndTheirFolderAreUnchangedAfterUse)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    test::ScopedCurrentDir dir;
    const QStringList files = {QStringLiteral("hotel.mdb"), QStringLiteral("movimenti_medio.mdb"), QStringLiteral("real/nwind.mdb"),
                               QStringLiteral("real/DateTestDatabase.mdb"), QStringLiteral("real/ASampleDatabase.accdb")};
    // Copies in a writable folder: a write would succeed there, so its absence means something.
    for (const QString& f : files)
        ASSERT_TRUE(QFile::copy(test::testDataFile(f), QFileInfo(f).fileName()));
    const QStringList before = test::db::folderFingerprint(dir.path());
    const QStringList shared = test::db::folderFingerprint(test::testDataDir());

    int rows = 0;
    for (const QString& f : files) {
        auto db = dbEngine().OpenDatabase(QFileInfo(f).fileName());
        const TableDefCollection& defs = db->TableDefs();
        for (int i = 0; i < defs.Count(); ++i) {
            const TableDef& t = defs.Item(i);
            for (int k = 0; k < t.Fields().Count(); ++k)
                EXPECT_FALSE(t.Fields().Item(k).Name().isEmpty());
            auto rs = db->OpenRecordset(QStringLiteral("Select * From [%1]").arg(t.Name()));
            for (rs->FindFirst(QStringLiteral("True")); !rs->NoMatch(); rs->FindNext(QStringLiteral("True")), ++rows) {
                for (int k = 0; k < rs->Fields().Count(); ++k)
                    rs->Fields().Item(k).Value();
            }
        }
        db->Close();
    }
    EXPECT_GT(rows, 25000);
    EXPECT_EQ(test::db::folderFingerprint(dir.path()), before);
    EXPECT_EQ(test::db::folderFingerprint(test::testDataDir()), shared);
}
