#pragma once

#include <QString>
#include <QTemporaryDir>

namespace ostrivo::test {

// A PostgreSQL server of the test's own: initdb (UTF-8) in a temporary folder, listening on a
// socket in that folder only, stopped and removed with the object. Run as "nobody" where the
// tests run as root, since the server refuses root. Debian keeps its programs outside PATH.
class ThrowawayPostgres {
public:
    ThrowawayPostgres();
    ~ThrowawayPostgres();
    ThrowawayPostgres(const ThrowawayPostgres&) = delete;
    ThrowawayPostgres& operator=(const ThrowawayPostgres&) = delete;

    // Why the tests that need a server skip (its programs are not installed); empty otherwise.
    const QString& missing() const { return missing_; }
    // Why the server did not start; empty when it runs.
    const QString& failure() const { return failure_; }

    // Makes a database and writes a connection file naming it as the superuser; returns the URI.
    QString createDatabase(const QString& name, const QString& connectionFile);
    // Makes a database by the README's steps, with "hotel" read as `name`, and writes the
    // connection files of its two roles: NAME_import, which owns it, and NAME_print. Returns why
    // the steps failed, or nothing.
    QString createDatabaseAsTheReadmeSays(const QString& name, const QString& importFile, const QString& printFile);
    // Runs SQL as the superuser in a database; returns the first value, or the server's error.
    QString query(const QString& database, const QString& sql) const;
    // The folder of the server's socket.
    QString socketFolder() const { return folder_.path(); }

private:
    bool run(const QString& program, const QStringList& arguments);
    QTemporaryDir folder_;
    QString bin_;
    QString missing_;
    QString failure_;
    bool started_ = false;
};

}  // namespace ostrivo::test

// Skips the current test with a clear message where the PostgreSQL server programs are absent,
// and fails it where the server would not start.
#define OSTRIVO_REQUIRE_POSTGRES(server)                                                          \
    do {                                                                                         \
        if (!(server).missing().isEmpty())                                                       \
            GTEST_SKIP() << (server).missing().toStdString();                                    \
        ASSERT_TRUE((server).failure().isEmpty()) << (server).failure().toStdString();           \
    } while (false)
