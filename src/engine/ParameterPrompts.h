#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace ostrivo {

// One row of the print-time parameter dialog, from a [PARAMETRI] line of the template file.
struct ParameterPrompt {
    QString column;        // field 1
    QString prompt;        // field 5
    QString op;            // field 2
    QString defaultValue;  // field 4; "<nessuno>" means no default
    QString typeWord;      // field 3
    int line = 0;
};

// The text that stands for "no default".
inline const QString kNoDefault = QStringLiteral("<nessuno>");

// Reads the [PARAMETRI] records of a template file as the parameter dialog does (every line of
// every [PARAMETRI] section, at most 10). Throws TemplateError for a file that cannot be opened,
// a record with too few fields, or an 11th parameter line.
std::vector<ParameterPrompt> readParameterPrompts(const QString& path);

// The word appended to a prompt for an operator (" uguale a ", " da ", ...); none for an operator
// outside the table (the label then keeps its pattern caption).
std::optional<QString> operatorWord(const QString& op);

// The value a box starts with: the request value when not empty, else the default unless it is
// "<nessuno>", else empty.
QString initialValue(const ParameterPrompt& prompt, const QString& requestValue);

// Normalises a value the way Enter does in the dialog, by the parameter's type word; for the
// operators "In" and "No" each ";"-separated item is normalised and the ";" kept.
QString normaliseTypedValue(const QString& value, const QString& typeWord, const QString& op);

// A value as it can stand in the comma-terminated list the print run reads: unchanged when it
// holds no comma; a number with a decimal comma ("1.234,50", as Enter writes amounts) in the
// point form the print run reads as the same number ("1234.50"), item by item for "In" and "No".
// Nothing for a comma that no number explains (a text, a date): it would split the value in two
// and shift every later parameter.
std::optional<QString> valueForList(const QString& value, const QString& typeWord, const QString& op);

// What "Ok" hands on from a box, in the form of valueForList: a "Num", "Cur" or "Date" value as
// Enter would have left it, so that a value never confirmed with Enter (typed, a default, a print
// request value) means the same number or date; any other value trimmed, as typed. Nothing for a
// comma no number explains.
std::optional<QString> valueOnOk(const QString& boxText, const QString& typeWord, const QString& op);

// Why a typed value cannot be of the parameter's type: a "Num" or "Cur" value without a digit
// (which Enter would make 0), a "Date" value that, as Enter completes it, is no day of the
// calendar written gg/mm/aaaa (32/13/2024, abc); for "In" and "No" each ";"-separated item.
// Nothing for a value that can, and for an empty one: no value is read as it always was.
std::optional<QString> typeMismatch(const QString& value, const QString& typeWord, const QString& op);

}  // namespace ostrivo
