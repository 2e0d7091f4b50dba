#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>

// Readable QString values in GoogleTest messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << "{ \"" << list.join(QStringLiteral("\", \"")).toStdString() << "\" }";
}

namespace ostrivo::test {

// The shared Access test data (../shared/data), or an empty text when it is absent.
QString testDataDir();
// A file of the test data; empty when the data is absent.
QString testDataFile(const QString& relative);
// The repository's top folder.
QString sourceDir();
// The built ostrivo-report binary.
QString binaryPath();

// The lines of the worked example template: a portrait page with one date parameter, a logo, a
// framed box, one database field, today's date and a one-column table.
QStringList workedExampleTemplate();

// Writes bytes to a file (created or replaced).
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// Writes template lines as a Windows-1252 file with CR LF line ends.
void writeTemplate(const QString& path, const QStringList& lines);
// Creates a SQLite database file from an SQL script; throws with SQLite's message.
void createSqliteDatabase(const QString& path, const QString& sql);

// What an installed program printed on stdout and stderr, and whether it ran to a zero exit status;
// nullopt when the program is not installed.
struct ProgramRun {
    bool ok = false;
    QByteArray out;
    QByteArray err;
};
std::optional<ProgramRun> runProgram(const QString& program, const QStringList& arguments, int timeoutMs = 120000);

// Makes a temporary folder the current directory for the life of the object.
class ScopedCurrentDir {
public:
    ScopedCurrentDir();
    explicit ScopedCurrentDir(const QString& path);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;
    QString path() const { return path_; }
    QString file(const QString& name) const { return path_ + QLatin1Char('/') + name; }

private:
    QTemporaryDir temp_;
    QString path_;
    QString previous_;
};

}  // namespace ostrivo::test

// Skips the current test with a clear message where the shared test data is absent.
#define OSTRIVO_REQUIRE_TEST_DATA()                                                              \
    do {                                                                                         \
        if (::ostrivo::test::testDataDir().isEmpty())                                            \
            GTEST_SKIP() << "shared test data not found (expected ../shared/data next to the "   \
                            "repository); skipping";                                             \
    } while (0)
