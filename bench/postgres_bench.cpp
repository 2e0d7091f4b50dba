// movimenti_grande.mdb (200,000 rows) on a PostgreSQL server of the benchmark's own.
//
// Import: `ostrivo-report import`'s copy of the table, against the floor measured in the same run:
// mdb-export of the table piped into psql's \copy into a table of the same columns. Target: at
// most 1.0 x the floor (wall time, best of three each, the two sides alternating).
// Then the database benchmark's passes against the server, beside the same passes on the file.

#include "DatabasePass.h"
#include "db/Import.h"
#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace bench;

namespace {

double importSeconds(const QString& file, const QString& connection)
{
    const auto start = Clock::now();
    ostrivo::db::importDatabase(file, connection, {true, {QStringLiteral("Movimenti")}});
    return secondsSince(start);
}

// mdb-export | psql \copy, as a shell pipeline; -1 when a tool is missing or fails.
double floorSeconds(const QString& file, const QString& socketFolder, const QString& psql)
{
    const QString create = QStringLiteral(
        "SET client_min_messages = warning; DROP TABLE IF EXISTS floor_copy; CREATE TABLE floor_copy (numerohotel integer, progressivo integer, "
        "datamovimento varchar(8), camera smallint, descrizione varchar(60), importo numeric(19,4), quantita double precision)");
    const QStringList connect = {QStringLiteral("-q"), QStringLiteral("-h"), socketFolder, QStringLiteral("-U"),
                                 QStringLiteral("postgres"), QStringLiteral("-d"), QStringLiteral("movimenti")};
    if (QProcess::execute(psql, connect + QStringList{QStringLiteral("-c"), create}) != 0)
        return -1;
    const QString pipeline = QStringLiteral("set -e; mdb-export '%1' Movimenti | '%2' -q -h '%3' -U postgres -d movimenti "
                                            "-c '\\copy floor_copy from stdin with csv header'")
                                 .arg(file, psql, socketFolder);
    const auto start = Clock::now();
    if (QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), pipeline}) != 0)
        return -1;
    return secondsSince(start);
}

}  // namespace

// Usage: bench_postgres [DATA_DIR]
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(OSTRIVO_TEST_DATA_DIR);
    const QString file = dir + QStringLiteral("/movimenti_grande.mdb");
    if (!QFileInfo(file).isFile()) {
        std::printf("bench_postgres: %s not found; skipped\n", qPrintable(file));
        return 0;
    }
    ostrivo::test::ThrowawayPostgres server;
    if (!server.missing().isEmpty()) {
        std::printf("bench_postgres: %s\n", qPrintable(server.missing()));
        return 0;
    }
    if (!server.failure().isEmpty()) {
        std::printf("bench_postgres: the server did not start: %s\n", qPrintable(server.failure()));
        return 1;
    }
    QTemporaryDir folder;
    // Imported by the owner, read by the printing role, as the README sets them up.
    const QString connection = folder.filePath(QStringLiteral("movimenti.mdb"));
    const QString importer = folder.filePath(QStringLiteral("movimenti-import.txt"));
    if (const QString failure = server.createDatabaseAsTheReadmeSays(QStringLiteral("movimenti"), importer, connection);
        !failure.isEmpty()) {
        std::printf("bench_postgres: %s\n", qPrintable(failure));
        return 1;
    }
    const QString psql = QFileInfo(QStringLiteral("/usr/lib/postgresql/15/bin/psql")).isExecutable()
                             ? QStringLiteral("/usr/lib/postgresql/15/bin/psql")
                             : QStringLiteral("psql");

    double imported = 1e30;
    double floor = 1e30;
    try {
        for (int run = 0; run < 3; ++run) {
            const double f = floorSeconds(file, server.socketFolder(), psql);
            floor = f < 0 ? -1 : std::min(floor, f);
            imported = std::min(imported, importSeconds(file, importer));
        }
    } catch (const std::exception& e) {
        std::printf("bench_postgres: the import failed: %s\n", e.what());
        return 1;
    }

    const long long baseline = statusBytes("VmRSS");
    Pass fileA, fileB, serverA, serverB;
    try {
        fileA = runPass(file, baseline);
        fileB = runPass(file, baseline);
        serverA = runPass(connection, baseline);
        serverB = runPass(connection, baseline);
    } catch (const std::exception& e) {
        std::printf("bench_postgres: a pass failed: %s\n", e.what());
        return 1;
    }

    std::printf("bench_postgres: movimenti_grande.mdb, table Movimenti (200,000 rows)\n");
    std::printf("  import                      %.3f s wall\n", imported);
    if (floor < 0)
        std::printf("  floor mdb-export | psql     not available\n");
    else
        std::printf("  floor mdb-export | psql     %.3f s wall\n", floor);
    std::printf("  passes (rows %lld)           file                     server\n", fileA.rows);
    std::printf("  (a) first pass              %.3f s (%.3f s CPU)     %.3f s (%.3f s CPU)\n", fileA.seconds, fileA.cpu,
                serverA.seconds, serverA.cpu);
    std::printf("  (b) second pass             %.3f s (%.3f s CPU)     %.3f s (%.3f s CPU)\n", fileB.seconds, fileB.cpu,
                serverB.seconds, serverB.cpu);
    bool ok = fileA.rows == serverA.rows && fileA.checksum == serverA.checksum && serverA.checksum == serverB.checksum;
    if (!ok)
        std::printf("  the server's rows differ from the file's: NOT MET\n");
    if (floor > 0) {
        const double ratio = imported / floor;
        std::printf("  import / floor              %.3f (target <= 1.0) %s\n", ratio, ratio <= 1.0 ? "met" : "NOT MET");
        ok = ok && ratio <= 1.0;
    }
    return ok ? 0 : 1;
}
