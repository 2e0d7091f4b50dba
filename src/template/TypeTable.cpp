#include "template/TypeTable.h"

#include "template/Numbers.h"

#include <cmath>

namespace ostrivo {

QString typeWordForCode(const QString& code)
{
    if (leadingNumberText(code).isEmpty())
        return {};
    const double value = leadingNumber(code);
    // Out of the int range the conversion itself would be undefined ("1e74").
    if (!(value >= 0 && value <= 255) || value != std::trunc(value))
        return {};
    switch (static_cast<int>(value)) {
    case db::type::Boolean:
    case db::type::Byte:
    case db::type::Integer:
    case db::type::Long:
    case db::type::Single:
    case db::type::Double:
    case db::type::LongBinary:
        return QStringLiteral("Num");
    case db::type::Currency:
        return QStringLiteral("Cur");
    case db::type::Text:
    case db::type::Memo:
        return QStringLiteral("Str");
    case db::type::Date:
        return QStringLiteral("Date");
    default:
        return {};
    }
}

QString typeCodeForWord(const QString& word)
{
    if (word == QLatin1String("Num"))
        return QStringLiteral("2");
    if (word == QLatin1String("Cur"))
        return QStringLiteral("5");
    if (word == QLatin1String("Str"))
        return QStringLiteral("10");
    if (word == QLatin1String("Date"))
        return QStringLiteral("8");
    return {};
}

QString typeCodeForColumn(const QString& columnName, const QString& code)
{
    return columnName.startsWith(QLatin1String("Data")) ? QStringLiteral("8") : code;
}

}  // namespace ostrivo
