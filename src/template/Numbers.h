#pragma once

#include <QString>
#include <QStringView>
#include <compare>
#include <cstdint>
#include <optional>

namespace ostrivo {

// A fixed-point decimal with four places: totals, products and every position the engine computes.
// Arithmetic is exact; a result outside the range throws "overflow".
class Decimal4 {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Decimal4() = default;
    static constexpr Decimal4 fromUnits(std::int64_t units) { return Decimal4(units); }
    static Decimal4 fromInt(std::int64_t value);
    // A plain decimal text ("-12.5", "0.00001", "3"): digits beyond four places are rounded
    // halves to even, as fixed-point conversion does. Nothing else may stand in the text.
    static std::optional<Decimal4> parse(QStringView text);
    // The double's shortest decimal text, rounded to four places (halves to even).
    static Decimal4 fromDouble(double value);

    constexpr std::int64_t units() const { return units_; }
    double toDouble() const;
    // The shortest decimal text with "." ("12.5", "-3", "0.0001").
    QString toString() const;
    bool isZero() const { return units_ == 0; }

    // Whole numbers, rounding halves away from zero or halves to even.
    std::int64_t roundHalfAway() const;
    std::int64_t roundHalfEven() const;
    // The integer part towards minus infinity.
    std::int64_t floor() const;

    Decimal4 operator+(Decimal4 other) const;
    Decimal4 operator-(Decimal4 other) const;
    Decimal4 operator-() const;
    // The product rounded to four places, halves to even.
    Decimal4 operator*(Decimal4 other) const;
    Decimal4& operator+=(Decimal4 other) { return *this = *this + other; }
    auto operator<=>(const Decimal4&) const = default;

private:
    constexpr explicit Decimal4(std::int64_t units) : units_(units) {}
    std::int64_t units_ = 0;
};

// The longest leading decimal number of a field with "." as the decimal mark: leading blanks,
// a sign, digits, a fraction and an exponent; an empty or non-numeric field reads as 0.
double leadingNumber(QStringView field);
// The same number as an exact fixed-point value (for positions and widths).
Decimal4 leadingDecimal(QStringView field);
// The text of the leading number, as leadingNumber reads it ("" when there is none).
QString leadingNumberText(QStringView field);

// A number written the Italian way: "." groups thousands (groups of three), "," marks decimals:
// "1.234,50", "-3,00", "12", "0,5". Leading and trailing blanks are allowed. Anything else: none.
std::optional<Decimal4> parseItalianNumber(QStringView text);
// The same number as a plain decimal text with "." ("1234.50"), exact whatever its size.
std::optional<QString> italianToPlainDecimal(QStringView text);

// Two decimals with "." ("12.50", "-3.00"), rounded halves away from zero at the second decimal.
QString formatTwoDecimals(double value);
// The shortest decimal that reads back as the same double, "." as mark, never an exponent.
QString formatShortest(double value);
// The nearest integer, halves away from zero (2.5 gives 3, -2.5 gives -3).
std::int64_t roundHalfAway(double value);
// The nearest integer, halves to even (2.5 gives 2, 3.5 gives 4), as integer conversion does.
std::int64_t roundHalfEven(double value);
// A whole number that must fit a 16-bit field of the model; otherwise "overflow".
qint16 toInt16(std::int64_t value);

// Formats an exact decimal text (sign, digits, optional "." and digits) with the pattern
// "##,###,##0.00" in the Italian convention: "." between groups of three, "," before two decimals
// rounded halves away from zero. "1234.5" gives "1.234,50", "12" gives "12,00".
QString formatItalianTwoDecimals(QStringView plainDecimal);

}  // namespace ostrivo
