#include "db/AccessSqlTokens.h"

#include "core/Errors.h"
#include "db/AccessSql.h"

#include <QStringList>

namespace ostrivo::db::accesssql {

[[noreturn]] void syntaxError(const QString& detail, const QString& sql)
{
    throw DatabaseError(err::QuerySyntax, detail, QString(), sql);
}

QString quoteString(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() >= 0x80;
}

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> tokens;
    QString space;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto push = [&](Token::Kind kind, QString text, QString value = {}) {
        tokens.push_back(Token{kind, std::move(text), std::move(value), space});
        space.clear();
    };
    while (i < n) {
        const QChar c = sql.at(i);
        const qsizetype start = i;
        const std::size_t count = tokens.size();
        if (c.isSpace()) {
            space += c;
            ++i;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString value;
            qsizetype k = i + 1;
            bool closed = false;
            while (k < n) {
                if (sql.at(k) == c) {
                    if (k + 1 < n && sql.at(k + 1) == c) {
                        value += c;
                        k += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                value += sql.at(k++);
            }
            if (!closed)
                syntaxError(QStringLiteral("testo tra virgolette non chiuso"), sql);
            push(Token::Kind::String, quoteString(value), value);
            i = k + 1;
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = sql.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                syntaxError(QStringLiteral("parentesi quadra non chiusa"), sql);
            QString name = sql.mid(i + 1, close - i - 1);
            name.replace(QLatin1Char('"'), QLatin1String("\"\""));
            push(Token::Kind::Identifier, QLatin1Char('"') + name + QLatin1Char('"'));
            i = close + 1;
        } else if (c == QLatin1Char('#')) {
            const qsizetype close = sql.indexOf(QLatin1Char('#'), i + 1);
            const QString inner = close < 0 ? QString() : sql.mid(i + 1, close - i - 1);
            const QString date = close < 0 ? QString() : accessDateLiteral(inner);
            if (date.isEmpty())
                syntaxError(QStringLiteral("data non valida: #%1#").arg(inner), sql);
            push(Token::Kind::Date, quoteString(date), date);
            i = close + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && sql.at(i + 1).isDigit())) {
            qsizetype k = i;
            while (k < n && (sql.at(k).isDigit() || sql.at(k) == QLatin1Char('.')))
                ++k;
            if (k < n && (sql.at(k) == QLatin1Char('e') || sql.at(k) == QLatin1Char('E'))) {
                qsizetype e = k + 1;
                if (e < n && (sql.at(e) == QLatin1Char('+') || sql.at(e) == QLatin1Char('-')))
                    ++e;
                if (e < n && sql.at(e).isDigit()) {
                    k = e;
                    while (k < n && sql.at(k).isDigit())
                        ++k;
                }
            }
            push(Token::Kind::Number, sql.mid(i, k - i));
            i = k;
        } else if (c == QLatin1Char('$') || c == QLatin1Char('`')) {
            // No Access name begins so; the engines would read a dollar quote, a parameter or a
            // quoted name.
            syntaxError(QStringLiteral("carattere %1 fuori posto").arg(c), sql);
        } else if (isWordChar(c)) {
            qsizetype k = i;
            while (k < n && isWordChar(sql.at(k)))
                ++k;
            push(Token::Kind::Word, sql.mid(i, k - i));
            i = k;
        } else if (c == QLatin1Char('(')) {
            push(Token::Kind::Open, QStringLiteral("("));
            ++i;
        } else if (c == QLatin1Char(')')) {
            push(Token::Kind::Close, QStringLiteral(")"));
            ++i;
        } else if (c == QLatin1Char(',')) {
            push(Token::Kind::Comma, QStringLiteral(","));
            ++i;
        } else if (c == QLatin1Char('&')) {
            push(Token::Kind::Ampersand, QStringLiteral("&"));
            ++i;
        } else {
            static const QStringList twoChar = {QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>"),
                                                QStringLiteral("!="), QStringLiteral("||"), QStringLiteral("==")};
            const QString two = sql.mid(i, 2);
            if (twoChar.contains(two)) {
                push(Token::Kind::Operator, two);
                i += 2;
            } else {
                push(Token::Kind::Operator, QString(c));
                ++i;
            }
        }
        if (tokens.size() > count) {
            tokens.back().begin = start;
            tokens.back().end = i;
        }
    }
    if (!space.isEmpty() || tokens.empty())
        tokens.push_back(Token{Token::Kind::Operator, QString(), QString(), space});  // trailing blanks
    return tokens;
}

}  // namespace ostrivo::db::accesssql
