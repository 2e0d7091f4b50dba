#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <sqlite3.h>
#include <stdexcept>

#include "core/Cp1252.h"

namespace ostrivo::test {

QString testDataDir()
{
    QString dir = QProcessEnvironment::systemEnvironment().value(QStringLiteral("OSTRIVO_TEST_DATA"));
    if (dir.isEmpty())
        dir = QStringLiteral(OSTRIVO_TEST_DATA_DIR);
    if (!QFileInfo(dir + QStringLiteral("/hotel.mdb")).isFile())
        return {};
    return QFileInfo(dir).canonicalFilePath();
}

QString testDataFile(const QString& relative)
{
    const QString dir = testDataDir();
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + relative;
}

QString sourceDir()
{
    return QStringLiteral(OSTRIVO_SOURCE_DIR);
}

QString binaryPath()
{
    return QStringLiteral(OSTRIVO_BINARY_PATH);
}

QStringList workedExampleTemplate()
{
    return {
        QStringLiteral("[TESTA]"),
        QStringLiteral("1"),
        QStringLiteral("80,75,"),
        QStringLiteral("archivio.mdb,Prenotazioni,"),
        QStringLiteral("[PARAMETRI]"),
        QStringLiteral("DataArrivo,>=,Date,<nessuno>,Dalla data,"),
        QStringLiteral("[IMMAGINI]"),
        QStringLiteral("logo.jpg,2.00,1.00,10.00,5.00,"),
        QStringLiteral("[GRIGLIA]"),
        QStringLiteral("R,1.00,8.00,79.00,12.00,"),
        QStringLiteral("[CAMPI]"),
        QStringLiteral("archivio.mdb,Clienti,Cognome,Str,5,10,30,Arial,10,,"),
        QStringLiteral("[TESTO]"),
        QStringLiteral("Data_oggi,60,2,Arial,10,0,"),
        QStringLiteral("[TABELLA]"),
        QStringLiteral("Elenco,2,20,60,Arial,8,"),
        QStringLiteral("archivio.mdb,Prenotazioni,DataArrivo,,"),
        QStringLiteral("Camera,Camera,6,Num,N,,4,"),
        QStringLiteral("[FINE TABELLA]"),
        QStringLiteral("[FINE]"),
    };
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeTemplate(const QString& path, const QStringList& lines)
{
    writeCp1252Lines(path, lines);
}

void createSqliteDatabase(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + path.toStdString());
    }
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    const std::string text = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("SQL of " + path.toStdString() + ": " + text);
}

ScopedCurrentDir::ScopedCurrentDir() : path_(temp_.path()), previous_(QDir::currentPath())
{
    QDir::setCurrent(path_);
}

ScopedCurrentDir::ScopedCurrentDir(const QString& path) : path_(path), previous_(QDir::currentPath())
{
    QDir::setCurrent(path_);
}

ScopedCurrentDir::~ScopedCurrentDir()
{
    QDir::setCurrent(previous_);
}

std::optional<ProgramRun> runProgram(const QString& program, const QStringList& arguments, int timeoutMs)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(path, arguments);
    ProgramRun run;
    run.ok = process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
             process.exitCode() == 0;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

}  // namespace ostrivo::test
