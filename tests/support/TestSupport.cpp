#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

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

}  // namespace ostrivo::test
