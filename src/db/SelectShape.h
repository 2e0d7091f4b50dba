#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ostrivo::db {

// The parts of a query of the engine's SQL (after translation) of the form
//   SELECT <columns> FROM <one table> [[AS] alias] [WHERE <condition>] [ORDER BY <ordering>] [;]
// which is what reports run. Record sets of this form search with one statement that joins the
// search criteria to the condition, and the query engine may index the table for the ordering.
struct SelectShape {
    QString columns;     // text between SELECT and FROM
    QString table;       // the table's name, unquoted
    QString tableText;   // the FROM item as written (name and alias)
    QString qualifier;   // what names the table inside the query (the alias, else the table)
    QString where;       // empty when there is none
    QString orderBy;     // empty when there is none
    // The ordering's columns when it is only plain column names, with DESC marked.
    QStringList orderColumns;
    QList<bool> orderDescending;
};

// std::nullopt for any other form (joins, grouping, unions, DISTINCT, LIMIT, subqueries in FROM).
std::optional<SelectShape> parseSelectShape(const QString& sql);

// The columns an expression compares for equality with a constant in its top-level AND terms
// ("NumeroHotel = 1 and (DataArrivo >= '2024')" gives NumeroHotel). Names come unquoted.
QStringList equalityColumns(const QString& expression);

// The names an expression may refer to: its bare words and quoted identifiers, unquoted.
QStringList referencedNames(const QString& expression);

// True when an expression stands on its own once put between parentheses: its parentheses
// balance and it holds no ";" and no comment, so that it cannot close or cut the statement
// it is joined into.
bool isStandaloneExpression(const QString& expression);

// A name as a quoted identifier of the engine's SQL.
QString quoteIdentifier(const QString& name);

}  // namespace ostrivo::db
