// SQLite files: chosen by their signature, read only, with Access's text comparison.

#include "DbTestSupport.h"

#include <sqlite3.h>

using namespace ostrivo;
using namespace ostrivo::db;

namespace {

enum class Journal { Rollback, Wal, WalNotCheckpointed };

void makeSqliteFile(const QString& path, Journal journal = Journal::Rollback)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const char* sql =
        "CREATE TABLE Clienti (NumeroHotel INTEGER, CodiceCliente INTEGER, Cognome VARCHAR(50), Nome TEXT,"
        " Saldo DECIMAL(12,2), Tariffa REAL, Abituale BOOLEAN, Arrivo DATETIME, Foto BLOB, Extra);"
        "INSERT INTO Clienti VALUES (1, 1, 'Rossi', 'Mario', 10.5, 79.9, 1, '2024-01-02 10:00:00', x'00FF', NULL);"
        "INSERT INTO Clienti VALUES (1, 2, 'D''Angelo', 'Niccolò', -3, 0.1, 0, NULL, NULL, 'x');"
        "INSERT INTO Clienti VALUES (1, 3, 'rossini', '', NULL, NULL, 1, NULL, x'', 7);"
        "INSERT INTO Clienti VALUES (2, 1, 'Àlberti', NULL, 0, 2.5, 0, NULL, NULL, NULL);"
        "CREATE TABLE [Dati Extra] (Chiave TEXT PRIMARY KEY, Valore INTEGER) WITHOUT ROWID;"
        "INSERT INTO [Dati Extra] VALUES ('b', 2), ('a', 1);"
        "CREATE VIEW Vista AS SELECT * FROM Clienti;";
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    if (journal != Journal::Rollback) {
        ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode = WAL; INSERT INTO [Dati Extra] VALUES ('c', 3);", nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    // As a file copied from a PC whose program ended before the rows reached the database file.
    if (journal == Journal::WalNotCheckpointed)
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db);
    QFile::remove(path + QStringLiteral("-shm"));
}

}  // namespace

TEST(SqliteBackend, ChosenByTheSignatureAndQueriedLikeAnAccessFile)
{
    test::ScopedCurrentDir dir;
    makeSqliteFile(dir.file(QStringLiteral("archivio.mdb")));  // an SQLite file, whatever its name
    auto db = dbEngine().OpenDatabase(QStringLiteral("archivio.mdb"));

    const TableDefCollection& defs = db->TableDefs();
    ASSERT_EQ(defs.Count(), 2);  // tables only, in creation order
    EXPECT_EQ(defs.Item(0).Name(), QStringLiteral("Clienti"));
    EXPECT_EQ(defs.Item(1).Name(), QStringLiteral("Dati Extra"));
    QList<int> types;
    for (int i = 0; i < defs.Item(0).Fields().Count(); ++i)
        types << defs.Item(0).Fields().Item(i).Type();
    EXPECT_EQ(types, QList<int>({4, 4, 10, 10, 20, 7, 1, 8, 11, 10}));

    const auto surnames = [&](const QString& sql) {
        auto rs = db->OpenRecordset(sql);
        return test::db::walk(*rs, QStringLiteral("True"), QStringLiteral("Cognome"));
    };
    EXPECT_EQ(surnames(QStringLiteral("Select * From Clienti Where Cognome = 'ROSSI'")), QStringList({QStringLiteral("Rossi")}));
    EXPECT_EQ(surnames(QStringLiteral("Select * From Clienti Where Nome = 'NICCOLÒ'")), QStringList({QStringLiteral("D'Angelo")}));
    EXPECT_EQ(surnames(QStringLiteral("Select * From Clienti Where Cognome Like 'ROSS*' Order By Cognome")),
              QStringList({QStringLiteral("Rossi"), QStringLiteral("rossini")}));
    EXPECT_EQ(surnames(QStringLiteral("Select * From Clienti Order By Cognome")),
              QStringList({QStringLiteral("Àlberti"), QStringLiteral("D'Angelo"), QStringLiteral("Rossi"), QStringLiteral("rossini")}));
    EXPECT_EQ(surnames(QStringLiteral("Select * From Clienti Where Cognome In ('ÀLBERTI', 'ROSSINI') Order By Cognome")),
              QStringList({QStringLiteral("Àlberti"), QStringLiteral("rossini")}));

    auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti Order By NumeroHotel, CodiceCliente"));
    rs->FindFirst(QStringLiteral("Cognome = 'ROSSI'"));
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("Saldo")).Value().text(), QStringLiteral("10.5"));
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("Tariffa")).Value().text(), QStringLiteral("79.9"));
    EXPECT_TRUE(rs->Fields().Item(QStringLiteral("Abituale")).Value().isBoolean());
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("Abituale")).Value().text(), QStringLiteral("-1"));
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("Foto")).Value().bytes(), QByteArray("\x00\xFF", 2));
    rs->FindNext(QStringLiteral("NumeroHotel = 1"));
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("Nome")).Value().text(), QStringLiteral("Niccolò"));
    rs->FindNext(QStringLiteral("NumeroHotel = 1"));
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("Nome")).Value(), Variant::fromText(QString()));
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("Saldo")).Value(), Variant());
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("Foto")).Value(), Variant::fromBytes(QByteArray()));
    rs->FindNext(QStringLiteral("NumeroHotel = 1"));
    EXPECT_TRUE(rs->NoMatch());

    auto extra = db->OpenRecordset(QStringLiteral("Select * From [Dati Extra] Order By Chiave"));
    EXPECT_EQ(test::db::walk(*extra, QStringLiteral("Valore > 0"), QStringLiteral("Chiave")), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(test::db::expectDatabaseError([&] { db->OpenRecordset(QStringLiteral("Select * From Vista")); }).number(),
              err::TableNotFound);  // only tables are copied
    EXPECT_EQ(test::db::expectDatabaseError([&] { db->OpenRecordset(QStringLiteral("Delete From Clienti")); }).number(),
              err::InvalidOperation);
    db->Close();
}

TEST(SqliteBackend, NothingInTheFolderChanges)
{
    for (const Journal journal : {Journal::Rollback, Journal::Wal, Journal::WalNotCheckpointed}) {
        const bool wal = journal != Journal::Rollback;
        test::ScopedCurrentDir dir;
        makeSqliteFile(dir.file(QStringLiteral("demo.db")), journal);
        const QStringList before = test::db::folderFingerprint(dir.path());
        ASSERT_EQ(before.size(), journal == Journal::WalNotCheckpointed ? 2 : 1) << before.join(QLatin1Char('\n')).toStdString();
        {
            auto db = dbEngine().OpenDatabase(QStringLiteral("demo.db"));
            for (int i = 0; i < db->TableDefs().Count(); ++i) {
                auto rs = db->OpenRecordset(QStringLiteral("Select * From [%1]").arg(db->TableDefs().Item(i).Name()));
                rs->FindFirst(QStringLiteral("True"));
                EXPECT_FALSE(rs->NoMatch());
            }
            auto extra = db->OpenRecordset(QStringLiteral("Dati Extra"));
            EXPECT_EQ(test::db::walk(*extra, QStringLiteral("True"), QStringLiteral("Chiave")).size(), wal ? 3 : 2);
            db->Close();
        }
        EXPECT_EQ(test::db::folderFingerprint(dir.path()), before) << static_cast<int>(journal);
    }
}

TEST(SqliteBackend, ADamagedSqliteFileIsNotADatabase)
{
    test::ScopedCurrentDir dir;
    QByteArray bytes("SQLite format 3", 16);
    bytes.append(QByteArray(200, '\x7f'));
    test::writeFile(QStringLiteral("rotto.db"), bytes);
    const DatabaseError e = test::db::expectDatabaseError([] {
        auto db = dbEngine().OpenDatabase(QStringLiteral("rotto.db"));
        db->TableDefs();
    });
    EXPECT_EQ(e.number(), err::NotADatabase);
    EXPECT_TRUE(e.description().contains(QStringLiteral("rotto.db")));
}
