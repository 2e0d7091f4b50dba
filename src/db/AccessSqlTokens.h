#pragma once

#include <QString>
#include <vector>

// The tokens of Access SQL as the translators rewrite them, each keeping the blanks before it
// and its place in the statement, so that what is not rewritten is written out as it came.
namespace ostrivo::db::accesssql {

struct Token {
    enum class Kind { Word, Number, String, Identifier, Date, Operator, Open, Close, Comma, Ampersand };
    Kind kind;
    QString text;     // as it will be written out
    QString value;    // String: the unquoted content
    QString spaceBefore;
    qsizetype begin = 0;  // where it stands in the Access SQL
    qsizetype end = 0;
};

// Throws DatabaseError (err::QuerySyntax) naming `sql`.
[[noreturn]] void syntaxError(const QString& detail, const QString& sql);
// `value` as an SQL string literal.
QString quoteString(const QString& value);
bool isWordChar(QChar c);
// The tokens of `sql`, the last one holding any trailing blanks. Throws DatabaseError
// (err::QuerySyntax) on a string, name or date left open or a
// character out of place.
std::vector<Token> tokenize(const QString& sql);

}  // namespace ostrivo::db::accesssql
