#include "db/Import.h"

#include "core/Errors.h"
#include "db/MemoryStore.h"
#include "db/NumberText.h"
#include "db/Postgres.h"
#include "db/SelectShape.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <cmath>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace ostrivo::db {

namespace {

bool isSystemTable(const QString& name)
{
    // Access's own tables; a user's table may be called "msysdata".
    return name.startsWith(QLatin1String("MSys"));
}

// The server's type for an engine type code. Whole numbers of an SQLite file may take 64 bits.
QString serverType(const ColumnDef& c)
{
    switch (c.type) {
    case type::Boolean:
        return QStringLiteral("smallint");
    case type::Byte:
    case type::Integer:
        return c.size == 1 || c.size == 2 ? QStringLiteral("smallint") : QStringLiteral("bigint");
    case type::Long:
        return c.size == 4 ? QStringLiteral("integer") : QStringLiteral("bigint");
    case type::Currency:
        return QStringLiteral("numeric(19,4)");
    case type::Decimal:
        return QStringLiteral("numeric");
    case type::Single:  // kept as the double the engine reads, so that comparisons agree
    case type::Double:
        return QStringLiteral("double precision");
    case type::Date:
        return QStringLiteral("timestamp(0)");
    case type::Binary:
    case type::LongBinary:
        return QStringLiteral("bytea");
    case type::Guid:
        return QStringLiteral("uuid");
    case type::Text:
        return c.size > 0 ? QStringLiteral("varchar(%1)").arg(c.size) : QStringLiteral("text");
    default:
        return QStringLiteral("text");
    }
}

QString literal(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

// COPY's text form: tab between values, \N for Null, backslash escapes.
void appendText(QByteArray& out, const char* text, int length)
{
    for (int i = 0; i < length; ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

void appendValue(QByteArray& out, sqlite3_stmt* rows, int column)
{
    switch (sqlite3_column_type(rows, column)) {
    case SQLITE_NULL:
        out += "\\N";
        return;
    case SQLITE_INTEGER:
        out += QByteArray::number(static_cast<qlonglong>(sqlite3_column_int64(rows, column)));
        return;
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(rows, column);
        if (std::isnan(d))
            out += "NaN";
        else if (std::isinf(d))
            out += d > 0 ? "Infinity" : "-Infinity";
        else
            out += formatDoubleUtf8(d);
        return;
    }
    case SQLITE_TEXT:
        appendText(out, reinterpret_cast<const char*>(sqlite3_column_text(rows, column)), sqlite3_column_bytes(rows, column));
        return;
    default: {
        // bytea's hex form; its backslash is escaped for COPY.
        const QByteArray bytes(static_cast<const char*>(sqlite3_column_blob(rows, column)), sqlite3_column_bytes(rows, column));
        out += "\\\\x";
        out += bytes.toHex();
        return;
    }
    }
}

constexpr std::int64_t kProgressRows = 5000;

class Importer {
public:
    Importer(const QString& source, const QString& destination, const ImportOptions& options,
             const std::function<void(const ImportProgress&)>& progress)
        : sourceName_(source), destination_(destination), options_(options), progress_(progress)
    {
    }

    std::vector<ImportProgress> run()
    {
        source_ = openFileSource(sourceName_);
        std::vector<SourceTable> catalog = source_->readCatalog();
        const std::vector<int> chosen = choose(catalog);
        PostgresSession session(readConnectionUri(destination_), destination_);
        session_ = &session;
        MemoryStore store(catalog);
        std::vector<ImportProgress> copied;
        // All or nothing: the schema, every table and the catalog in one transaction, which the
        // server undoes whole when anything fails or the program ends half-way.
        transaction([&] {
            for (const QString& statement : postgresSetupStatements())
                session_->execute(statement);
            const QSet<QString> existing = serverTables();
            for (int t : chosen) {
                const SourceTable& table = catalog[static_cast<std::size_t>(t)];
                if (!isSystemTable(table.schema.name) && existing.contains(postgresName(table.schema.name)) && !options_.replace)
                    throw DatabaseError(err::InvalidOperation,
                                        QStringLiteral("la tabella %1 esiste già nel database di destinazione: "
                                                       "per sostituirla usare --replace")
                                            .arg(table.schema.name),
                                        destination_);
            }
            for (int t : chosen) {
                const SourceTable& table = catalog[static_cast<std::size_t>(t)];
                if (isSystemTable(table.schema.name))
                    list(table);
                else
                    copied.push_back(copy(store, table));
            }
        });
        if (progress_) {
            for (ImportProgress& table : copied) {
                table.copied = true;
                progress_(table);
            }
        }
        return copied;
    }

private:
    std::vector<int> choose(const std::vector<SourceTable>& catalog) const
    {
        std::vector<int> chosen;
        for (const QString& wanted : options_.tables) {
            int found = -1;
            for (std::size_t i = 0; i < catalog.size() && found < 0; ++i) {
                if (catalog[i].schema.name.compare(wanted, Qt::CaseInsensitive) == 0)
                    found = static_cast<int>(i);
            }
            if (found < 0)
                throw DatabaseError(err::TableNotFound, QStringLiteral("tabella sconosciuta: %1").arg(wanted), sourceName_);
            if (std::find(chosen.begin(), chosen.end(), found) == chosen.end())
                chosen.push_back(found);
        }
        if (options_.tables.isEmpty()) {
            for (std::size_t i = 0; i < catalog.size(); ++i)
                chosen.push_back(static_cast<int>(i));
        }
        std::sort(chosen.begin(), chosen.end());
        checkServerNames(catalog, chosen);
        return chosen;
    }

    // The server's names are lowercased and cut at 63 bytes: two names that would become one are
    // refused before anything is written (the second table would replace the first).
    void checkServerNames(const std::vector<SourceTable>& catalog, const std::vector<int>& chosen) const
    {
        const auto tooLong = [&](const QString& name) {
            // The server keeps names of at most 63 bytes.
            if (postgresName(name).toUtf8().size() > 63)
                throw DatabaseError(err::InvalidOperation,
                                    QStringLiteral("nome troppo lungo per il server: %1").arg(postgresName(name)), sourceName_);
        };
        QHash<QString, QString> tables;
        for (int t : chosen) {
            const TableSchema& table = catalog[static_cast<std::size_t>(t)].schema;
            tooLong(table.name);
            const QString name = postgresName(table.name);
            if (tables.contains(name))
                throw DatabaseError(err::InvalidOperation,
                                    QStringLiteral("le tabelle %1 e %2 avrebbero sul server lo stesso nome %3 (i nomi importati "
                                                   "non distinguono maiuscole e minuscole): rinominarne una nel file di origine, "
                                                   "o importarne una sola con --table")
                                        .arg(tables.value(name), table.name, name),
                                    sourceName_);
            tables.insert(name, table.name);
            QHash<QString, QString> columns{{QString::fromLatin1(kRowPositionColumn), QStringLiteral("(posizione delle righe)")}};
            for (const ColumnDef& c : table.columns) {
                tooLong(c.name);
                const QString column = postgresName(c.name);
                if (columns.contains(column))
                    throw DatabaseError(err::InvalidOperation,
                                        QStringLiteral("nella tabella %1 le colonne %2 e %3 avrebbero sul server lo stesso nome %4")
                                            .arg(table.name, columns.value(column), c.name, column),
                                        sourceName_);
                columns.insert(column, c.name);
            }
        }
    }

    template <typename Work>
    void transaction(const Work& work)
    {
        session_->execute(QStringLiteral("BEGIN"));
        try {
            work();
            session_->execute(QStringLiteral("COMMIT"));
        } catch (...) {
            PQclear(PQexec(session_->handle(), "ROLLBACK"));
            throw;
        }
    }

    QSet<QString> serverTables()
    {
        const auto result = session_->run(QStringLiteral(
            "SELECT relname FROM pg_catalog.pg_class WHERE relnamespace OPERATOR(pg_catalog.=) 'public'::regnamespace"));
        QSet<QString> names;
        for (int r = 0; r < PQntuples(result.get()); ++r)
            names.insert(QString::fromUtf8(PQgetvalue(result.get(), r, 0)));
        return names;
    }

    // The table's lines of the catalog, in its old place when it was listed before.
    void list(const SourceTable& table)
    {
        const QString name = postgresName(table.schema.name);
        const auto old = session_->run(
            QStringLiteral("SELECT min(table_position), (SELECT coalesce(max(table_position), 0) + 1 FROM ostrivo.catalog) "
                           "FROM ostrivo.catalog WHERE pg_table OPERATOR(pg_catalog.=) %1")
                .arg(literal(name)));
        const QString position = QString::fromUtf8(PQgetvalue(old.get(), 0, PQgetisnull(old.get(), 0, 0) ? 1 : 0));
        session_->execute(
            QStringLiteral("DELETE FROM ostrivo.catalog WHERE pg_table OPERATOR(pg_catalog.=) %1").arg(literal(name)));
        QStringList rows;
        for (std::size_t c = 0; c < table.schema.columns.size(); ++c) {
            const ColumnDef& column = table.schema.columns[c];
            // One substitution: a "%4" in a name must stay inside its literal.
            rows << QStringLiteral("(%1, %2, %3, %4, %5, %6, %7, %8)")
                        .arg(position, literal(table.schema.name), literal(name), QString::number(c),
                             literal(column.name), literal(postgresName(column.name)), QString::number(column.type),
                             QString::number(column.size));
        }
        if (!rows.isEmpty())
            session_->execute(QStringLiteral("INSERT INTO ostrivo.catalog VALUES ") + rows.join(QStringLiteral(", ")));
    }

    ImportProgress copy(MemoryStore& store, const SourceTable& table)
    {
        ImportProgress state;
        state.table = table.schema.name;
        QElapsedTimer clock;
        clock.start();
        const MemoryStore::SourceProvider provider = [this]() -> TableSource& { return *source_; };
        const QString select = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quoteIdentifier(table.schema.name));
        Statement rows = store.prepare(select, provider, sourceName_, select);
        state.totalRows = store.rowCount(store.findTable(table.schema.name));

        // Qualified: a table called "catalog" or "pg_class" is the user's, never ostrivo's or the server's.
        const QString name = QStringLiteral("public.") + quoteIdentifier(postgresName(table.schema.name));
        QStringList columns{quoteIdentifier(QLatin1String(kRowPositionColumn)) + QStringLiteral(" bigint NOT NULL")};
        for (const ColumnDef& c : table.schema.columns)
            columns << quoteIdentifier(postgresName(c.name)) + QLatin1Char(' ') + serverType(c);
        session_->execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(name));
        session_->execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(name, columns.join(QStringLiteral(", "))));
        copyRows(rows.get(), name, state, clock);
        session_->execute(QStringLiteral("ALTER TABLE %1 ADD PRIMARY KEY (%2)")
                              .arg(name, quoteIdentifier(QLatin1String(kRowPositionColumn))));
        list(table);
        state.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (progress_ && (state.rows == 0 || state.rows % kProgressRows != 0))
            progress_(state);  // the last rows; a multiple of kProgressRows was just reported
        return state;
    }

    void copyRows(sqlite3_stmt* rows, const QString& name, ImportProgress& state, const QElapsedTimer& clock)
    {
        PGconn* pg = session_->handle();
        const QByteArray command = QStringLiteral("COPY %1 FROM STDIN").arg(name).toUtf8();
        PostgresSession::Result started(PQexec(pg, command.constData()), PQclear);
        if (PQresultStatus(started.get()) != PGRES_COPY_IN)
            throw DatabaseError(err::InvalidOperation,
                                QStringLiteral("copia della tabella %1 non avviata: %2").arg(state.table, session_->lastMessage()),
                                destination_);
        const int count = sqlite3_column_count(rows);
        QByteArray buffer;
        buffer.reserve(1 << 17);
        const auto send = [&] {
            if (PQputCopyData(pg, buffer.constData(), static_cast<int>(buffer.size())) != 1)
                throw DatabaseError(err::InvalidOperation,
                                    QStringLiteral("copia della tabella %1 interrotta: %2").arg(state.table, session_->lastMessage()),
                                    destination_);
            buffer.clear();
        };
        int rc;
        while ((rc = sqlite3_step(rows)) == SQLITE_ROW) {
            const qsizetype before = buffer.size();
            buffer += QByteArray::number(static_cast<qlonglong>(state.rows + 1));
            for (int c = 0; c < count; ++c) {
                buffer += '\t';
                appendValue(buffer, rows, c);
            }
            buffer += '\n';
            ++state.rows;
            state.bytes += buffer.size() - before;
            if (buffer.size() >= (1 << 16))
                send();
            if (progress_ && state.rows % kProgressRows == 0) {
                state.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
                progress_(state);
            }
        }
        if (rc != SQLITE_DONE)
            throw DatabaseError(err::NotADatabase, QStringLiteral("lettura della tabella %1 non riuscita").arg(state.table),
                                sourceName_);
        if (!buffer.isEmpty())
            send();
        if (PQputCopyEnd(pg, nullptr) != 1)
            throw DatabaseError(err::InvalidOperation, session_->lastMessage(), destination_);
        // The server checks every value as it stores it: a value its column cannot hold ends the
        // copy here, naming the line.
        for (PGresult* r = PQgetResult(pg); r; r = PQgetResult(pg)) {
            PostgresSession::Result result(r, PQclear);
            if (PQresultStatus(r) != PGRES_COMMAND_OK) {
                const char* context = PQresultErrorField(r, PG_DIAG_CONTEXT);
                throw DatabaseError(err::InvalidOperation,
                                    QStringLiteral("il server rifiuta i dati della tabella %1: %2 (%3)")
                                        .arg(state.table, QString::fromUtf8(PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY)),
                                             QString::fromUtf8(context ? context : "")),
                                    destination_);
            }
        }
    }

    QString sourceName_;
    QString destination_;
    ImportOptions options_;
    std::function<void(const ImportProgress&)> progress_;
    std::unique_ptr<TableSource> source_;
    PostgresSession* session_ = nullptr;
};

}  // namespace

std::vector<ImportProgress> importDatabase(const QString& source, const QString& destination, const ImportOptions& options,
                                           const std::function<void(const ImportProgress&)>& progress)
{
    return Importer(source, destination, options, progress).run();
}

}  // namespace ostrivo::db
