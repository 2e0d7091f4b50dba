#include "db/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace ostrivo::db {

namespace {

// Writes the text into `buffer` (at least 400 bytes) and returns its length.
std::size_t writeDouble(double value, char* buffer)
{
    if (std::isnan(value))
        return std::strlen(std::strcpy(buffer, "NaN"));
    if (std::isinf(value))
        return std::strlen(std::strcpy(buffer, value > 0 ? "Infinity" : "-Infinity"));
    if (value == 0) {
        buffer[0] = '0';  // also -0
        return 1;
    }
    // Fixed notation of a double needs at most 309 integer digits plus the shortest fraction.
    const auto result = std::to_chars(buffer, buffer + 400, value, std::chars_format::fixed);
    return static_cast<std::size_t>(result.ptr - buffer);
}

}  // namespace

std::string formatDoubleUtf8(double value)
{
    char buffer[400];
    return std::string(buffer, writeDouble(value, buffer));
}

QString formatDouble(double value)
{
    char buffer[400];
    return QString::fromLatin1(buffer, static_cast<qsizetype>(writeDouble(value, buffer)));
}

double doubleOfSingle(float value)
{
    if (!std::isfinite(value))
        return value;
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    double result = value;
    std::from_chars(buffer, written.ptr, result);
    return result;
}

std::string formatScaled(unsigned __int128 magnitude, bool negative, int scale)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (scale > 0) {
        if (static_cast<int>(digits.size()) <= scale)
            digits.insert(0, static_cast<std::size_t>(scale) - digits.size() + 1, '0');
        digits.insert(digits.size() - static_cast<std::size_t>(scale), 1, '.');
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == '.')
            digits.pop_back();
    }
    if (negative && digits != "0")
        digits.insert(0, 1, '-');
    return digits;
}

ExactNumber exactNumber(unsigned __int128 magnitude, bool negative, int scale)
{
    ExactNumber number;
    number.text = formatScaled(magnitude, negative, scale);

    unsigned __int128 power = 1;
    for (int i = 0; i < scale; ++i)
        power *= 10;
    if (magnitude % power == 0) {
        const unsigned __int128 whole = magnitude / power;
        constexpr unsigned __int128 maxPositive = static_cast<unsigned __int128>(INT64_MAX);
        if (whole <= maxPositive || (negative && whole == maxPositive + 1)) {
            number.form = ExactNumber::Form::Integer;
            number.integer = negative ? static_cast<std::int64_t>(-static_cast<__int128>(whole))
                                      : static_cast<std::int64_t>(whole);
            return number;
        }
    }
    int significant = 0;
    for (char c : number.text) {
        if (c >= '0' && c <= '9' && (significant > 0 || c != '0'))
            ++significant;
    }
    if (significant <= 15) {
        // Fifteen significant digits always survive the trip through a double.
        number.form = ExactNumber::Form::Real;
        std::from_chars(number.text.data(), number.text.data() + number.text.size(), number.real);
        return number;
    }
    number.form = ExactNumber::Form::Text;
    return number;
}

bool isPlainDecimal(const QString& text)
{
    qsizetype i = 0;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

std::optional<double> parseDecimal(const QString& text)
{
    if (!isPlainDecimal(text))
        return std::nullopt;
    QByteArray latin = text.toLatin1();
    const char* begin = latin.constData();
    if (*begin == '+')
        ++begin;
    double value = 0;
    const auto result = std::from_chars(begin, latin.constData() + latin.size(), value);
    if (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)
        return std::nullopt;
    return value;
}

QString normaliseDecimal(const QString& text)
{
    if (!isPlainDecimal(text))
        return text;
    QString digits = text;
    bool negative = false;
    if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
        negative = digits.startsWith(QLatin1Char('-'));
        digits.remove(0, 1);
    }
    if (digits.contains(QLatin1Char('.'))) {
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        if (digits.endsWith(QLatin1Char('.')))
            digits.chop(1);
    }
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')) && digits.at(1) != QLatin1Char('.'))
        digits.remove(0, 1);
    if (digits.isEmpty() || digits.startsWith(QLatin1Char('.')))
        digits.prepend(QLatin1Char('0'));
    if (negative && digits != QLatin1String("0"))
        digits.prepend(QLatin1Char('-'));
    return digits;
}

}  // namespace ostrivo::db
