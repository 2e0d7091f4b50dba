#pragma once

#include <QString>

namespace ostrivo {

// The database engine's field type codes, as the model keeps them (decimal text).
namespace typecode {
constexpr int Boolean = 1;
constexpr int Byte = 2;
constexpr int Integer = 3;
constexpr int Long = 4;
constexpr int Currency = 5;
constexpr int Single = 6;
constexpr int Double = 7;
constexpr int Date = 8;
constexpr int Binary = 9;
constexpr int Text = 10;
constexpr int LongBinary = 11;
constexpr int Memo = 12;
}  // namespace typecode

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
