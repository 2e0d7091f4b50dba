#include "support/PostgresServer.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
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
