#include "db/Postgres.h"

#include "core/Errors.h"
#include "core/Files.h"
#include "db/AccessSql.h"
#include "db/AccessText.h"
#include "db/NumberText.h"
#include "db/SelectShape.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <cerrno>
#include <libpq-fe.h>
#include <map>
#include <poll.h>

namespace ostrivo::db {

namespace {

// The server's type identifiers of the columns the import makes (they never change).
namespace oid {
constexpr Oid Bool = 16, Bytea = 17, Int8 = 20, Int2 = 21, Int4 = 23, Text = 25, Float4 = 700, Float8 = 701,
              Varchar = 1043, Date = 1082, Timestamp = 1114, Numeric = 1700, Uuid = 2950;
}

}  // namespace

// --- what the server needs -----------------------------------------------------------------------

QString postgresName(const QString& accessName)
{
    return accessName.toLower();
}

QStringList postgresSetupStatements()
{
    const AccessTextTables t = accessTextTables();
    const auto literal = [](const std::u32string& text) {
        QString s = QString::fromStdU32String(text);
        s.replace(QLatin1Char('\''), QLatin1String("''"));
        return QLatin1Char('\'') + s + QLatin1Char('\'');
    };
    const QString fold = QStringLiteral("translate(lower($1 COLLATE \"C\"), %1, %2)").arg(literal(t.foldFrom), literal(t.foldTo));
    const QString base = QStringLiteral("translate(ostrivo.fold($1), %1, %2)").arg(literal(t.baseFrom), literal(t.baseTo));
    // An ASCII text (as many bytes as characters) needs no table: its folding is its lower case.
    // Not STRICT: the server inlines only functions whose bodies pass Null through by themselves,
    // as these do.
    const QString ascii = QStringLiteral("octet_length($1) OPERATOR(pg_catalog.=) length($1)");
    const QString function = QStringLiteral("CREATE OR REPLACE FUNCTION ostrivo.%1 LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $body$ SELECT %2 $body$");
    return {
        QStringLiteral("CREATE SCHEMA IF NOT EXISTS ostrivo"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS ostrivo.catalog (table_position integer NOT NULL, table_name text NOT NULL, "
                       "pg_table text NOT NULL, column_position integer NOT NULL, column_name text NOT NULL, pg_column text NOT NULL, "
                       "type integer NOT NULL, size integer NOT NULL, PRIMARY KEY (table_position, column_position))"),
        // Texts compare as in Access: letters without regard to case, accents significant, the
        // letter under the accents first (see compareAccessText).
        function.arg(QStringLiteral("fold(text) RETURNS text"),
                     QStringLiteral("CASE WHEN %1 THEN lower($1 COLLATE \"C\") ELSE %2 END").arg(ascii, fold)),
        function.arg(QStringLiteral("base(text) RETURNS text"),
                     QStringLiteral("CASE WHEN %1 THEN lower($1 COLLATE \"C\") ELSE %2 END").arg(ascii, base)),
        function.arg(QStringLiteral("sort_key(text) RETURNS bytea"),
                     QStringLiteral("convert_to(ostrivo.base($1) || chr(1) || ostrivo.fold($1), 'UTF8')")),
        function.arg(QStringLiteral("sort_key(anyelement) RETURNS anyelement"), QStringLiteral("$1")),
        function.arg(QStringLiteral("text_eq(text, text) RETURNS boolean"),
                     QStringLiteral("ostrivo.fold($1) OPERATOR(pg_catalog.=) ostrivo.fold($2)")),
        function.arg(QStringLiteral("text_ne(text, text) RETURNS boolean"),
                     QStringLiteral("ostrivo.fold($1) OPERATOR(pg_catalog.<>) ostrivo.fold($2)")),
        function.arg(QStringLiteral("text_lt(text, text) RETURNS boolean"),
                     QStringLiteral("ostrivo.sort_key($1) OPERATOR(pg_catalog.<) ostrivo.sort_key($2)")),
        function.arg(QStringLiteral("text_le(text, text) RETURNS boolean"),
                     QStringLiteral("ostrivo.sort_key($1) OPERATOR(pg_catalog.<=) ostrivo.sort_key($2)")),
        function.arg(QStringLiteral("text_gt(text, text) RETURNS boolean"),
                     QStringLiteral("ostrivo.sort_key($1) OPERATOR(pg_catalog.>) ostrivo.sort_key($2)")),
        function.arg(QStringLiteral("text_ge(text, text) RETURNS boolean"),
                     QStringLiteral("ostrivo.sort_key($1) OPERATOR(pg_catalog.>=) ostrivo.sort_key($2)")),
        // Like: the translator passes a regular expression of the folded pattern.
        function.arg(QStringLiteral("text_like(text, text) RETURNS boolean"),
                     QStringLiteral("(ostrivo.fold($1) COLLATE \"C\") OPERATOR(pg_catalog.~) $2")),
        function.arg(QStringLiteral("text_not_like(text, text) RETURNS boolean"),
                     QStringLiteral("NOT ((ostrivo.fold($1) COLLATE \"C\") OPERATOR(pg_catalog.~) $2)")),
        // A pattern computed by the query: its wildcards as the translator turns them.
        function.arg(QStringLiteral("like_pattern(text) RETURNS text"),
                     QStringLiteral("'^' || replace(replace(replace(replace(regexp_replace(ostrivo.fold($1), "
                                    "'([.^$|+(){}\\\\])', '\\\\\\1', 'g'), '*', '.*'), '?', '.'), '#', '[0-9]'), '[!', '[^') || '$'")),
        QStringLiteral("DO $body$ BEGIN "
                       "IF NOT EXISTS (SELECT FROM pg_catalog.pg_operator o JOIN pg_catalog.pg_namespace n ON n.oid OPERATOR(pg_catalog.=) o.oprnamespace "
                       "WHERE n.nspname OPERATOR(pg_catalog.=) 'ostrivo'::name) THEN "
                       "CREATE OPERATOR ostrivo.= (LEFTARG = text, RIGHTARG = text, FUNCTION = ostrivo.text_eq, COMMUTATOR = OPERATOR(ostrivo.=), NEGATOR = OPERATOR(ostrivo.<>)); "
                       "CREATE OPERATOR ostrivo.<> (LEFTARG = text, RIGHTARG = text, FUNCTION = ostrivo.text_ne, COMMUTATOR = OPERATOR(ostrivo.<>), NEGATOR = OPERATOR(ostrivo.=)); "
                       "CREATE OPERATOR ostrivo.< (LEFTARG = text, RIGHTARG = text, FUNCTION = ostrivo.text_lt, COMMUTATOR = OPERATOR(ostrivo.>), NEGATOR = OPERATOR(ostrivo.>=)); "
                       "CREATE OPERATOR ostrivo.<= (LEFTARG = text, RIGHTARG = text, FUNCTION = ostrivo.text_le, COMMUTATOR = OPERATOR(ostrivo.>=), NEGATOR = OPERATOR(ostrivo.>)); "
                       "CREATE OPERATOR ostrivo.> (LEFTARG = text, RIGHTARG = text, FUNCTION = ostrivo.text_gt, COMMUTATOR = OPERATOR(ostrivo.<), NEGATOR = OPERATOR(ostrivo.<=)); "
                       "CREATE OPERATOR ostrivo.>= (LEFTARG = text, RIGHTARG = text, FUNCTION = ostrivo.text_ge, COMMUTATOR = OPERATOR(ostrivo.<=), NEGATOR = OPERATOR(ostrivo.<)); "
                       "CREATE OPERATOR ostrivo.~~ (LEFTARG = text, RIGHTARG = text, FUNCTION = ostrivo.text_like, NEGATOR = OPERATOR(ostrivo.!~~)); "
                       "CREATE OPERATOR ostrivo.!~~ (LEFTARG = text, RIGHTARG = text, FUNCTION = ostrivo.text_not_like, NEGATOR = OPERATOR(ostrivo.~~)); "
                       "END IF; END $body$"),
    };
}

// --- catalog -------------------------------------------------------------------------------------

namespace {

struct Catalog {
    std::vector<TableSchema> tables;
    QHash<QString, int> byServerName;                 // a table's name on the server -> index
    std::map<std::pair<Oid, int>, ColumnDef> columns; // (table, column number) -> the Access column
};

Catalog loadCatalog(PostgresSession& session)
{
    static const QString sql = QStringLiteral(
        "SELECT cat.table_name, cat.column_name, cat.type, cat.size, cat.pg_table, c.oid, a.attnum "
        "FROM ostrivo.catalog cat "
        "LEFT JOIN pg_catalog.pg_class c ON c.relname OPERATOR(pg_catalog.=) cat.pg_table::name "
        "AND c.relnamespace OPERATOR(pg_catalog.=) 'public'::regnamespace "
        "LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid OPERATOR(pg_catalog.=) c.oid "
        "AND a.attname OPERATOR(pg_catalog.=) cat.pg_column::name "
        "ORDER BY cat.table_position, cat.column_position");
    PostgresSession::Result result(nullptr, PQclear);
    try {
        result = session.read(sql, sql);
    } catch (const DatabaseError& e) {
        if (e.number() != err::TableNotFound)
            throw;
        throw DatabaseError(err::NotADatabase,
                            QStringLiteral("il database del server non viene da ostrivo-report import (manca ostrivo.catalog)"),
                            session.file());
    }
    Catalog catalog;
    const auto text = [&](int row, int column) { return QString::fromUtf8(PQgetvalue(result.get(), row, column)); };
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        const QString table = text(row, 0);
        if (catalog.tables.empty() || catalog.tables.back().name != table) {
            catalog.tables.push_back(TableSchema{table, {}});
            catalog.byServerName.insert(text(row, 4), static_cast<int>(catalog.tables.size()) - 1);
        }
        const ColumnDef column{text(row, 1), text(row, 2).toInt(), text(row, 3).toInt()};
        catalog.tables.back().columns.push_back(column);
        if (!PQgetisnull(result.get(), row, 5) && !PQgetisnull(result.get(), row, 6))
            catalog.columns[{static_cast<Oid>(text(row, 5).toUInt()), text(row, 6).toInt()}] = column;
    }
    return catalog;
}

// --- cursor --------------------------------------------------------------------------------------

Variant numericValue(const char* text, int length)
{
    const QString whole = QString::fromLatin1(text, length);
    std::string_view digits(text, static_cast<std::size_t>(length));
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative)
        digits.remove_prefix(1);
    unsigned __int128 magnitude = 0;
    int scale = -1;
    std::size_t count = 0;
    for (char c : digits) {
        if (c == '.' && scale < 0) {
            scale = 0;
        } else if (c >= '0' && c <= '9' && count < 38) {
            magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
            scale += scale >= 0 ? 1 : 0;
            ++count;
        } else {
            return Variant::fromText(whole);  // NaN, or more digits than 128 bits hold
        }
    }
    const ExactNumber n = exactNumber(magnitude, negative, std::max(scale, 0));
    switch (n.form) {
    case ExactNumber::Form::Integer:
        return Variant::fromInteger(n.integer);
    case ExactNumber::Form::Real: {
        Variant v = Variant::fromDouble(n.real);
        v.keepText();
        return v;
    }
    case ExactNumber::Form::Text:
        break;
    }
    return Variant::fromDecimal(QString::fromStdString(n.text));
}

QByteArray byteaValue(const char* text, int length)
{
    // bytea_output is hex: "\x" and two digits a byte.
    if (length >= 2 && text[0] == '\\' && text[1] == 'x')
        return QByteArray::fromHex(QByteArray::fromRawData(text + 2, length - 2));
    return QByteArray(text, length);
}

class PostgresCursor final : public Cursor {
public:
    PostgresCursor(std::shared_ptr<PostgresSession> session, std::shared_ptr<const Catalog> catalog, QString accessSql,
                   QString sql)
        : session_(std::move(session)), catalog_(std::move(catalog)), accessSql_(std::move(accessSql)), sql_(std::move(sql))
    {
        // The columns, without reading a row.
        describe(session_->read(QStringLiteral("SELECT * FROM (%1) AS q LIMIT 0").arg(sql_), accessSql_).get());
    }

    int columnCount() const override { return static_cast<int>(columns_.size()); }
    const ColumnDef& column(int index) const override { return columns_.at(static_cast<std::size_t>(index)).def; }

    bool hasCurrent() override
    {
        if (!rows_) {
            fetch(QString());
            row_ = PQntuples(rows_.get()) > 0 ? 0 : -1;
        }
        return row_ >= 0;
    }

    bool findFirst(const QString& criteria) override
    {
        const std::vector<char>& match = matches(criteria);
        return moveFrom(0, match);
    }

    bool findNext(const QString& criteria) override
    {
        if (!hasCurrent())
            return false;
        const int from = row_ + 1;
        const std::vector<char>& match = matches(criteria);
        return moveFrom(from, match);
    }

    const Variant& value(int column) override
    {
        const Column& c = columns_[static_cast<std::size_t>(column)];
        Variant& v = values_[static_cast<std::size_t>(column)];
        if (PQgetisnull(rows_.get(), row_, c.field))
            return v = Variant();
        const char* text = PQgetvalue(rows_.get(), row_, c.field);
        const int length = PQgetlength(rows_.get(), row_, c.field);
        switch (c.oid) {
        case oid::Bool:
            v = Variant::fromBoolean(text[0] == 't');
            break;
        case oid::Int2:
        case oid::Int4:
        case oid::Int8: {
            const qlonglong n = QByteArray::fromRawData(text, length).toLongLong();
            v.assignInteger(c.def.type == type::Boolean ? (n != 0 ? -1 : 0) : n, c.def.type == type::Boolean);
            break;
        }
        case oid::Numeric:
            v = numericValue(text, length);
            break;
        case oid::Float4:
        case oid::Float8:
            v = Variant::fromDouble(QByteArray::fromRawData(text, length).toDouble());
            v.keepText();
            break;
        case oid::Bytea:
            v = Variant::fromBytes(byteaValue(text, length));
            break;
        case oid::Uuid:
            v = Variant::fromText(QLatin1Char('{') + QString::fromLatin1(text, length).toUpper() + QLatin1Char('}'));
            break;
        default:
            v = Variant::fromText(QString::fromUtf8(text, length));
            break;
        }
        return v;
    }

private:
    struct Column {
        ColumnDef def;
        int field = 0;  // in the server's result
        Oid oid = 0;
    };

    void describe(PGresult* result)
    {
        for (int f = 0; f < PQnfields(result); ++f) {
            const QString name = QString::fromUtf8(PQfname(result, f));
            if (name == QLatin1String(kRowPositionColumn))
                continue;  // each row's place: for the ordering, not for the record set
            Column c;
            c.field = f;
            c.oid = PQftype(result, f);
            const auto known = catalog_->columns.find({PQftable(result, f), PQftablecol(result, f)});
            if (known != catalog_->columns.end()) {
                c.def = known->second;
            } else {
                c.def.name = spelling(name);
                c.def.type = typeOf(c.oid);
            }
            columns_.push_back(c);
        }
        values_.resize(columns_.size());
    }

    // A result column's name as the Access SQL spells it (the server lowercases "Intestatario").
    QString spelling(const QString& name) const
    {
        static const QRegularExpression word(QStringLiteral("[\\w$]+"), QRegularExpression::UseUnicodePropertiesOption);
        for (auto it = word.globalMatch(accessSql_); it.hasNext();) {
            const QString w = it.next().captured();
            if (postgresName(w) == name)
                return w;
        }
        return name;
    }

    static int typeOf(Oid o)
    {
        switch (o) {
        case oid::Bool:
            return type::Boolean;
        case oid::Int2:
            return type::Integer;
        case oid::Int4:
        case oid::Int8:
            return type::Long;
        case oid::Numeric:
            return type::Decimal;
        case oid::Float4:
            return type::Single;
        case oid::Float8:
            return type::Double;
        case oid::Date:
        case oid::Timestamp:
            return type::Date;
        case oid::Bytea:
            return type::LongBinary;
        case oid::Uuid:
            return type::Guid;
        default:
            return type::Text;
        }
    }

    // Reads every row, with one more column for the criteria when there are some.
    void fetch(const QString& engineCriteria)
    {
        if (engineCriteria.isEmpty()) {
            rows_ = session_->read(sql_, accessSql_);
            return;
        }
        rows_ = session_->read(QStringLiteral("SELECT q.*, (%1) FROM (%2) AS q").arg(engineCriteria, sql_), accessSql_);
    }

    static bool truth(const char* text)
    {
        return text[0] == 't' || (text[0] != 'f' && QByteArray(text).toDouble() != 0);
    }

    const std::vector<char>& matches(const QString& criteria)
    {
        if (const auto found = matches_.find(criteria); found != matches_.end())
            return found->second;
        if (criteria.trimmed().isEmpty())
            throw DatabaseError(err::QuerySyntax, QStringLiteral("criterio di ricerca vuoto"), session_->file(), criteria);
        QString engine;
        try {
            engine = translateAccessSqlForPostgres(criteria);
        } catch (const DatabaseError& e) {
            throw DatabaseError(e.number(), e.detail(), session_->file(), criteria);
        }
        if (!isStandaloneExpression(engine))
            throw DatabaseError(err::QuerySyntax, QStringLiteral("il criterio di ricerca non è una sola condizione"),
                                session_->file(), criteria);
        std::vector<char> match;
        if (!rows_) {
            // The first search reads the rows and its answers together.
            fetch(engine);
            const int flag = PQnfields(rows_.get()) - 1;
            for (int r = 0; r < PQntuples(rows_.get()); ++r)
                match.push_back(!PQgetisnull(rows_.get(), r, flag) && truth(PQgetvalue(rows_.get(), r, flag)));
        } else {
            const PostgresSession::Result flags =
                session_->read(QStringLiteral("SELECT (%1) FROM (%2) AS q").arg(engine, sql_), criteria);
            for (int r = 0; r < PQntuples(flags.get()); ++r)
                match.push_back(!PQgetisnull(flags.get(), r, 0) && truth(PQgetvalue(flags.get(), r, 0)));
        }
        match.resize(static_cast<std::size_t>(PQntuples(rows_.get())), 0);
        return matches_.emplace(criteria, std::move(match)).first->second;
    }

    bool moveFrom(int from, const std::vector<char>& match)
    {
        for (int r = from; r < static_cast<int>(match.size()); ++r) {
            if (match[static_cast<std::size_t>(r)]) {
                row_ = r;
                return true;
            }
        }
        row_ = -1;
        return false;
    }

    std::shared_ptr<PostgresSession> session_;
    std::shared_ptr<const Catalog> catalog_;
    QString accessSql_;
    QString sql_;  // the server's SQL, no ";" at its end
    std::vector<Column> columns_;
    std::vector<Variant> values_;  // per column, the value last read
    PostgresSession::Result rows_{nullptr, PQclear};
    int row_ = -1;
    std::map<QString, std::vector<char>> matches_;  // per criteria, whether each row meets them
};

// --- connection ----------------------------------------------------------------------------------

struct Server {
    std::shared_ptr<PostgresSession> session;
    std::shared_ptr<const Catalog> catalog;
};

class PostgresConnection final : public Connection {
public:
    PostgresConnection(Server server, QString name) : server_(std::move(server)), name_(std::move(name)) {}

    QString name() const override { return name_; }
    const std::vector<TableSchema>& tables() override { return server_.catalog->tables; }

    std::unique_ptr<Cursor> query(const QString& accessSql) override
    {
        const QString trimmed = accessSql.trimmed();
        if (trimmed.isEmpty())
            throw DatabaseError(err::QuerySyntax, QStringLiteral("istruzione SQL vuota"), name_, accessSql);
        QString sql;
        if (server_.catalog->byServerName.contains(postgresName(trimmed)) && !trimmed.contains(QLatin1Char('('))) {
            sql = QStringLiteral("SELECT * FROM %1").arg(quoteIdentifier(postgresName(trimmed)));
        } else {
            try {
                sql = translateAccessSqlForPostgres(accessSql);
            } catch (const DatabaseError& e) {
                throw DatabaseError(e.number(), e.detail(), name_, accessSql);
            }
        }
        while (sql.endsWith(QLatin1Char(';')) || (!sql.isEmpty() && sql.back().isSpace()))
            sql.chop(1);
        // Rows of one table come in its stored order where the ordering leaves them tied.
        if (const std::optional<SelectShape> shape = parseSelectShape(sql);
            shape && server_.catalog->byServerName.contains(shape->table)) {
            const QString position = quoteIdentifier(shape->qualifier) + QLatin1Char('.') +
                                     quoteIdentifier(QLatin1String(kRowPositionColumn));
            sql = QStringLiteral("SELECT %1 FROM %2").arg(shape->columns, shape->tableText);
            if (!shape->where.isEmpty())
                sql += QStringLiteral(" WHERE ") + shape->where;
            sql += QStringLiteral(" ORDER BY ") + (shape->orderBy.isEmpty() ? position : shape->orderBy + QStringLiteral(", ") + position);
        }
        return std::make_unique<PostgresCursor>(server_.session, server_.catalog, accessSql, sql);
    }

    void close() override {}

private:
    Server server_;
    QString name_;
};

struct CachedServer {
    qint64 size = 0;
    qint64 modified = 0;
    Server server;
};

}  // namespace

std::unique_ptr<Connection> openPostgresConnection(const QString& path)
{
    static QHash<QString, CachedServer> servers;
    const QFileInfo info(path);
    CachedServer& entry = servers[info.canonicalFilePath()];
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    if (!entry.server.session || entry.size != info.size() || entry.modified != modified) {
        auto session = std::make_shared<PostgresSession>(readConnectionUri(path), path);
        // A superuser's relation could read and write the server's files, run its programs and
        // end other sessions: nothing a read-only transaction holds back.
        if (qstrcmp(PQparameterStatus(session->handle(), "is_superuser"), "on") == 0)
            throw DatabaseError(err::InvalidOperation,
                                QStringLiteral("il collegamento entra nel server come superutente (%1): la stampa lo rifiuta, "
                                               "perché una relazione potrebbe leggere e scrivere i file del server e fermarne le "
                                               "sessioni; collegarsi con un ruolo che abbia solo SELECT sulle tabelle importate")
                                    .arg(QString::fromUtf8(PQuser(session->handle()))),
                                path);
        auto catalog = std::make_shared<const Catalog>(loadCatalog(*session));
        entry = CachedServer{info.size(), modified, Server{std::move(session), std::move(catalog)}};
    }
    return std::make_unique<PostgresConnection>(entry.server, path);
}

}  // namespace ostrivo::db
