#include "db/Variant.h"

#include "db/NumberText.h"

#include <algorithm>

namespace ostrivo::db {

namespace {

// QString::number goes through general code for any base; this is a third of its work.
// Writes the digits so that they end at `end`; returns where they begin.
char16_t* writeInteger(std::int64_t value, char16_t* end)
{
    char16_t* p = end;
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        *--p = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--p = u'-';
    return p;
}

constexpr int kIntegerDigits = 20;  // sign and 19 digits

QString integerText(std::int64_t value)
{
    char16_t digits[kIntegerDigits];
    const char16_t* p = writeInteger(value, digits + kIntegerDigits);
    return QString(reinterpret_cast<const QChar*>(p), digits + kIntegerDigits - p);
}

}  // namespace

Variant Variant::fromInteger(std::int64_t value)
{
    Variant v;
    v.kind_ = Kind::Number;
    v.form_ = Form::Integer;
    v.integer_ = value;
    return v;
}

Variant Variant::fromBoolean(bool value)
{
    Variant v = fromInteger(value ? -1 : 0);
    v.boolean_ = true;
    return v;
}

Variant Variant::fromDouble(double value)
{
    Variant v;
    v.kind_ = Kind::Number;
    v.form_ = Form::Real;
    v.real_ = value;
    return v;
}

Variant Variant::fromDecimal(const QString& exactDecimal)
{
    Variant v;
    v.kind_ = Kind::Number;
    v.form_ = Form::Decimal;
    v.text_ = normaliseDecimal(exactDecimal);
    return v;
}

Variant Variant::fromText(const QString& text)
{
    Variant v;
    v.kind_ = Kind::Text;
    v.text_ = text;
    return v;
}

Variant Variant::fromBytes(const QByteArray& bytes)
{
    Variant v;
    v.kind_ = Kind::Binary;
    v.bytes_ = bytes;
    return v;
}

const QString& Variant::makeText() const
{
    static const QString empty;
    switch (kind_) {
    case Kind::Null:
        return empty;
    case Kind::Text:
        return text_;
    case Kind::Binary:
        if (text_.isNull())
            text_ = QString::fromLatin1(bytes_.toHex().toUpper());
        return text_;
    case Kind::Number:
        break;
    }
    if (!text_.isNull())
        return text_;  // a Decimal's digits, or a text kept before
    switch (form_) {
    case Form::Integer:
        text_ = integerText(integer_);
        break;
    case Form::Real:
        text_ = formatDouble(real_);
        break;
    case Form::Decimal:
        break;
    }
    return text_;
}

void Variant::assignInteger(std::int64_t value, bool boolean)
{
    kind_ = Kind::Number;
    form_ = Form::Integer;
    boolean_ = boolean;
    integer_ = value;
    real_ = 0;
    bytes_ = QByteArray();
    char16_t digits[kIntegerDigits];
    const char16_t* p = writeInteger(value, digits + kIntegerDigits);
    const qsizetype n = digits + kIntegerDigits - p;
    if (text_.isDetached() && text_.capacity() >= n) {
        text_.resize(n);
        std::copy(p, p + n, reinterpret_cast<char16_t*>(text_.data()));
    } else {
        text_ = QString(reinterpret_cast<const QChar*>(p), n);
    }
}

void Variant::keepText()
{
    if (kind_ == Kind::Number)
        text();
}

QByteArray Variant::bytes() const
{
    if (kind_ == Kind::Binary)
        return bytes_;
    if (kind_ == Kind::Text)
        return text_.toUtf8();
    return {};
}

double Variant::toDouble() const
{
    if (kind_ != Kind::Number)
        return 0;
    switch (form_) {
    case Form::Integer:
        return static_cast<double>(integer_);
    case Form::Real:
        return real_;
    case Form::Decimal:
        return parseDecimal(text_).value_or(0);
    }
    return 0;
}

std::int64_t Variant::toInteger() const
{
    if (kind_ != Kind::Number)
        return 0;
    if (form_ == Form::Integer)
        return integer_;
    const double d = toDouble();
    // Saturate rather than overflow: a Decimal can exceed 64 bits.
    if (d >= 9.2233720368547758e18)
        return INT64_MAX;
    if (d <= -9.2233720368547758e18)
        return INT64_MIN;
    return static_cast<std::int64_t>(d);
}

bool operator==(const Variant& a, const Variant& b)
{
    if (a.kind_ != b.kind_)
        return false;
    switch (a.kind_) {
    case Variant::Kind::Null:
        return true;
    case Variant::Kind::Text:
        return a.text_ == b.text_;
    case Variant::Kind::Binary:
        return a.bytes_ == b.bytes_;
    case Variant::Kind::Number:
        return a.boolean_ == b.boolean_ && a.text() == b.text();
    }
    return false;
}

QString describe(const Variant& value)
{
    switch (value.kind()) {
    case Variant::Kind::Null:
        return QStringLiteral("Null");
    case Variant::Kind::Number:
        return QStringLiteral("Number(%1)").arg(value.text());
    case Variant::Kind::Text:
        return QStringLiteral("Text(\"%1\")").arg(value.text());
    case Variant::Kind::Binary:
        return QStringLiteral("Binary(%1)").arg(value.text());
    }
    return {};
}

}  // namespace ostrivo::db
