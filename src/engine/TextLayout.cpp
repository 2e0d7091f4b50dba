#include "engine/TextLayout.h"

#include "core/Errors.h"

#include <algorithm>

namespace ostrivo {

CutText cutIntoLines(const QString& text, Decimal4 width, bool crLfEndsLine)
{
    CutText cut;
    QString line;
    const Decimal4 one = Decimal4::fromInt(1);
    Decimal4 length;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (crLfEndsLine && text.at(i) == QLatin1Char('\r') && i + 1 < text.size() &&
            text.at(i + 1) == QLatin1Char('\n')) {
            cut.completed.push_back(line);
            line.clear();
            length = Decimal4();
            ++i;
            continue;
        }
        line += text.at(i);
        length += one;
        if (length == width) {
            cut.completed.push_back(line);
            line.clear();
            length = Decimal4();
        }
    }
    cut.last = line;
    return cut;
}

QString rightAlign(const QString& text, Decimal4 width)
{
    const Decimal4 length = Decimal4::fromInt(text.size());
    if (width < length)
        return text;
    // No printed line is this wide; a template asking for more must not exhaust memory.
    constexpr std::int64_t kMaxPadding = 4096;
    const std::int64_t spaces = std::min((width - length).roundHalfEven(), kMaxPadding);
    return QString(static_cast<qsizetype>(spaces), QLatin1Char(' ')) + text;
}

QString showStoredDate(const QString& stored)
{
    return stored.mid(6, 2) + QLatin1Char('/') + stored.mid(4, 2) + QLatin1Char('/') + stored.mid(0, 4);
}

Decimal4 readPrintedAmount(const QString& printed)
{
    QString text = printed;
    const QString amount = NormalizzaValore(text, mode::Currency);
    if (const auto italian = parseItalianNumber(amount))
        return *italian;
    if (const auto plain = Decimal4::parse(amount))
        return *plain;
    throw Error(err::TypeMismatch, QStringLiteral("Tipo non corrispondente: %1 non è un importo").arg(quoteInput(printed.trimmed())));
}

QString formatNumberField(const LooseValue& value, const QString& typeWord, Decimal4 width)
{
    const int mode = typeWord == QLatin1String("Cur") ? mode::Currency : mode::Number;
    return rightAlign(NormalizzaValore(value, mode), width);
}

}  // namespace ostrivo
