#pragma once

#include "db/Backend.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace ostrivo::db {

// A connection file: a text file whose content is a PostgreSQL connection URI
// ("postgresql://reports@dbserver/hotel"). Blank lines and lines beginning "#" around it are
// allowed. Passwords come from libpq's password file or environment, as libpq finds them.
bool isConnectionFileContent(const QByteArray& head);
// The URI of a connection file, a regular file of at most 64 KB. Throws DatabaseError
// (err::NotADatabase) when it holds none or is no regular file.
QString readConnectionUri(const QString& path);

// One session with the server of a connection file, its settings fixed by the program so that
// texts, dates and numbers mean what they mean in Access (standard-conforming strings, ISO dates,
// UTC, shortest exact floats, the "ostrivo" schema's text comparisons before the built-in ones).
class PostgresSession {
public:
    // `file` names the session in messages; the URI never shows in them, and no part of its
    // password does in what the server or libpq says. Connecting takes at most connect_timeout
    // (10 seconds unless the URI sets it). A URI whose password libpq would read in part as the
    // server's name is refused. Throws DatabaseError.
    PostgresSession(const QString& uri, QString file);
    ~PostgresSession();
    PostgresSession(const PostgresSession&) = delete;
    PostgresSession& operator=(const PostgresSession&) = delete;

    const QString& file() const { return file_; }
    PGconn* handle() const { return connection_; }

    using Result = std::unique_ptr<PGresult, void (*)(PGresult*)>;
    // One statement, alone, in a read-only transaction that is rolled back afterwards: nothing it
    // does lasts, session settings included. Throws DatabaseError naming `sqlForMessages`; past
    // the query time limit (and kServerGrace for the server's own answer) err::QueryTimeout,
    // whether the statement is slow or the server silent.
    Result read(const QString& sql, const QString& sqlForMessages);
    static constexpr std::chrono::seconds kServerGrace{2};
    // One statement as it is, outside any transaction the session opened (the import's). A
    // session the server dropped is not opened again here: the caller's transaction went with it.
    // Throws DatabaseError.
    Result run(const QString& sql, const QString& sqlForMessages = {});
    // Runs `sql` and throws when it does not succeed; no result.
    void execute(const QString& sql) { run(sql, sql); }

    // The server's message of the last failure, on one line.
    QString lastMessage() const;

private:
    void connect();
    void configure();
    Result run(const QString& sql, const QString& sqlForMessages, std::optional<std::chrono::steady_clock::time_point> deadline);
    QString masked(const QString& message) const;
    [[noreturn]] void fail(const PGresult* result, const QString& sql) const;
    PGconn* connection_ = nullptr;
    QByteArray uri_;
    QStringList secrets_;  // what of the URI may be a password, never to be shown
    QString file_;
};

// What the server needs before it can stand for an Access file: the schema "ostrivo" with the
// catalog of the Access names and types, and the text comparisons as Access makes them. Run by
// the import; each statement may be run again.
QStringList postgresSetupStatements();

// The name under which the import stores an Access table or column on the server.
QString postgresName(const QString& accessName);
// The hidden column that keeps each row's place in the Access file.
inline constexpr const char* kRowPositionColumn = "!pos";

// The connection for a connection file; one session per file for the life of the process. A
// session as a superuser is refused (DatabaseError, err::InvalidOperation, saying why).
std::unique_ptr<Connection> openPostgresConnection(const QString& path);

}  // namespace ostrivo::db
