#include "db/SelectShape.h"

#include <vector>

namespace ostrivo::db {

namespace {

struct Token {
    enum class Kind { Word, Quoted, String, Number, Open, Close, Comma, Semicolon, Other };
    Kind kind;
    QString text;  // Quoted: the unquoted name
    qsizetype begin;
    qsizetype end;  // one past the last character
};

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const qsizetype begin = i;
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const qsizetype close = sql.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            const QChar closeChar = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            QString value;
            qsizetype k = i + 1;
            while (k < n) {
                if (sql.at(k) == closeChar) {
                    if (closeChar != QLatin1Char(']') && k + 1 < n && sql.at(k + 1) == closeChar) {
                        value += closeChar;
                        k += 2;
                        continue;
                    }
                    break;
                }
                value += sql.at(k++);
            }
            i = k < n ? k + 1 : n;
            tokens.push_back({c == QLatin1Char('\'') ? Token::Kind::String : Token::Kind::Quoted, value, begin, i});
            continue;
        }
        if (c.isLetter() || c == QLatin1Char('_') || c.unicode() >= 0x80) {
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('_') ||
                             sql.at(i) == QLatin1Char('$') || sql.at(i).unicode() >= 0x80))
                ++i;
            tokens.push_back({Token::Kind::Word, sql.mid(begin, i - begin), begin, i});
            continue;
        }
        if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && sql.at(i + 1).isDigit())) {
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('.')))
                ++i;
            tokens.push_back({Token::Kind::Number, sql.mid(begin, i - begin), begin, i});
            continue;
        }
        Token::Kind kind = Token::Kind::Other;
        if (c == QLatin1Char('('))
            kind = Token::Kind::Open;
        else if (c == QLatin1Char(')'))
            kind = Token::Kind::Close;
        else if (c == QLatin1Char(','))
            kind = Token::Kind::Comma;
        else if (c == QLatin1Char(';'))
            kind = Token::Kind::Semicolon;
        ++i;
        tokens.push_back({kind, QString(c), begin, i});
    }
    return tokens;
}

bool is(const Token& t, const char* word)
{
    return t.kind == Token::Kind::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isName(const Token& t)
{
    return t.kind == Token::Kind::Word || t.kind == Token::Kind::Quoted;
}

// Words that may not follow a table in a simple query.
bool isClauseWord(const Token& t)
{
    static const char* const words[] = {"WHERE", "ORDER", "GROUP", "HAVING", "LIMIT", "UNION", "EXCEPT",
                                        "INTERSECT", "JOIN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS",
                                        "NATURAL", "OUTER", "ON", "USING", "WINDOW", "INDEXED", "NOT"};
    for (const char* w : words) {
        if (is(t, w))
            return true;
    }
    return false;
}

}  // namespace

std::optional<SelectShape> parseSelectShape(const QString& sql)
{
    const std::vector<Token> tokens = tokenize(sql);
    std::size_t end = tokens.size();
    while (end > 0 && tokens[end - 1].kind == Token::Kind::Semicolon)
        --end;
    if (end < 4 || !is(tokens[0], "SELECT"))
        return std::nullopt;

    // Top-level positions of the clauses; anything unexpected at depth 0 means "not simple".
    int depth = 0;
    std::size_t from = 0;
    std::size_t where = 0;
    std::size_t order = 0;
    for (std::size_t k = 1; k < end; ++k) {
        const Token& t = tokens[k];
        if (t.kind == Token::Kind::Open) {
            ++depth;
            continue;
        }
        if (t.kind == Token::Kind::Close) {
            if (--depth < 0)
                return std::nullopt;
            continue;
        }
        if (depth > 0)
            continue;
        if (t.kind == Token::Kind::Semicolon)
            return std::nullopt;  // a second statement
        if (k == 1 && (is(t, "DISTINCT") || is(t, "ALL")))
            return std::nullopt;
        if (is(t, "FROM") && from == 0)
            from = k;
        else if (is(t, "WHERE") && from != 0 && where == 0 && order == 0)
            where = k;
        else if (is(t, "ORDER") && from != 0 && order == 0 && k + 1 < end && is(tokens[k + 1], "BY"))
            order = k;
        else if (from != 0 && (is(t, "GROUP") || is(t, "HAVING") || is(t, "LIMIT") || is(t, "UNION") ||
                               is(t, "EXCEPT") || is(t, "INTERSECT") || is(t, "WINDOW") || is(t, "JOIN") ||
                               is(t, "FROM") || is(t, "VALUES")))
            return std::nullopt;
    }
    if (depth != 0 || from == 0 || from == 1)
        return std::nullopt;

    // FROM <name> [[AS] alias]
    const std::size_t fromEnd = where ? where : (order ? order : end);
    std::size_t k = from + 1;
    if (k >= fromEnd || !isName(tokens[k]) || isClauseWord(tokens[k]))
        return std::nullopt;
    SelectShape shape;
    shape.table = tokens[k].text;
    shape.qualifier = tokens[k].text;
    ++k;
    if (k < fromEnd && is(tokens[k], "AS"))
        ++k;
    if (k < fromEnd) {
        if (!isName(tokens[k]) || isClauseWord(tokens[k]))
            return std::nullopt;
        shape.qualifier = tokens[k].text;
        ++k;
    }
    if (k != fromEnd)
        return std::nullopt;

    const auto slice = [&](std::size_t first, std::size_t last) {  // tokens first..last-1
        if (first >= last)
            return QString();
        return sql.mid(tokens[first].begin, tokens[last - 1].end - tokens[first].begin);
    };
    shape.columns = slice(1, from);
    shape.tableText = slice(from + 1, fromEnd);
    if (where) {
        shape.where = slice(where + 1, order ? order : end);
        if (shape.where.trimmed().isEmpty())
            return std::nullopt;
    }
    if (order) {
        shape.orderBy = slice(order + 2, end);
        if (shape.orderBy.trimmed().isEmpty())
            return std::nullopt;
        // Plain names only: name [ASC|DESC] {, name [ASC|DESC]}
        bool plain = true;
        std::size_t m = order + 2;
        while (m < end && plain) {
            if (!isName(tokens[m])) {
                plain = false;
                break;
            }
            // A qualified name "t.c" counts when the qualifier is this table.
            QString name = tokens[m].text;
            if (m + 2 < end && tokens[m + 1].text == QLatin1String(".") && isName(tokens[m + 2])) {
                if (name.compare(shape.qualifier, Qt::CaseInsensitive) != 0) {
                    plain = false;
                    break;
                }
                name = tokens[m + 2].text;
                m += 2;
            }
            bool descending = false;
            ++m;
            if (m < end && (is(tokens[m], "ASC") || is(tokens[m], "DESC"))) {
                descending = is(tokens[m], "DESC");
                ++m;
            }
            shape.orderColumns << name;
            shape.orderDescending << descending;
            if (m < end) {
                if (tokens[m].kind != Token::Kind::Comma)
                    plain = false;
                ++m;
            }
        }
        if (!plain) {
            shape.orderColumns.clear();
            shape.orderDescending.clear();
        }
    }
    return shape;
}

QStringList equalityColumns(const QString& expression)
{
    const std::vector<Token> tokens = tokenize(expression);
    // Split on top-level AND; parentheses around the whole term are looked into.
    QStringList columns;
    std::vector<std::pair<std::size_t, std::size_t>> terms{{0, tokens.size()}};
    while (!terms.empty()) {
        auto [first, last] = terms.back();
        terms.pop_back();
        while (last - first >= 2 && tokens[first].kind == Token::Kind::Open &&
               tokens[last - 1].kind == Token::Kind::Close) {
            // Strip the outer parentheses only when they enclose the whole term.
            int depth = 0;
            bool whole = true;
            for (std::size_t k = first; k < last; ++k) {
                if (tokens[k].kind == Token::Kind::Open)
                    ++depth;
                else if (tokens[k].kind == Token::Kind::Close && --depth == 0 && k != last - 1)
                    whole = false;
            }
            if (!whole)
                break;
            ++first;
            --last;
        }
        int depth = 0;
        int betweens = 0;  // "x BETWEEN a AND b" keeps its AND
        std::size_t start = first;
        bool split = false;
        for (std::size_t k = first; k < last; ++k) {
            if (tokens[k].kind == Token::Kind::Open)
                ++depth;
            else if (tokens[k].kind == Token::Kind::Close)
                --depth;
            else if (depth == 0 && is(tokens[k], "BETWEEN"))
                ++betweens;
            else if (depth == 0 && is(tokens[k], "AND")) {
                if (betweens > 0) {
                    --betweens;
                    continue;
                }
                terms.push_back({start, k});
                start = k + 1;
                split = true;
            }
        }
        if (split) {
            terms.push_back({start, last});
            continue;
        }
        // name = constant, or constant = name
        if (last - first == 3 && tokens[first + 1].text == QLatin1String("=")) {
            const Token& a = tokens[first];
            const Token& b = tokens[first + 2];
            const auto constant = [](const Token& t) {
                return t.kind == Token::Kind::Number || t.kind == Token::Kind::String;
            };
            if (isName(a) && constant(b))
                columns << a.text;
            else if (constant(a) && isName(b))
                columns << b.text;
        }
    }
    return columns;
}

QStringList referencedNames(const QString& expression)
{
    QStringList names;
    for (const Token& t : tokenize(expression)) {
        if (isName(t) && !names.contains(t.text, Qt::CaseInsensitive))
            names << t.text;
    }
    return names;
}

bool isStandaloneExpression(const QString& expression)
{
    // The tokenizer drops comments, so they are looked for in the text between tokens.
    const std::vector<Token> tokens = tokenize(expression);
    qsizetype previousEnd = 0;
    int depth = 0;
    for (const Token& t : tokens) {
        const QString gap = expression.mid(previousEnd, t.begin - previousEnd);
        if (gap.contains(QLatin1String("--")) || gap.contains(QLatin1String("/*")))
            return false;
        previousEnd = t.end;
        if (t.kind == Token::Kind::Semicolon)
            return false;
        if (t.kind == Token::Kind::Open)
            ++depth;
        else if (t.kind == Token::Kind::Close && --depth < 0)
            return false;
    }
    const QString tail = expression.mid(previousEnd);
    return depth == 0 && !tail.contains(QLatin1String("--")) && !tail.contains(QLatin1String("/*"));
}

QString quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace ostrivo::db
