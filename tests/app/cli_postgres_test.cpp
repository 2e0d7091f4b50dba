// A hotel that moves to a server: the Access files imported with the program, the connection file
// put in the .mdb's place under its name, and the same templates print the same operations.
#include "app/ImportCommand.h"
#include "db/Import.h"
#include "support/PdfText.h"
#include "support/PostgresServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <random>

using namespace ostrivo;

namespace {

const QStringList kTemplates[] = {
    // Fields of every type word, relations with texts and a parameter, a product, a text.
    {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("hotel.mdb,Clienti,"),
     QStringLiteral("[PARAMETRI]"), QStringLiteral("NumeroHotel,=,Num,1,Albergo,"), QStringLiteral("[CAMPI]"),
     QStringLiteral("hotel.mdb,Hotel,Nome,Str,2,2,40,Arial,14,NumeroHotel = 1,"),
     QStringLiteral("hotel.mdb,Clienti,Citta,Str,2,4,10,Arial,9,Cognome = 'ROSSI' And NumeroHotel = <PARAM1>,"),
     QStringLiteral("hotel.mdb,Prenotazioni,Importo,Cur,2,6,12,Arial,9,NumeroPrenotazione = 7,"),
     QStringLiteral("hotel.mdb,Prenotazioni,Tariffa,Num,2,8,8,Arial,9,NumeroPrenotazione = 7,"),
     QStringLiteral("hotel.mdb,Prenotazioni,DataArrivo,Date,2,10,10,Arial,9,NumeroPrenotazione = 7,"),
     QStringLiteral("hotel.mdb,Clienti,Note,Str,2,12,20,Arial,9,Note Like '*perché*',"), QStringLiteral("[*]"),
     QStringLiteral(",,,Cur,40,6,12,Arial,9,"), QStringLiteral("hotel.mdb,Catering,Coperti,"),
     QStringLiteral("hotel.mdb,Catering,PrezzoCoperto,"), QStringLiteral("[/*]"), QStringLiteral("[TESTO]"),
     QStringLiteral("Cliente <PARAM1>,40,2,Arial,10,255,"), QStringLiteral("[FINE]")},
    // A table of clients by name, accents and apostrophes, across hotels.
    {QStringLiteral("[TESTA]"), QStringLiteral("2"), QStringLiteral("80,75,"), QStringLiteral("hotel.mdb,Clienti,"),
     QStringLiteral("[PARAMETRI]"), QStringLiteral("[TABELLA]"), QStringLiteral("Clienti,2,4,70,Arial,8,"),
     QStringLiteral("hotel.mdb,Clienti,Cognome-Nome-Citta,,"), QStringLiteral("Cognome,Cognome,20,Str,N,,40,"),
     QStringLiteral("Nome,Nome,14,Str,N,,20,"), QStringLiteral("Citta,Citta,14,Str,N,,20,"),
     QStringLiteral("Note,Note,20,Str,N,,30,"), QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")},
    // Bookings of a period over pages, with totals.
    {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("hotel.mdb,Prenotazioni,"),
     QStringLiteral("[PARAMETRI]"), QStringLiteral("DataArrivo,>=,Date,01/01/2024,Dal,"),
     QStringLiteral("DataArrivo,<=,Date,31/12/2026,Al,"), QStringLiteral("[TABELLA]"),
     QStringLiteral("Prenotazioni,2,4,30,Arial,8,"), QStringLiteral("hotel.mdb,Prenotazioni,DataArrivo-NumeroPrenotazione,,"),
     QStringLiteral("N.,NumeroPrenotazione,4,Num,N,,4,"), QStringLiteral("Arrivo,DataArrivo,10,Date,N,,10,"),
     QStringLiteral("Persone,Persone,4,Num,S,,4,"), QStringLiteral("Tariffa,Tariffa,8,Num,N,,8,"),
     QStringLiteral("Importo,Importo,12,Cur,S,,12,"), QStringLiteral("Pagato,Pagato,4,Num,S,,4,"),
     QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")},
    // The medium movements file: 20,000 rows, a table of one hotel by description.
    {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("movimenti.mdb,Movimenti,"),
     QStringLiteral("[PARAMETRI]"), QStringLiteral("NumeroHotel,=,Num,2,Albergo,"), QStringLiteral("[TABELLA]"),
     QStringLiteral("Movimenti,2,4,70,Arial,7,"), QStringLiteral("movimenti.mdb,Movimenti,Descrizione-Importo,,"),
     QStringLiteral("N.,Progressivo,6,Num,N,,6,"), QStringLiteral("Descrizione,Descrizione,30,Str,N,,60,"),
     QStringLiteral("Importo,Importo,12,Cur,S,,12,"), QStringLiteral("Q.ta,Quantita,8,Num,S,,8,"),
     QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")},
};

class CliPostgres : public ::testing::Test {
protected:
    void SetUp() override
    {
        OSTRIVO_REQUIRE_TEST_DATA();
        OSTRIVO_REQUIRE_POSTGRES(server);
        ASSERT_TRUE(QDir().mkpath(access.filePath(QStringLiteral("a"))) && QDir().mkpath(access.filePath(QStringLiteral("s"))));
        const std::pair<QString, QString> files[] = {{QStringLiteral("hotel"), QStringLiteral("hotel.mdb")},
                                                     {QStringLiteral("movimenti"), QStringLiteral("movimenti_medio.mdb")}};
        for (const auto& [name, data] : files) {
            const QString mdb = name + QStringLiteral(".mdb");
            ASSERT_TRUE(QFile::link(test::testDataFile(data), onAccess(mdb)));
            const QString importFile = access.filePath(name + QStringLiteral("-import.txt"));
            const QString failure = server.createDatabaseAsTheReadmeSays(name, importFile, onServer(mdb));
            ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
            const test::RunResult import = test::runBinary({QStringLiteral("import"), onAccess(mdb), importFile}, access.path());
            ASSERT_EQ(import.exitCode, 0) << import.err.toStdString();
            // One line a table, also for Movimenti's 20,000 rows, a multiple of the progress step.
            EXPECT_EQ(import.out.count(QStringLiteral("Movimenti: ")), name == QLatin1String("movimenti") ? 1 : 0)
                << import.out.toStdString();
            EXPECT_TRUE(import.out.contains(QStringLiteral("righe copiate"))) << import.out.toStdString();
        }
    }

    QString onAccess(const QString& name) const { return access.filePath(QStringLiteral("a/") + name); }
    QString onServer(const QString& name) const { return access.filePath(QStringLiteral("s/") + name); }

    static QStringList printArguments(const QString& trace)
    {
        return {QStringLiteral("print"), QStringLiteral("t.vn3"), QStringLiteral("--trace"), trace, QStringLiteral("--printer"),
                QStringLiteral("PDF"), QStringLiteral("--output"), trace + QStringLiteral(".pdf"), QStringLiteral("--date"),
                QStringLiteral("07/12/2026 09:05")};
    }

    test::ThrowawayPostgres server;
    QTemporaryDir access;
};

}  // namespace

TEST_F(CliPostgres, TracesAgainstTheServerEqualThoseAgainstTheAccessFileByteForByte)
{
    for (std::size_t k = 0; k < std::size(kTemplates); ++k) {
        QByteArray traces[2];
        for (int side = 0; side < 2; ++side) {
            const QString folder = side == 0 ? onAccess(QString()) : onServer(QString());
            test::writeTemplate(folder + QStringLiteral("t.vn3"), kTemplates[k]);
            const test::RunResult run = test::runBinary(printArguments(QStringLiteral("t.trace")), folder);
            ASSERT_EQ(run.exitCode, 0) << "template " << k << ": " << run.err.toStdString();
            traces[side] = test::readFile(folder + QStringLiteral("t.trace"));
        }
        EXPECT_GT(traces[0].count('\n'), 10) << "template " << k;
        EXPECT_EQ(traces[1], traces[0]) << "template " << k;
    }
}

TEST_F(CliPostgres, EightPrintsAtOnceAllSucceedAlike)
{
    test::writeTemplate(onServer(QStringLiteral("t.vn3")), kTemplates[2]);
    std::vector<std::unique_ptr<QProcess>> prints;
    for (int i = 0; i < 8; ++i) {
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(onServer(QString()));
        process->start(test::binaryPath(), printArguments(QStringLiteral("t%1.trace").arg(i)));
        prints.push_back(std::move(process));
    }
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(prints[static_cast<std::size_t>(i)]->waitForFinished(120000));
        EXPECT_EQ(prints[static_cast<std::size_t>(i)]->exitCode(), 0) << prints[static_cast<std::size_t>(i)]->readAllStandardError().toStdString();
    }
    const QByteArray first = test::readFile(onServer(QStringLiteral("t0.trace")));
    EXPECT_GT(first.count('\n'), 100);
    for (int i = 1; i < 8; ++i)
        EXPECT_EQ(test::readFile(onServer(QStringLiteral("t%1.trace").arg(i))), first) << i;
}

TEST(CliImport, AnImportKilledAtAnyMomentLeavesTheOldTablesOrTheNew)
{
    test::ThrowawayPostgres server;
    OSTRIVO_REQUIRE_POSTGRES(server);
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("import.txt"));
    const QString failure = server.createDatabaseAsTheReadmeSays(QStringLiteral("albergo"), target, folder.filePath(QStringLiteral("s.txt")));
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
    // Four tables of 20,000 rows, every row marked with the version of its file.
    const auto start = [&](QProcess& import, int version) {
        const QString from = folder.filePath(QStringLiteral("v%1.db").arg(version));
        test::createSqliteDatabase(from, QStringLiteral("CREATE TABLE t1 AS WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                                                        "WHERE i < 20000) SELECT i, printf('riga %d', i) AS testo, %1 AS versione FROM c;"
                                                        "CREATE TABLE t2 AS SELECT * FROM t1; CREATE TABLE t3 AS SELECT * FROM t1;"
                                                        "CREATE TABLE t4 AS SELECT * FROM t1;")
                                             .arg(version));
        import.start(test::binaryPath(), {QStringLiteral("import"), from, target, QStringLiteral("--replace")});
        return import.waitForStarted();
    };
    const auto versions = [&] {
        return server.query(QStringLiteral("albergo"), QStringLiteral("SELECT string_agg(DISTINCT versione::text, ',') FROM (SELECT versione FROM t1 "
                                                                      "UNION ALL SELECT versione FROM t2 UNION ALL SELECT versione FROM t3 "
                                                                      "UNION ALL SELECT versione FROM t4) v"));
    };
    QProcess first;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(start(first, 1) && first.waitForFinished() && first.exitCode() == 0) << first.readAllStandardError().toStdString();
    const int whole = static_cast<int>(clock.elapsed());
    ASSERT_EQ(versions(), QStringLiteral("1"));
    std::mt19937 random(std::random_device{}());
    QString kept = QStringLiteral("1");
    for (int version = 2; version <= 6; ++version) {
        const int after = std::uniform_int_distribution<int>(0, whole)(random);
        QProcess import;
        ASSERT_TRUE(start(import, version));
        import.waitForFinished(after);
        import.kill();  // SIGKILL
        import.waitForFinished();
        const QString found = versions();
        EXPECT_TRUE(found == kept || found == QString::number(version)) << "killed after " << after << " ms of " << whole << ": "
                                                                        << found.toStdString();
        kept = found;
    }
}

TEST(ImportRate, TwoFiguresAtLeast)
{
    const std::tuple<std::int64_t, std::int64_t, double, const char*> cases[] = {
        {3, 300'000'000, 10, "0.3 righe/s, 30 MB/s"},  // huge memos
        {123456, 9'000'000, 2, "61728 righe/s, 4.5 MB/s"},
        {0, 0, 1, "0 righe/s, 0 MB/s"},
        {10, 10, 0, ""},
    };
    for (const auto& [rows, bytes, seconds, shown] : cases)
        EXPECT_EQ(importRate({QString(), rows, 0, bytes, seconds, true}), QString::fromUtf8(shown));
}
