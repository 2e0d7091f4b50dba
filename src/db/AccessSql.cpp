#include "db/AccessSql.h"

#include "core/Errors.h"
#include "db/AccessSqlTokens.h"
#include "db/AccessText.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>
#include <sqlite3.h>
#include <vector>

namespace ostrivo::db {

using namespace accesssql;

namespace {

bool isWord(const Token& t, const char* word)
{
    return t.kind == Token::Kind::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Keywords and operators that end the operand of a "&".
bool endsOperand(const Token& t)
{
    static const char* const keywords[] = {
        "AND", "OR", "NOT", "XOR", "EQV", "IMP", "LIKE", "IS", "IN", "BETWEEN", "SELECT", "FROM", "WHERE",
        "ORDER", "BY", "GROUP", "HAVING", "AS", "ON", "JOIN", "INNER", "LEFT", "RIGHT", "OUTER", "ASC",
        "DESC", "CASE", "WHEN", "THEN", "ELSE", "END", "DISTINCT", "UNION", "ESCAPE", "TOP", "ALL"};
    if (t.kind != Token::Kind::Word)
        return false;
    for (const char* k : keywords) {
        if (isWord(t, k))
            return true;
    }
    return false;
}

// A name followed by "(" calls a function; LEFT and RIGHT are functions as well as joins.
bool isFunctionName(const Token& t)
{
    return t.kind == Token::Kind::Word && (!endsOperand(t) || isWord(t, "LEFT") || isWord(t, "RIGHT"));
}

bool isTerm(const Token& t)
{
    switch (t.kind) {
    case Token::Kind::Word:
        return !endsOperand(t);
    case Token::Kind::Number:
    case Token::Kind::String:
    case Token::Kind::Identifier:
    case Token::Kind::Date:
        return true;
    default:
        return false;
    }
}

bool isArithmetic(const Token& t)
{
    if (t.kind == Token::Kind::Word)
        return isWord(t, "MOD");
    if (t.kind != Token::Kind::Operator)
        return false;
    static const QStringList ops = {QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"), QStringLiteral("/"),
                                    QStringLiteral("\\"), QStringLiteral("^"), QStringLiteral("."), QStringLiteral("!")};
    return ops.contains(t.text);
}

// The first token of the operand that ends at token `end` (inclusive), or -1 when there is none.
qsizetype operandStart(const std::vector<Token>& tokens, qsizetype end)
{
    qsizetype k = end;
    qsizetype start = -1;
    while (k >= 0) {
        // One term: a value, a name, or a parenthesised group with the function name before it.
        if (tokens[k].kind == Token::Kind::Close) {
            int depth = 0;
            qsizetype m = k;
            for (; m >= 0; --m) {
                if (tokens[m].kind == Token::Kind::Close)
                    ++depth;
                else if (tokens[m].kind == Token::Kind::Open && --depth == 0)
                    break;
            }
            if (m < 0)
                return start;
            k = m;
            if (k > 0 && isFunctionName(tokens[k - 1]))
                --k;
        } else if (!isTerm(tokens[k])) {
            return start;
        }
        start = k;
        if (k > 0 && isArithmetic(tokens[k - 1])) {
            if (k - 2 < 0 || !(isTerm(tokens[k - 2]) || tokens[k - 2].kind == Token::Kind::Close)) {
                // A sign in front of the operand.
                if (tokens[k - 1].text == QLatin1String("-") || tokens[k - 1].text == QLatin1String("+"))
                    start = k - 1;
                return start;
            }
            k -= 2;
        } else {
            return start;
        }
    }
    return start;
}

// The last token of the operand that starts at token `begin`, or -1 when there is none.
qsizetype operandEnd(const std::vector<Token>& tokens, qsizetype begin)
{
    const qsizetype n = static_cast<qsizetype>(tokens.size());
    qsizetype k = begin;
    if (k < n && tokens[k].kind == Token::Kind::Operator &&
        (tokens[k].text == QLatin1String("-") || tokens[k].text == QLatin1String("+")))
        ++k;
    qsizetype end = -1;
    while (k < n) {
        if (isFunctionName(tokens[k]) && k + 1 < n && tokens[k + 1].kind == Token::Kind::Open)
            ++k;  // a function call: its name, then its arguments
        if (tokens[k].kind == Token::Kind::Open) {
            int depth = 0;
            qsizetype m = k;
            for (; m < n; ++m) {
                if (tokens[m].kind == Token::Kind::Open)
                    ++depth;
                else if (tokens[m].kind == Token::Kind::Close && --depth == 0)
                    break;
            }
            if (m >= n)
                return end;
            k = m;
        } else if (!isTerm(tokens[k])) {
            return end;
        }
        end = k;
        if (k + 2 < n && isArithmetic(tokens[k + 1]))
            k += 2;
        else
            return end;
    }
    return end;
}

// Appends a token's text where the engines would otherwise read two tokens as one: "--" and "/*"
// open comments there (Access reads two minus signs, or a division and a product), and a word
// before a quote would prefix the text (E'...' takes backslash escapes on the server).
void appendToken(QString& out, const QString& space, const QString& text)
{
    if (space.isEmpty() && !out.isEmpty() && !text.isEmpty()) {
        const QChar last = out.back();
        const QChar first = text.front();
        if ((last == QLatin1Char('-') && first == QLatin1Char('-')) || (last == QLatin1Char('/') && first == QLatin1Char('*')) ||
            (last == QLatin1Char('*') && first == QLatin1Char('/')) || (isWordChar(last) && first == QLatin1Char('\'')))
            out += QLatin1Char(' ');
    }
    out += space;
    out += text;
}

QString joinTokens(const std::vector<Token>& tokens, qsizetype from, qsizetype to, bool leadingSpace)
{
    QString out;
    for (qsizetype k = from; k <= to; ++k)
        appendToken(out, k > from || leadingSpace ? tokens[k].spaceBefore : QString(), tokens[k].text);
    return out;
}

// Rewrites every chain "a & b & c" so that Null reads as "" as in Access, and binds it before the
// comparison around it.
void translateConcatenation(std::vector<Token>& tokens, bool concatFunction = false)
{
    for (qsizetype k = 0; k < static_cast<qsizetype>(tokens.size()); ++k) {
        if (tokens[k].kind != Token::Kind::Ampersand)
            continue;
        const qsizetype first = k > 0 ? operandStart(tokens, k - 1) : -1;
        if (first < 0) {
            tokens[k].text = QStringLiteral("||");
            continue;
        }
        QStringList operands{joinTokens(tokens, first, k - 1, false)};
        qsizetype amp = k;
        qsizetype last = k - 1;
        while (amp < static_cast<qsizetype>(tokens.size()) && tokens[amp].kind == Token::Kind::Ampersand) {
            const qsizetype end = operandEnd(tokens, amp + 1);
            if (end < 0)
                break;
            operands << joinTokens(tokens, amp + 1, end, false);
            last = end;
            amp = end + 1;
        }
        if (operands.size() < 2) {
            tokens[k].text = QStringLiteral("||");
            continue;
        }
        QString joined;
        for (const QString& operand : operands) {
            if (!joined.isEmpty())
                joined += concatFunction ? QStringLiteral(", ") : QStringLiteral(" || ");
            joined += concatFunction ? operand : QStringLiteral("COALESCE(%1, '')").arg(operand);
        }
        // concat() reads Null as "" and a number as its text, as & does.
        Token replacement{Token::Kind::Identifier,
                          (concatFunction ? QStringLiteral("concat(") : QStringLiteral("(")) + joined + QLatin1Char(')'),
                          QString(), tokens[first].spaceBefore};
        tokens.erase(tokens.begin() + first, tokens.begin() + last + 1);
        tokens.insert(tokens.begin() + first, replacement);
        k = first;
    }
}

}  // namespace

QString translateLikePattern(const QString& pattern)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('*')) {
            out += QLatin1Char('%');
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('_');
        } else if (c == QLatin1Char('#')) {
            out += QLatin1String("[0-9]");
        } else if (c == QLatin1Char('%') || c == QLatin1Char('_')) {
            out += QLatin1Char('[') + c + QLatin1Char(']');
        } else if (c == QLatin1Char('[')) {
            // A character class is copied whole: inside it every character stands for itself.
            qsizetype end = i + 1;
            if (end < pattern.size() && pattern.at(end) == QLatin1Char('!'))
                ++end;
            if (end < pattern.size() && pattern.at(end) == QLatin1Char(']'))
                ++end;
            end = pattern.indexOf(QLatin1Char(']'), end);
            if (end < 0) {
                out += QLatin1String("[[]");
            } else {
                out += pattern.mid(i, end - i + 1);
                i = end;
            }
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

void likePatternFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray pattern =
        translateLikePattern(QString::fromUtf8(text, sqlite3_value_bytes(argv[0]))).toUtf8();
    sqlite3_result_text(context, pattern.constData(), static_cast<int>(pattern.size()), SQLITE_TRANSIENT);
}

}  // namespace

void registerLikePatternFunction(sqlite3* db)
{
    sqlite3_create_function_v2(db, kLikePatternFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                               nullptr, likePatternFunction, nullptr, nullptr, nullptr);
}

QString accessDateLiteral(const QString& text)
{
    static const QRegularExpression iso(
        QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T]+(.*))?$"));
    static const QRegularExpression us(
        QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})(?:\\s+(.*))?$"));
    static const QRegularExpression time(
        QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*(AM|PM|A|P)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);

    QDate date(1899, 12, 30);
    QString timeText;
    bool haveDate = false;
    if (const auto m = iso.match(text); m.hasMatch()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        timeText = m.captured(4);
        haveDate = true;
    } else if (const auto u = us.match(text); u.hasMatch()) {
        int year = u.captured(3).toInt();
        if (u.captured(3).size() == 2)
            year += year < 30 ? 2000 : 1900;  // Access's window for two-digit years
        date = QDate(year, u.captured(1).toInt(), u.captured(2).toInt());
        timeText = u.captured(4);
        haveDate = true;
    } else {
        timeText = text;
    }
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return {};
    QTime t(0, 0, 0);
    if (!timeText.trimmed().isEmpty()) {
        const auto m = time.match(timeText);
        if (!m.hasMatch())
            return {};
        int hour = m.captured(1).toInt();
        const int minute = m.captured(2).toInt();
        const int second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
        const QString half = m.captured(4).toUpper();
        if (!half.isEmpty()) {
            if (hour < 1 || hour > 12)
                return {};
            hour = hour % 12 + (half.startsWith(QLatin1Char('P')) ? 12 : 0);
        }
        t = QTime(hour, minute, second);
        if (!t.isValid())
            return {};
    } else if (!haveDate) {
        return {};
    }
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + t.toString(QStringLiteral("HH:mm:ss"));
}

namespace {

enum class Dialect { QueryEngine, Postgres };

void translateBooleans(std::vector<Token>& tokens)
{
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        Token& t = tokens[k];
        const bool qualified = k > 0 && tokens[k - 1].kind == Token::Kind::Operator &&
                               (tokens[k - 1].text == QLatin1String(".") || tokens[k - 1].text == QLatin1String("!"));
        if ((isWord(t, "TRUE") || isWord(t, "FALSE")) && !qualified &&
            !(k + 1 < tokens.size() && tokens[k + 1].kind == Token::Kind::Open)) {
            t.text = isWord(t, "TRUE") ? QStringLiteral("-1") : QStringLiteral("0");
            t.kind = Token::Kind::Number;
        }
    }
}

void translateLikePatterns(std::vector<Token>& tokens, Dialect dialect)
{
    for (qsizetype k = 0; k + 1 < static_cast<qsizetype>(tokens.size()); ++k) {
        if (!isWord(tokens[k], "LIKE"))
            continue;
        Token& pattern = tokens[k + 1];
        if (pattern.kind == Token::Kind::String) {
            pattern.value = dialect == Dialect::Postgres ? likePatternRegex(pattern.value) : translateLikePattern(pattern.value);
            pattern.text = quoteString(pattern.value);
            continue;
        }
        // A pattern computed by the query has its wildcards translated as it is evaluated.
        const qsizetype end = operandEnd(tokens, k + 1);
        if (end < 0)
            continue;
        const QString function = dialect == Dialect::Postgres ? QStringLiteral("ostrivo.like_pattern")
                                                              : QLatin1String(kLikePatternFunction);
        Token wrapped{Token::Kind::Identifier, QStringLiteral("%1(%2)").arg(function, joinTokens(tokens, k + 1, end, false)),
                      QString(), pattern.spaceBefore};
        tokens.erase(tokens.begin() + k + 1, tokens.begin() + end + 1);
        tokens.insert(tokens.begin() + k + 1, wrapped);
    }
}

QString joinAll(const std::vector<Token>& tokens)
{
    QString out;
    for (const Token& t : tokens)
        appendToken(out, t.spaceBefore, t.text);
    return out;
}

// The statement's own "ORDER BY" (outside parentheses) with each item ordered by its sort key,
// Nulls first as the query engine sorts them.
void translateOrderBy(std::vector<Token>& tokens)
{
    const auto size = static_cast<qsizetype>(tokens.size());
    int depth = 0;
    qsizetype begin = -1;
    for (qsizetype k = 0; k + 1 < size; ++k) {
        depth += tokens[k].kind == Token::Kind::Open ? 1 : tokens[k].kind == Token::Kind::Close ? -1 : 0;
        if (depth == 0 && isWord(tokens[k], "ORDER") && isWord(tokens[k + 1], "BY"))
            begin = k + 2;
    }
    if (begin < 0)
        return;
    std::vector<Token> out(tokens.begin(), tokens.begin() + begin);
    qsizetype item = begin;
    depth = 0;
    for (qsizetype k = begin; k <= size; ++k) {
        const bool end = k == size || (tokens[k].kind == Token::Kind::Operator && tokens[k].text == QLatin1String(";"));
        if (k < size && !end) {
            depth += tokens[k].kind == Token::Kind::Open ? 1 : tokens[k].kind == Token::Kind::Close ? -1 : 0;
            if (!(depth == 0 && tokens[k].kind == Token::Kind::Comma))
                continue;
        }
        qsizetype last = k - 1;
        while (last >= item && tokens[last].kind == Token::Kind::Operator && tokens[last].text.isEmpty())
            --last;  // trailing blanks
        if (last >= item) {
            const bool descending = isWord(tokens[last], "DESC");
            if (descending || isWord(tokens[last], "ASC"))
                --last;
            const QString expression = joinTokens(tokens, item, last, false);
            const bool ordinal = item == last && tokens[item].kind == Token::Kind::Number;
            QString text = ordinal ? expression : QStringLiteral("ostrivo.sort_key(%1)").arg(expression);
            text += descending ? QStringLiteral(" DESC NULLS LAST") : QStringLiteral(" NULLS FIRST");
            out.push_back(Token{Token::Kind::Identifier, text, QString(), tokens[item].spaceBefore});
        }
        if (k < size) {
            out.push_back(tokens[k]);
            if (end) {
                out.insert(out.end(), tokens.begin() + k + 1, tokens.end());
                break;
            }
        }
        item = k + 1;
    }
    tokens = std::move(out);
}

}  // namespace

std::vector<AccessSqlLiteral> accessSqlLiterals(const QString& accessSql)
{
    std::vector<AccessSqlLiteral> literals;
    for (const Token& t : tokenize(accessSql)) {
        if (t.kind == Token::Kind::String)
            literals.push_back({AccessSqlLiteral::Kind::Text, t.begin, t.end});
        else if (t.kind == Token::Kind::Identifier)
            literals.push_back({AccessSqlLiteral::Kind::Name, t.begin, t.end});
        else if (t.kind == Token::Kind::Date)
            literals.push_back({AccessSqlLiteral::Kind::Date, t.begin, t.end});
    }
    return literals;
}

QString translateAccessSql(const QString& accessSql)
{
    std::vector<Token> tokens = tokenize(accessSql);
    translateBooleans(tokens);
    translateConcatenation(tokens);
    translateLikePatterns(tokens, Dialect::QueryEngine);
    return joinAll(tokens);
}

QString translateAccessSqlForPostgres(const QString& accessSql)
{
    std::vector<Token> tokens = tokenize(accessSql);
    translateBooleans(tokens);
    for (Token& t : tokens) {
        // The import stores names lowercased: a bare name folds to them, a quoted one is made to.
        if (t.kind == Token::Kind::Word)
            t.text = t.text.toLower();
        else if (t.kind == Token::Kind::Identifier)
            t.text = t.text.toLower();
    }
    translateConcatenation(tokens, true);
    translateLikePatterns(tokens, Dialect::Postgres);
    translateOrderBy(tokens);
    return joinAll(tokens);
}

QString likePatternRegex(const QString& accessPattern)
{
    const QString pattern = foldAccessText(accessPattern);
    const auto literal = [](QChar c) {
        static const QString special = QStringLiteral("\\.^$|?*+()[]{}");
        return special.contains(c) ? QStringLiteral("\\") + c : QString(c);
    };
    QString out = QStringLiteral("^");
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('*')) {
            out += QLatin1String(".*");
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('.');
        } else if (c == QLatin1Char('#')) {
            out += QLatin1String("[0-9]");
        } else if (c == QLatin1Char('[')) {
            qsizetype end = i + 1;
            const bool negated = end < pattern.size() && pattern.at(end) == QLatin1Char('!');
            if (negated)
                ++end;
            const qsizetype first = end;
            if (end < pattern.size() && pattern.at(end) == QLatin1Char(']'))
                ++end;
            end = pattern.indexOf(QLatin1Char(']'), end);
            if (end < 0) {
                out += literal(c);
                continue;
            }
            // Inside a class every character stands for itself; a "-" between two makes a range.
            QString members;
            for (qsizetype m = first; m < end; ++m) {
                const QChar x = pattern.at(m);
                const bool range = x == QLatin1Char('-') && m > first && m + 1 < end;
                const bool escaped = QStringLiteral("\\]^-[").contains(x);
                members += range ? QStringLiteral("-") : escaped ? QStringLiteral("\\") + x : QString(x);
            }
            out += (negated ? QStringLiteral("[^") : QStringLiteral("[")) + members + QLatin1Char(']');
            i = end;
        } else {
            out += literal(c);
        }
    }
    return out + QLatin1Char('$');
}

}  // namespace ostrivo::db
