// Any bytes as a template that is about to be printed (its first line taken as the entered
// values): the check the print run makes before printing must list problems, never crash; and a
// template it accepts must not fail to print for a reason it could have seen. The print runs in a
// folder with no database, so the only failures it may meet are the databases' (errors 3000 and
// up, which need the file to be seen). A line "relation<TAB>value" is a relation for the check:
// where the check accepts it, no value may change the shape of the statement on either engine.
#include "engine/ParameterFilter.h"
#include "engine/PrintRun.h"
#include "core/Cp1252.h"
#include "db/AccessSql.h"
#include "print/RecordingPrinter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace ostrivo;

namespace {

// The print of a template the check accepted.
void printAccepted(const QStringList& lines, const QString& values)
{
    static QTemporaryDir folder;
    static const bool entered = QDir::setCurrent(folder.path());
    if (!entered)
        return;
    QFile file(QStringLiteral("fuzz.vn3"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(encodeCp1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    file.close();
    RecordingPrinter printer(QStringLiteral("PDF"));
    try {
        PrintRun(printer, QStringLiteral("fuzz.vn3"), values).run();
    } catch (const PrintFailure& f) {
        if (f.number() < 3000) {
            std::fprintf(stderr, "the check accepted a template that the print refuses: %s\n", f.what());
            std::abort();
        }
    }
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() >= 0x80;
}

// A statement as the engine's own lexer splits it (SQLite's, or the server's with standard strings):
// texts, numbers and comments by their kind alone, everything else as written. Kept apart from the
// translator on purpose: it is what the translator's output is judged by.
QStringList engineShape(const QString& sql, bool server)
{
    QStringList shape;
    const qsizetype n = sql.size();
    // One past the character that closes what opens at `from`; past the end when nothing does.
    const auto closing = [&](qsizetype from, QChar close, bool backslash) {
        for (qsizetype k = from + 1; k < n; ++k) {
            if (backslash && sql[k] == QLatin1Char('\\'))
                ++k;
            else if (sql[k] == close && k + 1 < n && sql[k + 1] == close)
                ++k;
            else if (sql[k] == close)
                return k + 1;
        }
        return n + 1;
    };
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql[i];
        const QChar next = i + 1 < n ? sql[i + 1] : QChar();
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            shape << QStringLiteral("comment");
            i = sql.indexOf(QLatin1Char('\n'), i);
            i = i < 0 ? n : i;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            shape << QStringLiteral("comment");
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n + 1 : end + 2;
        } else if (c == QLatin1Char('\'')) {
            shape << QStringLiteral("text");
            i = closing(i, c, false);
        } else if (c == QLatin1Char('"') || (!server && c == QLatin1Char('`'))) {
            const qsizetype end = closing(i, c, false);
            shape << QStringLiteral("name ") + sql.mid(i, end - i);
            i = end;
        } else if (!server && c == QLatin1Char('[')) {
            const qsizetype end = sql.indexOf(QLatin1Char(']'), i);
            shape << QStringLiteral("name ") + sql.mid(i, end - i);
            i = end < 0 ? n + 1 : end + 1;
        } else if (server && c == QLatin1Char('$') && !next.isDigit()) {
            qsizetype k = i + 1;
            while (k < n && sql[k] != QLatin1Char('$') && isWordChar(sql[k]))
                ++k;
            const QString tag = sql.mid(i, k + 1 - i);
            const qsizetype end = sql.indexOf(tag, k + 1);
            shape << QStringLiteral("text");
            i = end < 0 ? n + 1 : end + tag.size();
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('.')))
                ++i;
            shape << QStringLiteral("number");
        } else if (isWordChar(c)) {
            qsizetype k = i;
            while (k < n && isWordChar(sql[k]))
                ++k;
            const QString word = sql.mid(i, k - i).toLower();
            static const QStringList prefixes = {QStringLiteral("e"), QStringLiteral("b"), QStringLiteral("x"), QStringLiteral("n")};
            if (k < n && sql[k] == QLatin1Char('\'') && (server ? prefixes.contains(word) : word == QLatin1String("x"))) {
                shape << QStringLiteral("text");
                i = closing(k, QLatin1Char('\''), word == QLatin1String("e"));
            } else {
                shape << word;
                i = k;
            }
        } else {
            shape << QString(c);
            ++i;
        }
    }
    return shape;
}

// Whatever a text value holds, the statement it goes into keeps its shape on both engines.
void checkValueKeepsTheShape(const QString& relation, const PrintParameter& p)
{
    PrintParameter plain = p;
    plain.rawValue = QStringLiteral("x");
    const QString sql[2] = {QStringLiteral("Select * From t Where ") + replaceRelationPlaceholders(relation, {plain}),
                            QStringLiteral("Select * From t Where ") + replaceRelationPlaceholders(relation, {p})};
    for (const bool server : {false, true}) {
        QStringList shapes[2];
        int translated = 0;
        for (int k = 0; k < 2; ++k) {
            try {
                shapes[k] = engineShape(server ? db::translateAccessSqlForPostgres(sql[k]) : db::translateAccessSql(sql[k]), server);
                ++translated;
            } catch (const Error&) {
            }
        }
        if (translated == 1 || shapes[0] != shapes[1]) {
            std::fprintf(stderr, "a value changed the statement's shape:\n%s\n%s\n%s\n", qPrintable(sql[0]), qPrintable(sql[1]),
                         qPrintable(shapes[1].join(QLatin1Char(' '))));
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList lines =
        splitLines(decodeCp1252(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))));
    const QString values = lines.isEmpty() ? QString() : lines.takeFirst();
    try {
        const bool accepted = checkForPrint(QStringLiteral("fuzz.vn3"), lines, &values).empty();
        checkForPrint(QStringLiteral("fuzz.vn3"), lines);
        if (accepted)
            printAccepted(lines, values);
    } catch (const Error&) {
    }
    for (const QString& line : lines) {
        PrintParameter p{1, QStringLiteral("C"), line.left(2), line.mid(2, 4), line.mid(6), 1};
        try {
            filterLiteral(p);
            checkRelationQuotes(line, {p});
            replaceRelationPlaceholders(line, {p});
        } catch (const Error&) {
        }
        // "relation<TAB>value": a text value for the relation's <PARAM1>.
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0)
            continue;
        const QString relation = line.left(tab);
        const PrintParameter text{1, QStringLiteral("C"), QStringLiteral("="), QStringLiteral("Str"), line.mid(tab + 1), 1};
        try {
            checkRelationQuotes(relation, {text});
        } catch (const Error&) {
            continue;
        }
        checkValueKeepsTheShape(relation, text);
    }
    return 0;
}
