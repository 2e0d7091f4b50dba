#pragma once

#include "template/TemplateReader.h"

#include <QString>
#include <optional>
#include <vector>

namespace ostrivo {

// One [PARAMETRI] line as the print run reads it, with the value entered for it.
struct PrintParameter {
    int number = 0;        // 1-based position in the section
    QString column;        // field 1
    QString op;            // field 2
    QString typeWord;      // field 3
    QString rawValue;      // field `number` of the entered values
    int line = 0;          // line of the record in the template
};

// The print run reads at most this many parameters.
constexpr int kMaxPrintParameters = 10;

// The SQL literal of a value by its type word, as the parameter filter puts it after the operator.
// "Str" and "Date" are quoted (quotes inside doubled); "Num" and "Cur" and any other word must
// read as a number: an Italian decimal comma becomes "."; where both "." and "," appear, the "."
// are thousands marks. "In" and "No" take a ";"-separated list. Throws Error naming the parameter
// when a value cannot be made valid SQL.
QString filterLiteral(const PrintParameter& parameter);

// FiltroParametri: "NumeroHotel = 1" and, for each parameter, " and " column operator literal.
QString parameterFilter(const std::vector<PrintParameter>& parameters);

// Replaces, for n = 1 to the number of parameters, the first "<PARAMn>" of a relation with value
// n, raw: quoted when parameter n is "Str" or "Date", else as a number (as in filterLiteral); a
// space keeps it apart from a neighbour that is not a blank.
QString replaceRelationPlaceholders(const QString& relation, const std::vector<PrintParameter>& parameters);

// Throws Error when the "<PARAMn>" a relation's value goes into, for a parameter whose value the
// program quotes ("Str", "Date"), stands inside quotes, brackets or #dates# of the relation as the
// SQL translator reads it, or when the translator cannot read the relation: an honest value would
// be a syntax error and a crafted one live SQL.
void checkRelationQuotes(const QString& relation, const std::vector<PrintParameter>& parameters);

// Replaces, for n = 1 to the number of parameters, the first "<PARAMn>" of a text with value n as
// it was entered (no quotes, no conversion).
QString replaceTextPlaceholders(const QString& text, const std::vector<PrintParameter>& parameters);

// A text value in single quotes, its quotes doubled.
QString quoteSql(const QString& value);

// A value that must stand as a number in SQL, or nothing when it cannot.
std::optional<QString> sqlNumber(const QString& value);

}  // namespace ostrivo
