#pragma once

#include <QString>
#include <vector>

struct sqlite3;

namespace ostrivo::db {

// Turns the Access SQL that templates and users write into the SQL of the query engine:
//   "text" and 'text'          -> 'text'
//   [Order Details]            -> "Order Details"
//   a & b                      -> (COALESCE(a, '') || COALESCE(b, ''))   (& reads Null as "")
//   True / False               -> -1 / 0
//   #12/31/2024#, #2024-12-31 13:45# -> '2024-12-31 00:00:00', '2024-12-31 13:45:00'
//                                 (Date/Time values are kept as that text)
//   Like 'ROSS*' / 'R?ssi' / '##*' -> Like 'ROSS%' / 'R_ssi' / '[0-9][0-9]%'
//                                 (a literal % or _ becomes [%] or [_]; [a-c] and [!a-c] stay)
//   Like Nome & '*'            -> Like access_pattern((COALESCE(Nome, '') || COALESCE('*', '')))
//                                 (the query engine provides that function: see below)
// Everything else passes unchanged, except that tokens the engines would read as one are kept
// apart: 5--3 -> 5- -3 (Access has no comments: "--" and "/*" are operators), E'x' -> E 'x'.
// A name may not begin with "$" nor be quoted with "`". A malformed literal (an unclosed quote
// or bracket, a date that is no date) throws DatabaseError (err::QuerySyntax) naming the SQL; the
// caller adds the database's name.
QString translateAccessSql(const QString& accessSql);

// The literal pieces of Access SQL as the translators read them: quoted texts (either quote),
// bracketed names and #dates#, each with its place (from its opening character to one past its
// closing one). Throws as translateAccessSql does.
struct AccessSqlLiteral {
    enum class Kind { Text, Name, Date };
    Kind kind;
    qsizetype begin;
    qsizetype end;
};
std::vector<AccessSqlLiteral> accessSqlLiterals(const QString& accessSql);

// The same for a PostgreSQL server prepared by the import (its schema "ostrivo" shadows the text
// comparisons with Access's): names are lowercased as the import stores them ([Order Details] ->
// "order details"); a & b -> concat(a, b); Like takes a regular expression of the folded pattern
// (Like 'ROSS*' -> LIKE '^ross.*$', computed patterns through ostrivo.like_pattern()); each item
// of the statement's own Order by is ordered as Access orders it, Nulls first:
// Order by Cognome DESC -> ORDER BY ostrivo.sort_key(cognome) DESC NULLS LAST.
QString translateAccessSqlForPostgres(const QString& accessSql);

// An Access Like pattern as the anchored regular expression that the server matches against the
// folded text ("R?ss*" -> "^r.ss.*$").
QString likePatternRegex(const QString& accessPattern);

// The Access wildcard pattern of a Like as the engine's LIKE pattern (see above).
QString translateLikePattern(const QString& accessPattern);

// The SQL function that applies translateLikePattern to a pattern computed by the query; a
// connection that runs translated SQL registers it with registerLikePatternFunction.
inline constexpr const char* kLikePatternFunction = "access_pattern";
void registerLikePatternFunction(sqlite3* db);

// An Access date literal's text (between the #) as "yyyy-MM-dd HH:mm:ss"; empty when it is no
// date. Accepts m/d/yyyy and yyyy-mm-dd, with an optional time (h:mm[:ss] [AM|PM]), or a time alone
// (on 1899-12-30, Access's day zero).
QString accessDateLiteral(const QString& text);

}  // namespace ostrivo::db
