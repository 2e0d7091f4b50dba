#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace ostrivo::db {

// Exact decimal texts of stored numbers: "." as decimal mark, no exponent, no trailing zeros
// after the mark ("652.5", "-0.00000025", "3").

// The shortest decimal that reads back as the same double.
QString formatDouble(double value);
std::string formatDoubleUtf8(double value);

// A Single is kept as the double nearest to its own shortest decimal, so that 3.14159f reads
// back as 3.14159 and not as 3.1415901184082031.
double doubleOfSingle(float value);

// A scaled integer (Currency: scale 4; Decimal: the column's scale), magnitude and sign apart
// because a Decimal holds up to 96 bits.
std::string formatScaled(unsigned __int128 magnitude, bool negative, int scale);

// How an exact decimal is best kept in the query engine without losing a digit.
struct ExactNumber {
    enum class Form { Integer, Real, Text } form = Form::Integer;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;  // always the exact decimal
};
// Whole values that fit 64 bits become integers; values of at most 15 significant digits
// become doubles (which print back exactly); longer ones stay decimal text.
ExactNumber exactNumber(unsigned __int128 magnitude, bool negative, int scale);

// Reads a plain decimal ("-12.50", "7"); nothing else (no exponent, no blanks).
std::optional<double> parseDecimal(const QString& text);
bool isPlainDecimal(const QString& text);
// Normalises a plain decimal: strips trailing fraction zeros, a lone ".", leading zeros, "-0".
QString normaliseDecimal(const QString& text);

}  // namespace ostrivo::db
