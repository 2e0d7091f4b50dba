// The PostgreSQL backend on a server of the tests' own, after importing the test databases: the
// same listing, values, comparisons and orderings as the Access files, and nothing written.

#include "DbTestSupport.h"
#include "GroundTruth.h"
#include "db/Import.h"
#include "support/PostgresServer.h"

#include <QDir>
#include <libpq-fe.h>
#include <memory>

using namespace ostrivo;
using namespace ostrivo::db;

namespace {

class PostgresBackend : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (test::testDataDir().isEmpty())
            return;
        server_ = new test::ThrowawayPostgres;
        if (!server_->missing().isEmpty() || !server_->failure().isEmpty())
            return;
        folder_ = new QTemporaryDir;
        for (const char* name : {"hotel", "movimenti"}) {
            const QString file = connectionFile(name);
            server_->createDatabase(QString::fromLatin1(name), file);
            importDatabase(test::testDataFile(name == QLatin1String("hotel") ? QStringLiteral("hotel.mdb")
                                                                             : QStringLiteral("movimenti_medio.mdb")),
                           file, {});
        }
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        delete server_;
        folder_ = nullptr;
        server_ = nullptr;
    }
    void SetUp() override
    {
        OSTRIVO_REQUIRE_TEST_DATA();
        OSTRIVO_REQUIRE_POSTGRES(*server_);
    }

    static QString connectionFile(const char* name) { return folder_->filePath(QString::fromLatin1(name) + QStringLiteral(".pg")); }

    // What the server holds, read past the program (an administrator's session).
    static QString adminQuery(const QString& sql)
    {
        const QByteArray conninfo = QStringLiteral("host=%1 dbname=hotel user=postgres").arg(server_->socketFolder()).toUtf8();
        PGconn* pg = PQconnectdb(conninfo.constData());
        PGresult* r = PQexec(pg, sql.toUtf8().constData());
        const QString value = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 ? QString::fromUtf8(PQgetvalue(r, 0, 0)) : QStringLiteral("?");
        PQclear(r);
        PQfinish(pg);
        return value;
    }

    static inline test::ThrowawayPostgres* server_ = nullptr;
    static inline QTemporaryDir* folder_ = nullptr;
};

}  // namespace

TEST_F(PostgresBackend, ListingAndEveryValueEqualTheAccessFiles)
{
    for (const char* name : {"hotel", "movimenti"}) {
        auto access = dbEngine().OpenDatabase(test::testDataFile(name == QLatin1String("hotel") ? QStringLiteral("hotel.mdb")
                                                                                                 : QStringLiteral("movimenti_medio.mdb")));
        auto server = dbEngine().OpenDatabase(connectionFile(name));
        const TableDefCollection& a = access->TableDefs();
        const TableDefCollection& s = server->TableDefs();
        ASSERT_EQ(s.Count(), a.Count()) << name;
        for (int t = 0; t < a.Count(); ++t) {
            EXPECT_EQ(s.Item(t).Name(), a.Item(t).Name());
            ASSERT_EQ(s.Item(t).Fields().Count(), a.Item(t).Fields().Count()) << a.Item(t).Name().toStdString();
            for (int c = 0; c < a.Item(t).Fields().Count(); ++c) {
                const Field& x = a.Item(t).Fields().Item(c);
                const Field& y = s.Item(t).Fields().Item(c);
                EXPECT_EQ(std::tuple(y.Name(), y.Type(), y.Size()), std::tuple(x.Name(), x.Type(), x.Size()))
                    << a.Item(t).Name().toStdString();
            }
        }
    }
    // A print opens the database once per field: one session serves them all.
    for (int field = 0; field < 20; ++field)
        dbEngine().OpenDatabase(connectionFile("hotel"))->OpenRecordset(QStringLiteral("Hotel"))->FindFirst(QStringLiteral("True"));
    EXPECT_EQ(adminQuery(QStringLiteral("SELECT count(*) FROM pg_catalog.pg_stat_activity WHERE datname = 'hotel' "
                                        "AND backend_type = 'client backend' AND pid <> pg_catalog.pg_backend_pid()")),
              QStringLiteral("1"));
    auto hotel = dbEngine().OpenDatabase(connectionFile("hotel"));
    const QDir csv(test::testDataFile(QStringLiteral("csv/hotel")));
    for (const QString& file : csv.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name))
        test::db::expectTableMatchesCsv(*hotel, QFileInfo(file).completeBaseName(), csv.filePath(file));
    auto movements = dbEngine().OpenDatabase(connectionFile("movimenti"));
    test::db::expectTableMatchesCsv(*movements, QStringLiteral("Movimenti"),
                                    test::testDataFile(QStringLiteral("csv/movimenti_medio/Movimenti.csv")));
}

TEST_F(PostgresBackend, QueriesFindAndOrderAsOnTheAccessFile)
{
    struct Case {
        const char* sql;
        const char* criteria;
        const char* column;
    };
    const Case cases[] = {
        {"Select * From Clienti Where Cognome = 'ROSSI'", "True", "Cognome"},
        {"Select * From Clienti Where Nome In ('NICCOLO', 'niccolò')", "True", "Nome"},  // accents count
        {"Select * From Clienti Where Citta In ('FORLÌ', 'cantù', 'Mondovì')", "True", "Citta"},
        {"Select * From Clienti Where Cognome <> 'esposito' And NumeroHotel = 1", "True", "Cognome"},
        {"Select * From Clienti Where Cognome > 'm' Order by Cognome Desc", "True", "Cognome"},
        {"Select * From Clienti Where Cognome Like 'ri*'", "True", "Cognome"},
        {"Select * From Clienti Where Cognome Like \"?icc*\" Or Cognome Like '[d-f]*'", "True", "Cognome"},
        {"Select * From Clienti Where Cognome Like 'ROS' & '*'", "True", "Cognome"},
        {"Select * From Clienti Order by Nome, Citta", "NumeroHotel = 2", "Nome"},        // "" and Null first
        {"Select * From Clienti Order by Note Desc", "True", "CodiceCliente"},             // Nulls last, ties stored
        {"Select * From [Prenotazioni] Where [Pagato] = True", "Importo > 500", "NumeroPrenotazione"},
        {"Select * From Prenotazioni where NumeroHotel = 1 and DataArrivo >= '20250101' Order by DataArrivo,NumeroPrenotazione;",
         "NumeroHotel = 1", "NumeroPrenotazione"},
        {"Select * From Prenotazioni Order by Camera", "DataPartenza Is Null Or Persone = 2", "NumeroPrenotazione"},
        {"Select ID From Tipi Where DataOra < #1/1/1900# Order By ID", "True", "ID"},
        {"Select Cognome & ', ' & Nome As Intestatario From Clienti Where NumeroHotel = 1", "True", "Intestatario"},
        {"Select * From Catering Order by Descrizione", "Sconto Is Not Null", "NumeroEvento"},
        {"Clienti", "Citta = 'FORLÌ' and NumeroHotel = 1", "Nome"},
        {"Select * From Clienti Where CodiceCliente = 5--3", "NumeroHotel = 1", "CodiceCliente"},
    };
    auto access = dbEngine().OpenDatabase(test::testDataFile(QStringLiteral("hotel.mdb")));
    auto server = dbEngine().OpenDatabase(connectionFile("hotel"));
    for (const Case& c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        auto a = access->OpenRecordset(sql);
        auto s = server->OpenRecordset(sql);
        QStringList names[2];
        for (int i = 0; i < a->Fields().Count(); ++i)
            names[0] << a->Fields().Item(i).Name();
        for (int i = 0; i < s->Fields().Count(); ++i)
            names[1] << s->Fields().Item(i).Name();
        EXPECT_EQ(names[1], names[0]) << c.sql;
        const QStringList expected = test::db::walk(*a, QString::fromUtf8(c.criteria), QString::fromUtf8(c.column));
        EXPECT_EQ(test::db::walk(*s, QString::fromUtf8(c.criteria), QString::fromUtf8(c.column)), expected) << c.sql;
        EXPECT_FALSE(expected.isEmpty()) << c.sql << ": a case that finds nothing proves little";
    }
}

TEST_F(PostgresBackend, NothingAQueryTriesIsWrittenOrKept)
{
    auto db = dbEngine().OpenDatabase(connectionFile("hotel"));
    const QString before = adminQuery(QStringLiteral("SELECT count(*) || ' ' || sum(hashtext(cognome)) FROM clienti"));
    const char* refused[] = {
        "Select * From Clienti Where 1 = 1; Delete From Clienti",
        "Delete From Clienti",
        "Select * From Clienti Where 1 = (Select 1 From (Update Clienti Set Cognome = 'x' Returning 1) u)",
        "Select * From Clienti Where 1 = (Select 1 From pg_catalog.set_config('transaction_read_only', 'off', 0 = 1))",
    };
    for (const char* sql : refused) {
        const DatabaseError e = test::db::expectDatabaseError([&] { db->OpenRecordset(QString::fromUtf8(sql))->FindFirst(QStringLiteral("True")); });
        EXPECT_EQ(e.sql(), QString::fromUtf8(sql));
    }
    // What a query may do on its way (a large object, a setting for the session) lasts no longer
    // than its statement: the next one still cannot write.
    const char* undone[] = {
        "Select * From Clienti Where CodiceCliente > (Select count(*) From pg_catalog.lo_create(0))",
        "Select * From Clienti Where pg_catalog.set_config('default_transaction_read_only', 'off', 0 = 1) = 'off'",
    };
    for (const char* sql : undone) {
        auto rs = db->OpenRecordset(QString::fromUtf8(sql));
        rs->FindFirst(QStringLiteral("True"));
        EXPECT_FALSE(rs->NoMatch()) << sql;
    }
    test::db::expectDatabaseError([&] { db->OpenRecordset(QString::fromUtf8(refused[1]))->FindFirst(QStringLiteral("True")); });
    EXPECT_EQ(adminQuery(QStringLiteral("SELECT count(*) FROM pg_catalog.pg_largeobject_metadata")), QStringLiteral("0"));
    EXPECT_EQ(adminQuery(QStringLiteral("SELECT count(*) || ' ' || sum(hashtext(cognome)) FROM clienti")), before);
}

TEST_F(PostgresBackend, AQueryPastTheTimeLimitIsStoppedAndNamed)
{
    auto db = dbEngine().OpenDatabase(connectionFile("hotel"));
    const auto limit = queryTimeLimit();
    setQueryTimeLimit(std::chrono::milliseconds(300));
    const QString sql = QStringLiteral("Select * From Clienti Where CodiceCliente In "
                                       "(With Recursive c(x) As (Select 1 Union All Select x + 1 From c) Select x From c Where x < 0)");
    const DatabaseError e = test::db::expectDatabaseError([&] { db->OpenRecordset(sql)->FindFirst(QStringLiteral("True")); });
    setQueryTimeLimit(limit);
    EXPECT_EQ(e.number(), err::QueryTimeout) << e.what();
    EXPECT_EQ(e.sql(), sql);
}

TEST_F(PostgresBackend, ImportRefusesWhatWouldReplaceOrMissAndCopiesWhatItIsTold)
{
    const QString file = connectionFile("hotel");
    const QString hotel = test::testDataFile(QStringLiteral("hotel.mdb"));
    const QString listing = adminQuery(QStringLiteral("SELECT string_agg(table_name, ',' ORDER BY table_position) FROM ostrivo.catalog"));
    EXPECT_EQ(test::db::expectDatabaseError([&] { importDatabase(hotel, file, {}); }).number(), err::InvalidOperation);
    EXPECT_EQ(test::db::expectDatabaseError([&] { importDatabase(hotel, file, {true, {QStringLiteral("Clienti"), QStringLiteral("Nessuna")}}); })
                  .number(),
              err::TableNotFound);
    EXPECT_EQ(adminQuery(QStringLiteral("SELECT count(*) FROM clienti")), QStringLiteral("40"));
    const std::vector<ImportProgress> copied = importDatabase(hotel, file, {true, {QStringLiteral("CLIENTI")}});
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_EQ(copied[0].table, QStringLiteral("Clienti"));
    EXPECT_EQ(copied[0].rows, 40);
    // Replaced in its place: the listing keeps its order.
    EXPECT_EQ(adminQuery(QStringLiteral("SELECT string_agg(table_name, ',' ORDER BY table_position) FROM ostrivo.catalog")), listing);
}

TEST_F(PostgresBackend, AnUnreachableServerIsNamedByItsFileWithoutThePassword)
{
    const QString file = folder_->filePath(QStringLiteral("altrove.mdb"));
    test::writeFile(file, "# il server dell'albergo\npostgresql://reports:segreto@/hotel?host=" + QFile::encodeName(folder_->path()) + "/nessuno\n");
    const DatabaseError e = test::db::expectDatabaseError([&] { dbEngine().OpenDatabase(file); });
    EXPECT_EQ(e.number(), err::DatabaseNotFound);
    EXPECT_TRUE(e.description().contains(file)) << e.what();
    EXPECT_FALSE(e.description().contains(QStringLiteral("segreto"))) << e.what();
}
