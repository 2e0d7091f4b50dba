#pragma once

#include "core/FieldTypes.h"

#include <QString>

namespace ostrivo {

// The word a template file holds for a type code: "Num", "Cur", "Str", "Date", or an empty text
// for a code outside the table.
QString typeWordForCode(const QString& code);

// The representative code a reader gives a type word: "2", "5", "10", "8", or an empty text for a
// word outside the table.
QString typeCodeForWord(const QString& word);

// The code a writer uses for a parameter or a database field: 8 when the column's name begins with
// "Data" (compared exactly), otherwise the code as it is.
QString typeCodeForColumn(const QString& columnName, const QString& code);

}  // namespace ostrivo
