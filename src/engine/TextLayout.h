#pragma once

#include "template/Helpers.h"
#include "template/Numbers.h"

#include <QString>
#include <vector>

namespace ostrivo {

// A value cut into lines: each completed line is printed as it completes, with a line step after
// it; what is left is printed last, also when it is empty.
struct CutText {
    std::vector<QString> completed;
    QString last;
};

// Cuts text into lines of exactly `width` characters (a width that is not a whole number never
// completes a line). With crLfEndsLine, a carriage return followed by a line feed also ends a line
// and neither is printed.
CutText cutIntoLines(const QString& text, Decimal4 width, bool crLfEndsLine);

// Right alignment by character count: width minus length spaces before the text when the width is
// at least the length; the text alone otherwise.
QString rightAlign(const QString& text, Decimal4 width);

// "yyyymmdd" shown as "dd/mm/yyyy", built by position (characters 7-8, 5-6, 1-4).
QString showStoredDate(const QString& stored);

// Reads back a printed amount as a total adds it: through NormalizzaValore mode 2 and then as an
// Italian number ("1.234,50"); a number with a plain "." mark is read as such. Throws "type mismatch"
// when the text is no number at all.
Decimal4 readPrintedAmount(const QString& printed);

// The text a "Num" ("Numero", mode 1) or "Cur" (mode 2) value takes, right-aligned by width.
QString formatNumberField(const LooseValue& value, const QString& typeWord, Decimal4 width);

}  // namespace ostrivo
