#include "template/Numbers.h"

#include "core/Errors.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace ostrivo {

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

[[noreturn]] void overflow()
{
    throw Error(err::Overflow);
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// An exact decimal as text: sign, integer digits (no leading zeros but one) and fraction digits.
struct DecimalText {
    bool negative = false;
    std::string whole = "0";
    std::string fraction;

    static std::optional<DecimalText> parse(QStringView text)
    {
        DecimalText d;
        qsizetype i = 0;
        if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
            d.negative = text[i] == QLatin1Char('-');
            ++i;
        }
        std::string whole;
        while (i < text.size() && isDigit(text[i]))
            whole += static_cast<char>(text[i++].unicode());
        bool digits = !whole.empty();
        if (i < text.size() && text[i] == QLatin1Char('.')) {
            ++i;
            while (i < text.size() && isDigit(text[i])) {
                d.fraction += static_cast<char>(text[i++].unicode());
                digits = true;
            }
        }
        if (!digits || i != text.size())
            return std::nullopt;
        const auto first = whole.find_first_not_of('0');
        d.whole = first == std::string::npos ? "0" : whole.substr(first);
        return d;
    }

    bool isZero() const
    {
        return whole == "0" && fraction.find_first_not_of('0') == std::string::npos;
    }

    // Rounds to `places` decimals; halves go away from zero, or to even when halfEven.
    void round(std::size_t places, bool halfEven)
    {
        if (fraction.size() <= places) {
            fraction.append(places - fraction.size(), '0');
            return;
        }
        const char next = fraction[places];
        const bool restNonZero = fraction.find_first_not_of('0', places + 1) != std::string::npos;
        fraction.resize(places);
        bool up = next > '5' || (next == '5' && restNonZero);
        if (next == '5' && !restNonZero) {
            const char last = places > 0 ? fraction.back() : whole.back();
            up = !halfEven || ((last - '0') % 2 == 1);
        }
        if (!up)
            return;
        std::string digits = whole + fraction;
        int k = static_cast<int>(digits.size()) - 1;
        while (k >= 0 && digits[static_cast<std::size_t>(k)] == '9')
            digits[static_cast<std::size_t>(k--)] = '0';
        if (k < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[static_cast<std::size_t>(k)];
        whole = digits.substr(0, digits.size() - places);
        fraction = digits.substr(digits.size() - places);
    }

    std::int64_t toInteger() const
    {
        std::int64_t value = 0;
        for (char c : whole) {
            if (value > (kMax - (c - '0')) / 10)
                overflow();
            value = value * 10 + (c - '0');
        }
        return negative ? -value : value;
    }
};

DecimalText shortestText(double value)
{
    if (!std::isfinite(value))
        overflow();
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        overflow();
    return *DecimalText::parse(QString::fromLatin1(buffer, result.ptr - buffer));
}

}  // namespace

// ---- Decimal4 ----

Decimal4 Decimal4::fromInt(std::int64_t value)
{
    if (value > kMax / kScale || value < -(kMax / kScale))
        overflow();
    return Decimal4(value * kScale);
}

std::optional<Decimal4> Decimal4::parse(QStringView text)
{
    auto d = DecimalText::parse(text);
    if (!d)
        return std::nullopt;
    d->round(4, true);
    const std::int64_t whole = DecimalText{false, d->whole, {}}.toInteger();
    const __int128 units = static_cast<__int128>(whole) * kScale + std::stoll(d->fraction);
    if (units > kMax)
        overflow();
    const auto exact = static_cast<std::int64_t>(units);
    return Decimal4(d->negative ? -exact : exact);
}

Decimal4 Decimal4::fromDouble(double value)
{
    DecimalText d = shortestText(value);
    QString text = QString::fromStdString((d.negative ? "-" : "") + d.whole);
    if (!d.fraction.empty())
        text += QLatin1Char('.') + QString::fromStdString(d.fraction);
    return *parse(text);
}

double Decimal4::toDouble() const
{
    // Both operands are exact doubles below 2^53 and division rounds correctly, so this is the
    // double nearest to the decimal, as reading its text would give.
    constexpr std::int64_t kExact = std::int64_t{1} << 53;
    if (units_ > -kExact && units_ < kExact)
        return static_cast<double>(units_) / static_cast<double>(kScale);
    double result = 0;
    const std::string text = toString().toStdString();
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

QString Decimal4::toString() const
{
    const bool negative = units_ < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(units_) : static_cast<std::uint64_t>(units_);
    QString text = QString::number(magnitude / kScale);
    std::uint64_t fraction = magnitude % kScale;
    if (fraction != 0) {
        QString digits = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

std::int64_t Decimal4::floor() const
{
    std::int64_t q = units_ / kScale;
    if (units_ % kScale != 0 && units_ < 0)
        --q;
    return q;
}

std::int64_t Decimal4::roundHalfAway() const
{
    const std::int64_t q = units_ / kScale;
    const std::int64_t r = units_ % kScale;
    if (r >= kScale / 2)
        return q + 1;
    if (r <= -kScale / 2)
        return q - 1;
    return q;
}

std::int64_t Decimal4::roundHalfEven() const
{
    const std::int64_t f = floor();
    const std::int64_t r = units_ - f * kScale;  // 0 .. kScale-1
    if (r > kScale / 2 || (r == kScale / 2 && (f % 2 != 0)))
        return f + 1;
    return f;
}

Decimal4 Decimal4::operator+(Decimal4 other) const
{
    std::int64_t result = 0;
    if (__builtin_add_overflow(units_, other.units_, &result))
        overflow();
    return Decimal4(result);
}

Decimal4 Decimal4::operator-(Decimal4 other) const
{
    std::int64_t result = 0;
    if (__builtin_sub_overflow(units_, other.units_, &result))
        overflow();
    return Decimal4(result);
}

Decimal4 Decimal4::operator-() const
{
    return Decimal4() - *this;
}

Decimal4 Decimal4::operator*(Decimal4 other) const
{
    const __int128 product = static_cast<__int128>(units_) * other.units_;
    __int128 q = product / kScale;
    const __int128 r = product % kScale;
    const __int128 twice = (r < 0 ? -r : r) * 2;
    if (twice > kScale || (twice == kScale && (q % 2 != 0)))
        q += product < 0 ? -1 : 1;
    if (q > kMax || q < -kMax)
        overflow();
    return Decimal4(static_cast<std::int64_t>(q));
}

// ---- reading numbers of the file ----

QString leadingNumberText(QStringView field)
{
    qsizetype i = 0;
    while (i < field.size() && (field[i] == QLatin1Char(' ') || field[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < field.size() && (field[i] == QLatin1Char('-') || field[i] == QLatin1Char('+')))
        ++i;
    qsizetype digits = 0;
    while (i < field.size() && isDigit(field[i])) {
        ++i;
        ++digits;
    }
    if (i < field.size() && field[i] == QLatin1Char('.')) {
        qsizetype j = i + 1;
        qsizetype fractionDigits = 0;
        while (j < field.size() && isDigit(field[j])) {
            ++j;
            ++fractionDigits;
        }
        if (digits + fractionDigits > 0) {
            i = j;
            digits += fractionDigits;
        }
    }
    if (digits == 0)
        return {};
    qsizetype end = i;
    if (i < field.size() && (field[i] == QLatin1Char('e') || field[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < field.size() && (field[j] == QLatin1Char('-') || field[j] == QLatin1Char('+')))
            ++j;
        const qsizetype expStart = j;
        while (j < field.size() && isDigit(field[j]))
            ++j;
        if (j > expStart)
            end = j;
    }
    return field.mid(start, end - start).toString();
}

double leadingNumber(QStringView field)
{
    const QString text = leadingNumberText(field);
    if (text.isEmpty())
        return 0;
    std::string ascii = text.toStdString();
    const char* first = ascii.data();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto result = std::from_chars(first, ascii.data() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        overflow();
    return value;
}

Decimal4 leadingDecimal(QStringView field)
{
    const QString text = leadingNumberText(field);
    if (text.isEmpty())
        return {};
    if (auto exact = Decimal4::parse(text))
        return *exact;
    return Decimal4::fromDouble(leadingNumber(field));  // an exponent form
}

std::optional<QString> italianToPlainDecimal(QStringView text)
{
    text = text.trimmed();
    QString plain;
    qsizetype i = 0;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        if (text[i] == QLatin1Char('-'))
            plain += QLatin1Char('-');
        ++i;
    }
    qsizetype group = 0;
    bool grouped = false;
    qsizetype wholeDigits = 0;
    while (i < text.size() && (isDigit(text[i]) || text[i] == QLatin1Char('.'))) {
        if (text[i] == QLatin1Char('.')) {
            // A thousands mark follows one to three digits, or a full group of three.
            if (group == 0 || group > 3 || (grouped && group != 3))
                return std::nullopt;
            grouped = true;
            group = 0;
        } else {
            plain += text[i];
            ++group;
            ++wholeDigits;
        }
        ++i;
    }
    if (grouped && group != 3)
        return std::nullopt;
    qsizetype fractionDigits = 0;
    if (i < text.size() && text[i] == QLatin1Char(',')) {
        plain += QLatin1Char('.');
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            plain += text[i++];
            ++fractionDigits;
        }
    }
    if (i != text.size() || wholeDigits + fractionDigits == 0)
        return std::nullopt;
    if (plain.endsWith(QLatin1Char('.')))
        plain.chop(1);
    return plain;
}

std::optional<Decimal4> parseItalianNumber(QStringView text)
{
    const auto plain = italianToPlainDecimal(text);
    if (!plain)
        return std::nullopt;
    return Decimal4::parse(*plain);
}

// ---- writing numbers of the file ----

QString formatTwoDecimals(double value)
{
    DecimalText d = shortestText(value);
    d.round(2, false);
    const bool negative = d.negative && !d.isZero();
    return QString::fromStdString((negative ? "-" : "") + d.whole + "." + d.fraction);
}

QString formatShortest(double value)
{
    DecimalText d = shortestText(value);
    const bool negative = d.negative && !d.isZero();
    std::string text = (negative ? "-" : "") + d.whole;
    if (!d.fraction.empty())
        text += "." + d.fraction;
    return QString::fromStdString(text);
}

std::int64_t roundHalfAway(double value)
{
    DecimalText d = shortestText(value);
    d.round(0, false);
    return d.toInteger();
}

std::int64_t roundHalfEven(double value)
{
    DecimalText d = shortestText(value);
    d.round(0, true);
    return d.toInteger();
}

qint16 toInt16(std::int64_t value)
{
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        overflow();
    return static_cast<qint16>(value);
}

QString formatItalianTwoDecimals(QStringView plainDecimal)
{
    auto d = DecimalText::parse(plainDecimal);
    if (!d)
        return plainDecimal.toString();
    d->round(2, false);
    std::string grouped;
    const std::string& w = d->whole;
    for (std::size_t k = 0; k < w.size(); ++k) {
        if (k > 0 && (w.size() - k) % 3 == 0)
            grouped += '.';
        grouped += w[k];
    }
    const bool negative = d->negative && !d->isZero();
    return QString::fromStdString((negative ? "-" : "") + grouped + "," + d->fraction);
}

}  // namespace ostrivo
