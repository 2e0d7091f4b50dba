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

namespace {

// Opens a file and reads all it can; a damaged file may fail, but only with a DatabaseError.
int readEverything(const QString& name)
{
    int failures = 0;
    try {
        auto db = dbEngine().OpenDatabase(name);
        const TableDefCollection& defs = db->TableDefs();
        for (int i = 0; i < defs.Count(); ++i) {
            try {
                auto rs = db->OpenRecordset(QStringLiteral("Select * From [%1]").arg(defs.Item(i).Name()));
                for (rs->FindFirst(QStringLiteral("True")); !rs->NoMatch(); rs->FindNext(QStringLiteral("True"))) {
                    for (int k = 0; k < rs->Fields().Count(); ++k)
                        rs->Fields().Item(k).Value();
                }
            } catch (const DatabaseError&) {
                ++failures;
            }
        }
    } catch (const DatabaseError&) {
        ++failures;
    }
    return failures;
}

}  // namespace

TEST(ReadOnly, DamagedAccessFilesFailWithAnErrorNotACrash)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    test::ScopedCurrentDir dir;
    const QByteArray hotel = test::readFile(test::testDataFile(QStringLiteral("hotel.mdb")));
    ASSERT_GT(hotel.size(), 40000);
    test::writeFile(QStringLiteral("header.mdb"), hotel.left(2048));
    test::writeFile(QStringLiteral("truncated.mdb"), hotel.left(4096 * 10 + 100));
    // Garbage in every seventh byte past some page, with fixed seeds.
    QStringList names = {QStringLiteral("header.mdb"), QStringLiteral("truncated.mdb")};
    for (int start : {1, 2, 3, 5}) {
        QByteArray scrambled = hotel;
        quint32 seed = 12345u * static_cast<quint32>(start);
        for (qsizetype i = 4096 * start; i < scrambled.size(); i += 7) {
            seed = seed * 1103515245u + 12345u;
            scrambled[i] = static_cast<char>(seed >> 24);
        }
        names << QStringLiteral("scrambled%1.mdb").arg(start);
        test::writeFile(names.last(), scrambled);
    }
    for (const QString& name : names)
        readEverything(name);  // survives
    EXPECT_GT(readEverything(QStringLiteral("header.mdb")), 0);
}
