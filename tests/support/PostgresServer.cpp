#include "support/PostgresServer.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <libpq-fe.h>
#include <pwd.h>
#include <unistd.h>

namespace ostrivo::test {

namespace {

QString serverPrograms()
{
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    versions.prepend(QStringLiteral("15"));
    for (const QString& v : versions) {
        const QString bin = root.filePath(v + QStringLiteral("/bin"));
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() && QFileInfo(bin + QStringLiteral("/pg_ctl")).isExecutable())
            return bin;
    }
    return {};
}

}  // namespace

ThrowawayPostgres::ThrowawayPostgres()
{
    bin_ = serverPrograms();
    if (bin_.isEmpty()) {
        missing_ = QStringLiteral("PostgreSQL server programs not found in /usr/lib/postgresql/*/bin "
                                  "(scripts/install-deps installs them); skipping");
        return;
    }
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || chown(QFile::encodeName(folder_.path()).constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
            failure_ = QStringLiteral("cannot hand the server's folder to the user nobody");
            return;
        }
    }
    const QString data = folder_.filePath(QStringLiteral("data"));
    if (!run(QStringLiteral("initdb"), {QStringLiteral("-D"), data, QStringLiteral("-E"), QStringLiteral("UTF8"),
                                        QStringLiteral("--locale=C.UTF-8"), QStringLiteral("-A"), QStringLiteral("trust"),
                                        QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("--no-sync")}))
        return;
    started_ = run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), data, QStringLiteral("-w"), QStringLiteral("-l"), folder_.filePath(QStringLiteral("log")),
                    QStringLiteral("-o"),
                    QStringLiteral("-k %1 -c listen_addresses= -c fsync=off -c full_page_writes=off").arg(folder_.path()),
                    QStringLiteral("start")});
}

ThrowawayPostgres::~ThrowawayPostgres()
{
    if (started_)
        run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), folder_.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                                       QStringLiteral("immediate"), QStringLiteral("stop")});
}

bool ThrowawayPostgres::run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    const QString path = bin_ + QLatin1Char('/') + program;
    // The server refuses to run as root: as root, the programs run as nobody.
    if (geteuid() == 0)
        process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), path} + arguments);
    else
        process.start(path, arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    failure_ = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAllStandardError() + process.readAllStandardOutput()));
    return false;
}

QString ThrowawayPostgres::createDatabaseAsTheReadmeSays(const QString& name, const QString& importFile, const QString& printFile)
{
    // The first shell block of the README's section on the server, run as its administrator.
    const QString readme = QString::fromUtf8(readFile(sourceDir() + QStringLiteral("/README.md")));
    const qsizetype section = readme.indexOf(QStringLiteral("## Moving a hotel to a PostgreSQL server"));
    const qsizetype open = readme.indexOf(QStringLiteral("```sh\n"), section);
    const qsizetype close = readme.indexOf(QStringLiteral("```"), open + 6);
    if (section < 0 || open < 0 || close < 0)
        return QStringLiteral("README.md has no shell block in its section on the server");
    QString script;
    for (const QString& line : readme.mid(open + 6, close - open - 6).split(QLatin1Char('\n')))
        script += line.trimmed() + QLatin1Char('\n');  // as a list item's block, indented
    script.replace(QStringLiteral("sudo -u postgres "), QString()).replace(QStringLiteral("hotel"), name);
    QProcess shell;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGHOST"), folder_.path());
    environment.insert(QStringLiteral("PGUSER"), QStringLiteral("postgres"));
    environment.insert(QStringLiteral("PATH"), bin_ + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    shell.setProcessEnvironment(environment);
    shell.start(QStringLiteral("sh"), {QStringLiteral("-e"), QStringLiteral("-c"), script});
    if (!shell.waitForFinished(60000) || shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0)
        return QStringLiteral("the README's steps failed: ") + QString::fromLocal8Bit(shell.readAllStandardError());
    writeFile(importFile, QStringLiteral("postgresql://%1_import@/%1?host=%2\n").arg(name, folder_.path()).toUtf8());
    writeFile(printFile, QStringLiteral("postgresql://%1_print@/%1?host=%2\n").arg(name, folder_.path()).toUtf8());
    return {};
}

QString ThrowawayPostgres::query(const QString& database, const QString& sql) const
{
    const QByteArray conninfo = QStringLiteral("host=%1 dbname=%2 user=postgres").arg(folder_.path(), database).toUtf8();
    PGconn* pg = PQconnectdb(conninfo.constData());
    PGresult* r = PQexec(pg, sql.toUtf8().constData());
    QString value;
    if (PQresultStatus(r) == PGRES_TUPLES_OK)
        value = PQntuples(r) > 0 ? QString::fromUtf8(PQgetvalue(r, 0, 0)) : QStringLiteral("(no row)");
    else
        value = QString::fromUtf8(PQerrorMessage(pg)).trimmed();
    PQclear(r);
    PQfinish(pg);
    return value;
}

QString ThrowawayPostgres::createDatabase(const QString& name, const QString& connectionFile)
{
    const QByteArray admin = QStringLiteral("host=%1 dbname=postgres user=postgres").arg(folder_.path()).toUtf8();
    PGconn* pg = PQconnectdb(admin.constData());
    PQclear(PQexec(pg, QStringLiteral("CREATE DATABASE \"%1\"").arg(name).toUtf8().constData()));
    PQfinish(pg);
    const QString uri = QStringLiteral("postgresql://postgres@/%1?host=%2").arg(name, folder_.path());
    writeFile(connectionFile, uri.toUtf8() + '\n');
    return uri;
}

}  // namespace ostrivo::test
