#include "template/Helpers.h"

#include "template/Numbers.h"

#include <cmath>
#include <limits>
#include <utility>

namespace ostrivo {

MissingFieldError::MissingFieldError(QString line, int field)
    : Error(err::InvalidArgument,
            QStringLiteral("il record ha meno di %1 campi terminati da virgola: %2").arg(field).arg(quoteInput(line))),
      line_(std::move(line)), field_(field)
{
}

QString EstraiCampo(const QString& line, int n)
{
    if (n <= 0)
        return {};
    qsizetype previous = -1;
    qsizetype comma = -1;
    for (int i = 0; i < n; ++i) {
        previous = comma;
        comma = line.indexOf(QLatin1Char(','), previous + 1);
        if (comma < 0)
            throw MissingFieldError(line, n);
    }
    return line.mid(previous + 1, comma - previous - 1);
}

QString textForm(const LooseValue& value)
{
    switch (value.kind) {
    case LooseValue::Kind::Null:
        return QStringLiteral(" ");
    case LooseValue::Kind::Number: {
        QString text = value.text.trimmed();
        text.replace(QLatin1Char('.'), QLatin1Char(','));
        return text;
    }
    case LooseValue::Kind::Text:
        break;
    }
    return value.text.trimmed();
}

QString NormalizzaValore(const LooseValue& value, int mode)
{
    QString form = textForm(value);
    return NormalizzaValore(form, mode);
}

QString NormalizzaValore(QString& value, int mode)
{
    value = value.trimmed();
    const QString& v = value;
    QString kept;
    kept.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        const QChar c = v.at(i).toUpper();
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        switch (mode) {
        case mode::Text:
            kept += c == QLatin1Char('\'') ? QChar(0x00B4) : c;
            break;
        case mode::Number:
        case mode::Decimal:
            if (digit || c == QLatin1Char(',') || c == QLatin1Char('-') || c == QLatin1Char('.'))
                kept += c;
            break;
        case mode::Currency:
            if (digit || c == QLatin1Char(',') || c == QLatin1Char('-'))
                kept += c;
            else if (c == QLatin1Char('.'))
                kept += v.size() - i - 1 == 2 ? QLatin1Char(',') : QLatin1Char('.');
            break;
        case mode::DecimalPoint:
            if (digit || c == QLatin1Char('-'))
                kept += c;
            else if (c == QLatin1Char(','))
                kept += QLatin1Char('.');
            break;
        default:
            break;
        }
    }
    if (kept.isEmpty())
        kept = mode == mode::Text ? QStringLiteral(" ") : QStringLiteral("0");
    if (mode == mode::Currency || mode == mode::Decimal) {
        if (const auto plain = italianToPlainDecimal(kept))
            kept = formatItalianTwoDecimals(*plain);
    }
    return kept;
}

QString CompletaData(QString& text)
{
    if (text.size() == 6) {
        const double year = leadingNumber(QStringView(text).right(2));
        text = text.left(2) + QLatin1Char('/') + text.mid(2, 2) + (year >= 25 ? QStringLiteral("/19") : QStringLiteral("/20")) +
               text.right(2);
    } else if (text.size() == 8) {
        text = text.left(2) + QLatin1Char('/') + text.mid(2, 2) + QLatin1Char('/') + text.right(4);
    }
    return text;
}

QString NomeFileDaPercorso(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(cut + 1);
}

QString SostituisciCarattere(const QString& text, const QString& find, const QString& replacement)
{
    if (find.size() != 1 || replacement.isEmpty())
        return text;
    QString result = text;
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (result.at(i) == find.at(0))
            result[i] = replacement.at(0);
    }
    return result;
}

TemplateColor colorField(const QString& field)
{
    const double value = leadingNumber(field);
    if (std::abs(value) <= std::numeric_limits<qint32>::max() + 1.0) {
        const std::int64_t color = roundHalfEven(value);
        if (color >= std::numeric_limits<qint32>::min() && color <= std::numeric_limits<qint32>::max())
            return color;
    }
    throw Error(err::Overflow, QStringLiteral("il colore %1 non è un intero a 32 bit").arg(quoteInput(field)));
}

}  // namespace ostrivo
