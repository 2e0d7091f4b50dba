#pragma once

#include "core/Errors.h"
#include "core/TemplateColor.h"

#include <QString>

namespace ostrivo {

// EstraiCampo's failure: the record has fewer comma-terminated fields than asked for.
class MissingFieldError : public Error {
public:
    MissingFieldError(QString line, int field);
    const QString& line() const noexcept { return line_; }
    int field() const noexcept { return field_; }

private:
    QString line_;
    int field_;
};

// Field n (from 1) of a comma-terminated record, taken unchanged; the empty text for n <= 0.
// Throws MissingFieldError when the line has fewer than n commas.
QString EstraiCampo(const QString& line, int n);

// A value as the database hands it to the normaliser: null, a number (exact decimal text with
// ".") or a text.
struct LooseValue {
    enum class Kind { Null, Number, Text };
    Kind kind = Kind::Text;
    QString text;

    static LooseValue null() { return {Kind::Null, {}}; }
    static LooseValue number(QString decimal) { return {Kind::Number, std::move(decimal)}; }
    static LooseValue fromText(QString text) { return {Kind::Text, std::move(text)}; }
};

// Modes of NormalizzaValore.
namespace mode {
constexpr int Text = 0;          // upper case; "'" becomes the acute accent
constexpr int Number = 1;        // digits , - .
constexpr int Currency = 2;      // digits , -; "." before two final characters becomes ","; 1.234,50
constexpr int Decimal = 3;       // digits , - .; 1.234,50
constexpr int DecimalPoint = 4;  // digits -; "," becomes "."; "." dropped
}  // namespace mode

// Filters and reformats a value by mode. The caller's variable receives the value's trimmed text
// form (" " for a null) before filtering, as the original procedure's by-reference argument did.
QString NormalizzaValore(QString& value, int mode);
QString NormalizzaValore(const LooseValue& value, int mode);
// The text form a value takes before filtering: a number in its decimal form with the Italian
// decimal comma, a text trimmed, a null as " ".
QString textForm(const LooseValue& value);

// Completes a typed compact date: ddmmyy gives dd/mm/19yy from 25 upwards, else dd/mm/20yy;
// ddmmyyyy gives dd/mm/yyyy; other lengths are unchanged. The caller's variable receives it too.
QString CompletaData(QString& text);

// The text after the last "\" (or "/": Linux dialogs return "/" paths) of a path.
QString NomeFileDaPercorso(const QString& path);

// Overwrites every occurrence of the one-character text `find` with the first character of
// `replacement`; the length never changes.
QString SostituisciCarattere(const QString& text, const QString& find, const QString& replacement);

// A text's colour field: its number rounded to a whole number (halves to even), which must fit in
// 32 bits; Error (overflow) naming the field otherwise.
TemplateColor colorField(const QString& field);

}  // namespace ostrivo
