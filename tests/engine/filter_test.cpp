#include "engine/ParameterFilter.h"
#include "engine/TextLayout.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

PrintParameter param(int n, const char* column, const char* op, const char* type, const QString& value)
{
    return {n, QString::fromUtf8(column), QString::fromUtf8(op), QString::fromUtf8(type), value, n + 5};
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.description();
    }
    return {};
}

Decimal4 d(const char* text)
{
    return *Decimal4::parse(QString::fromLatin1(text));
}

}  // namespace

TEST(FiltroParametri, ConvertsEachValueByItsTypeWord)
{
    const std::vector<PrintParameter> ps = {
        param(1, "DataArrivo", ">=", "Date", QStringLiteral("01/05/2024")),
        param(2, "Cognome", "=", "Str", QStringLiteral("rossi")),
        param(3, "Camera", "<", "Num", QStringLiteral("12a")),
        param(4, "Importo", ">", "Cur", QStringLiteral("1.234,50")),
    };
    EXPECT_EQ(parameterFilter(ps),
              QStringLiteral("NumeroHotel = 1 and DataArrivo >= '20240501' and Cognome = 'ROSSI' and Camera < 12 and "
                             "Importo > 1234.50"));
    EXPECT_EQ(parameterFilter({}), QStringLiteral("NumeroHotel = 1"));
}

TEST(FiltroParametri, QuotesCannotBreakTheQueryAndNumbersMustBeNumbers)
{
    // Text goes through the text mode, whose apostrophe becomes the acute accent.
    EXPECT_EQ(filterLiteral(param(1, "Cognome", "=", "Str", QStringLiteral("D'Angelo"))), QStringLiteral("'D´ANGELO'"));
    EXPECT_EQ(quoteSql(QStringLiteral("D'Angelo")), QStringLiteral("'D''Angelo'"));
    // Italian decimal comma; "." as thousands only where a comma is present too.
    EXPECT_EQ(filterLiteral(param(1, "Tariffa", "=", "Num", QStringLiteral("79,9"))), QStringLiteral("79.9"));
    EXPECT_EQ(filterLiteral(param(1, "Tariffa", "=", "Num", QStringLiteral("1.079,9"))), QStringLiteral("1079.9"));
    EXPECT_EQ(filterLiteral(param(1, "Tariffa", "=", "Num", QStringLiteral("79.9"))), QStringLiteral("79.9"));
    EXPECT_EQ(filterLiteral(param(1, "Importo", "=", "Cur", QStringLiteral("12,50"))), QStringLiteral("12.50"));
    EXPECT_EQ(filterLiteral(param(1, "Importo", "=", "Cur", QStringLiteral("12.50"))), QStringLiteral("12.50"));
    EXPECT_EQ(filterLiteral(param(1, "Importo", "=", "Cur", QStringLiteral("€ 1.500"))), QStringLiteral("1.500"));
    EXPECT_EQ(filterLiteral(param(1, "X", "=", "Boh", QStringLiteral(" 7,5 "))), QStringLiteral("7.5"));
    const QString message = errorOf([] { filterLiteral(param(2, "NumeroHotel", "=", "Num", QStringLiteral("1,2,3"))); });
    EXPECT_TRUE(message.contains(QStringLiteral("NumeroHotel"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("1,2,3")));
    EXPECT_FALSE(errorOf([] { filterLiteral(param(1, "X", "=", "Boh", QStringLiteral("1 or 1=1"))); }).isEmpty());
    EXPECT_FALSE(errorOf([] { filterLiteral(param(1, "X", "=", "Num", QStringLiteral("-"))); }).isEmpty());
}

TEST(FiltroParametri, InAndNoGiveValidLists)
{
    EXPECT_EQ(parameterFilter({param(1, "Camera", "In", "Num", QStringLiteral("101; 102;;103,5 ;"))}),
              QStringLiteral("NumeroHotel = 1 and Camera IN (101, 102, 103.5)"));
    EXPECT_EQ(parameterFilter({param(1, "Citta", "No", "Str", QStringLiteral("Rimini;forlì"))}),
              QStringLiteral("NumeroHotel = 1 and Citta NOT IN ('RIMINI', 'FORLÌ')"));
    const QString message = errorOf([] { filterLiteral(param(3, "Camera", "In", "Num", QStringLiteral(" ; ;"))); });
    EXPECT_TRUE(message.contains(QStringLiteral("Camera"))) << message.toStdString();
}

TEST(Placeholders, RelationsQuoteTextAndDatesAndTakeNumbersAsNumbers)
{
    const std::vector<PrintParameter> ps = {
        param(1, "Cognome", "=", "Str", QStringLiteral("D'Angelo")),
        param(2, "Camera", "=", "Num", QStringLiteral("12,5")),
        param(3, "DataArrivo", "=", "Date", QStringLiteral("<PARAM2>")),
    };
    EXPECT_EQ(replaceRelationPlaceholders(QStringLiteral("Cognome = <PARAM1> and Camera = <PARAM2> or x = <PARAM2>"), ps),
              QStringLiteral("Cognome = 'D''Angelo' and Camera = 12.5 or x = <PARAM2>"));
    // A value holding a placeholder is not replaced again.
    EXPECT_EQ(replaceRelationPlaceholders(QStringLiteral("d = <PARAM3> and c = <PARAM2>"), ps),
              QStringLiteral("d = '<PARAM2>' and c = 12.5"));
    EXPECT_FALSE(errorOf([&] {
                     replaceRelationPlaceholders(QStringLiteral("Camera = <PARAM1>"),
                                                 {param(1, "Camera", "=", "Num", QStringLiteral("1; DROP"))});
                 }).isEmpty());
    std::vector<PrintParameter> ten;
    for (int n = 1; n <= 10; ++n)
        ten.push_back(param(n, "C", "=", "Str", QStringLiteral("v%1").arg(n)));
    EXPECT_EQ(replaceTextPlaceholders(QStringLiteral("<PARAM10>/<PARAM1>/<PARAM1>"), ten), QStringLiteral("v10/v1/<PARAM1>"));
}

TEST(TextLayout, StrValuesAreCutIntoLinesOfExactlyTheWidth)
{
    CutText cut = cutIntoLines(QStringLiteral("abcdefghijklmnopqrstuvwxy"), d("10"), false);
    EXPECT_EQ(cut.completed, std::vector<QString>({QStringLiteral("abcdefghij"), QStringLiteral("klmnopqrst")}));
    EXPECT_EQ(cut.last, QStringLiteral("uvwxy"));
    // A length that is a multiple of the width ends with an empty line.
    cut = cutIntoLines(QStringLiteral("abcdefghij"), d("5"), false);
    EXPECT_EQ(cut.completed.size(), 2u);
    EXPECT_EQ(cut.last, QString());
    // CR LF ends a line in table cells and is not printed.
    cut = cutIntoLines(QStringLiteral("ab\r\ncd\r\n"), d("10"), true);
    EXPECT_EQ(cut.completed, std::vector<QString>({QStringLiteral("ab"), QStringLiteral("cd")}));
    EXPECT_EQ(cut.last, QString());
    // A width that is no whole number (or 0) never completes a line.
    EXPECT_TRUE(cutIntoLines(QStringLiteral("abcdefghijklmn"), d("12.5"), false).completed.empty());
    EXPECT_TRUE(cutIntoLines(QStringLiteral("abc"), d("0"), false).completed.empty());
}

TEST(TextLayout, RightAlignmentDatesAndAmounts)
{
    EXPECT_EQ(rightAlign(QStringLiteral("1.234,50"), d("12")), QStringLiteral("    1.234,50"));
    EXPECT_EQ(rightAlign(QStringLiteral("1.234,50"), d("8")), QStringLiteral("1.234,50"));
    EXPECT_EQ(rightAlign(QStringLiteral("1.234,50"), d("5")), QStringLiteral("1.234,50"));
    EXPECT_EQ(rightAlign(QStringLiteral("12"), d("4.5")), QStringLiteral("  12"));
    EXPECT_EQ(rightAlign(QStringLiteral("1"), d("100000000")).size(), 4097);
    EXPECT_EQ(showStoredDate(QStringLiteral("20240501")), QStringLiteral("01/05/2024"));
    EXPECT_EQ(showStoredDate(QStringLiteral("2024")), QStringLiteral("//2024"));
    EXPECT_EQ(readPrintedAmount(QStringLiteral("    1.234,50")).toString(), QStringLiteral("1234.5"));
    EXPECT_EQ(readPrintedAmount(QStringLiteral("  12,5")).toString(), QStringLiteral("12.5"));
    EXPECT_EQ(readPrintedAmount(QStringLiteral("12.5")).toString(), QStringLiteral("12.5"));
    EXPECT_EQ(formatNumberField(LooseValue::number(QStringLiteral("1234.5")), QStringLiteral("Cur"), d("12")),
              QStringLiteral("    1.234,50"));
    EXPECT_EQ(formatNumberField(LooseValue::null(), QStringLiteral("Num"), d("3")), QStringLiteral("  0"));
    EXPECT_THROW(readPrintedAmount(QStringLiteral("1-2")), Error);
}
