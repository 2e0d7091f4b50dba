#include "db/Postgres.h"

#include "core/Errors.h"
#include "core/Files.h"

#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <libpq-fe.h>
#include <poll.h>

namespace ostrivo::db {

namespace {

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
}

QString trimmedLines(const QByteArray& content)
{
    QStringList kept;
    for (const QString& line : QString::fromUtf8(content).split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1Char('#')))
            kept << t;
    }
    return kept.size() == 1 ? kept.front() : QString();
}

bool isUri(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"));
}

// What in a connection URI may be a password, as written and decoded: the text after the user's
// name up to the "@" that libpq takes as the end of it, and up to the last "@" (a password with an
// "@" of its own); every password= parameter; what libpq itself reads as the password.
QStringList passwordsIn(const QString& uri)
{
    QStringList found;
    const QString rest = uri.mid(uri.indexOf(QLatin1String("://")) + 3);
    const auto userPart = [&](qsizetype at) {
        const QString user = rest.left(at);
        const qsizetype colon = user.indexOf(QLatin1Char(':'));
        if (colon >= 0)
            found << user.mid(colon + 1);
    };
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    const qsizetype first = rest.indexOf(QLatin1Char('@'));
    if (first >= 0 && (slash < 0 || first < slash))
        userPart(first);
    if (const qsizetype last = rest.lastIndexOf(QLatin1Char('@')); last >= 0)
        userPart(last);
    static const QRegularExpression parameter(QStringLiteral("[?&]password=([^&]*)"), QRegularExpression::CaseInsensitiveOption);
    for (auto it = parameter.globalMatch(uri); it.hasNext();)
        found << it.next().captured(1);
    char* error = nullptr;
    if (PQconninfoOption* options = PQconninfoParse(uri.toUtf8().constData(), &error)) {
        for (PQconninfoOption* o = options; o->keyword; ++o) {
            if (o->val && qstrcmp(o->keyword, "password") == 0)
                found << QString::fromUtf8(o->val);
        }
        PQconninfoFree(options);
    }
    PQfreemem(error);
    QStringList secrets;
    for (const QString& text : std::as_const(found))
        secrets << text << QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
    secrets.removeAll(QString());
    secrets.removeDuplicates();
    // The longest first, so that a part of one is never left showing.
    std::sort(secrets.begin(), secrets.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    return secrets;
}

// Why a URI is refused before libpq reads it: an "@" where libpq would take part of the password
// for the server's name or the database's, which its messages then show.
QString ambiguousUri(const QString& uri)
{
    const QString rest = uri.mid(uri.indexOf(QLatin1String("://")) + 3);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    qsizetype from = rest.indexOf(QLatin1Char('@'));
    from = from >= 0 && (slash < 0 || from < slash) ? from + 1 : 0;
    qsizetype end = rest.indexOf(QLatin1Char('?'), from);
    end = end < 0 ? rest.size() : end;
    if (rest.indexOf(QLatin1Char('@'), from) >= 0 && rest.indexOf(QLatin1Char('@'), from) < end)
        return QStringLiteral("l'indirizzo ha una \"@\" dopo quella che chiude utente e password: nella password "
                              "\"@\" si scrive %40, \"/\" %2F");
    return {};
}

}  // namespace

bool isConnectionFileContent(const QByteArray& head)
{
    return isUri(trimmedLines(head));
}

QString readConnectionUri(const QString& path)
{
    QByteArray content;
    try {
        // Not a pipe, which would block the open, nor a device.
        content = readInputFile(path, 64 * 1024);
    } catch (const InputFileError& e) {
        throw DatabaseError(e.number() == err::FileNotFound ? err::DatabaseNotFound : err::NotADatabase, e.problem(), path);
    }
    const QString uri = trimmedLines(content);
    if (!isUri(uri))
        throw DatabaseError(err::NotADatabase,
                            QStringLiteral("il file non contiene un indirizzo postgresql:// su una riga"), path);
    return uri;
}

// --- PostgresSession ---------------------------------------------------------------------------

PostgresSession::PostgresSession(const QString& uri, QString file)
    : uri_(uri.toUtf8()), secrets_(passwordsIn(uri)), file_(std::move(file))
{
    if (const QString why = ambiguousUri(uri); !why.isEmpty())
        throw DatabaseError(err::NotADatabase, why, file_);
    connect();
}

void PostgresSession::connect()
{
    // A server that does not answer, or answers nothing, is given up after connect_timeout: 10
    // seconds unless the URI (read after it, so that it wins) says otherwise.
    const char* keys[] = {"connect_timeout", "dbname", nullptr};
    const char* values[] = {"10", uri_.constData(), nullptr};
    PQfinish(connection_);
    connection_ = PQconnectdbParams(keys, values, 1);
    if (PQstatus(connection_) != CONNECTION_OK) {
        const QString reason = lastMessage();
        PQfinish(connection_);
        connection_ = nullptr;
        throw DatabaseError(err::DatabaseNotFound, QStringLiteral("server PostgreSQL non raggiungibile: %1").arg(reason),
                            file_);
    }
    configure();
}

void PostgresSession::configure()
{
    // The server's notices ("table does not exist, skipping") are no news for the user.
    PQsetNoticeProcessor(connection_, [](void*, const char*) {}, nullptr);
    // What texts, dates and numbers mean is fixed here, whatever the server's defaults.
    for (const char* setting :
         {"SET standard_conforming_strings = on", "SET DateStyle = 'ISO, YMD'", "SET TimeZone = 'UTC'",
          "SET extra_float_digits = 1", "SET bytea_output = 'hex'", "SET client_encoding = 'UTF8'",
          "SET search_path = public, ostrivo, pg_catalog"})
        execute(QString::fromLatin1(setting));
}

PostgresSession::~PostgresSession()
{
    PQfinish(connection_);
}

QString PostgresSession::lastMessage() const
{
    return masked(QString::fromUtf8(connection_ ? PQerrorMessage(connection_) : "connessione chiusa"));
}

QString PostgresSession::masked(const QString& message) const
{
    // libpq's messages may quote the URI it was given, or a part of it: masked as they come and
    // once on one line (a password's own blanks are made one there too).
    QString text = message;
    for (const QString& secret : secrets_)
        text.replace(secret, QLatin1String("***"));
    text = oneLine(text);
    for (const QString& secret : secrets_) {
        if (!secret.simplified().isEmpty())
            text.replace(secret.simplified(), QLatin1String("***"));
    }
    return text;
}

void PostgresSession::fail(const PGresult* result, const QString& sql) const
{
    const QString state = QString::fromLatin1(result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr);
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const QString reason = primary ? masked(QString::fromUtf8(primary)) : lastMessage();
    int number = err::QuerySyntax;
    QString detail = QStringLiteral("il server rifiuta la query: %1").arg(reason);
    if (state == QLatin1String("42P01")) {
        number = err::TableNotFound;
        detail = QStringLiteral("tabella sconosciuta (%1)").arg(reason);
    } else if (state == QLatin1String("42703")) {
        number = err::TooFewParameters;
        detail = QStringLiteral("nome sconosciuto (%1)").arg(reason);
    } else if (state == QLatin1String("25006")) {
        number = err::InvalidOperation;
        detail = QStringLiteral("il database è aperto in sola lettura: solo SELECT (%1)").arg(reason);
    } else if (state == QLatin1String("57014")) {
        number = err::QueryTimeout;
        detail = QStringLiteral("la query ha superato il tempo massimo di %1 s")
                     .arg(std::chrono::duration<double>(queryTimeLimit()).count());
    } else if (state.startsWith(QLatin1String("08")) || !connection_ || PQstatus(connection_) != CONNECTION_OK) {
        number = err::DatabaseNotFound;
        detail = QStringLiteral("server PostgreSQL non raggiungibile: %1").arg(reason);
    }
    throw DatabaseError(number, detail, file_, sql);
}

PostgresSession::Result PostgresSession::run(const QString& sql, const QString& sqlForMessages)
{
    return run(sql, sqlForMessages, std::nullopt);
}

PostgresSession::Result PostgresSession::run(const QString& sql, const QString& sqlForMessages,
                                             std::optional<std::chrono::steady_clock::time_point> deadline)
{
    const QString named = sqlForMessages.isEmpty() ? sql : sqlForMessages;
    if (!connection_)
        throw DatabaseError(err::DatabaseNotFound, QStringLiteral("server PostgreSQL non raggiungibile: sessione chiusa"), file_, named);
    const QByteArray text = sql.toUtf8();
    Result result(nullptr, PQclear);
    if (!deadline) {
        // The extended protocol takes one statement: a second one after a ";" is refused.
        result.reset(PQexecParams(connection_, text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0));
    } else {
        if (!PQsendQueryParams(connection_, text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0))
            fail(nullptr, named);
        // The server stops a statement at its own time limit; this one is for a server or a network
        // that stopped answering. The session is given up: its statement may still be running.
        for (;;) {
            while (PQisBusy(connection_)) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
                pollfd wait{PQsocket(connection_), POLLIN, 0};
                if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(std::min<qint64>(left.count(), 1000))) < 0) {
                    if (left.count() > 0 && errno == EINTR)
                        continue;
                    PQfinish(connection_);
                    connection_ = nullptr;
                    throw DatabaseError(err::QueryTimeout,
                                        QStringLiteral("il server non ha risposto entro il tempo massimo di %1 s")
                                            .arg(std::chrono::duration<double>(queryTimeLimit()).count()),
                                        file_, named);
                }
                if (!PQconsumeInput(connection_))
                    break;  // the connection failed: its result says so
            }
            PGresult* next = PQgetResult(connection_);
            if (!next)
                break;
            result.reset(next);
        }
    }
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(result.get(), named);
    return result;
}

PostgresSession::Result PostgresSession::read(const QString& sql, const QString& sqlForMessages)
{
    // A session the server dropped, or that was given up, is opened again with its settings;
    // only here, where no transaction of the caller's could be lost with it.
    if (!connection_ || PQstatus(connection_) != CONNECTION_OK)
        connect();
    // The time limit covers the whole wait for the server: the transaction's statements too.
    const auto deadline = std::chrono::steady_clock::now() + queryTimeLimit() + kServerGrace;
    run(QStringLiteral("BEGIN TRANSACTION READ ONLY"), {}, deadline);
    try {
        // The server stops a query past the time limit, as the query engine does.
        run(QStringLiteral("SET LOCAL statement_timeout = %1").arg(std::max<qint64>(1, queryTimeLimit().count())), {}, deadline);
        Result result = run(sql, sqlForMessages, deadline);
        run(QStringLiteral("ROLLBACK"), {}, deadline);
        return result;
    } catch (...) {
        if (connection_)
            PQclear(PQexec(connection_, "ROLLBACK"));
        throw;
    }
}

}  // namespace ostrivo::db
