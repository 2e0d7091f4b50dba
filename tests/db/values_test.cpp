#include "db/NumberText.h"
#include "db/Variant.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace ostrivo::db;

namespace {
unsigned __int128 u128(std::uint64_t high, std::uint64_t low)
{
    return (static_cast<unsigned __int128>(high) << 64) | low;
}
}  // namespace

TEST(NumberText, DoublesPrintTheirShortestExactDecimalWithoutExponent)
{
    EXPECT_EQ(formatDouble(79.9), QStringLiteral("79.9"));
    EXPECT_EQ(formatDouble(149.99), QStringLiteral("149.99"));
    EXPECT_EQ(formatDouble(-0.00000025), QStringLiteral("-0.00000025"));
    EXPECT_EQ(formatDouble(3.141592653589793), QStringLiteral("3.141592653589793"));
    EXPECT_EQ(formatDouble(1e21), QStringLiteral("1000000000000000000000"));
    EXPECT_EQ(formatDouble(-0.0), QStringLiteral("0"));
    EXPECT_EQ(formatDouble(0.1 + 0.2), QStringLiteral("0.30000000000000004"));  // a different double
    EXPECT_EQ(formatDouble(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("NaN"));
}

TEST(NumberText, SinglesReadBackAsTheirOwnShortestDecimal)
{
    EXPECT_EQ(formatDouble(doubleOfSingle(3.14159f)), QStringLiteral("3.14159"));
    EXPECT_EQ(formatDouble(doubleOfSingle(1.75f)), QStringLiteral("1.75"));
    EXPECT_EQ(formatDouble(doubleOfSingle(-1.5f)), QStringLiteral("-1.5"));
    EXPECT_EQ(formatDouble(doubleOfSingle(0.001f)), QStringLiteral("0.001"));
    EXPECT_NE(formatDouble(static_cast<double>(3.14159f)), QStringLiteral("3.14159"));  // the fault avoided
}

TEST(NumberText, ScaledIntegersKeepEveryDigit)
{
    EXPECT_EQ(formatScaled(6525000, false, 4), "652.5");
    EXPECT_EQ(formatScaled(1, true, 4), "-0.0001");
    EXPECT_EQ(formatScaled(0, true, 4), "0");
    EXPECT_EQ(formatScaled(9223372036854775807ULL, false, 4), "922337203685477.5807");
    EXPECT_EQ(formatScaled(9223372036854775808ULL, true, 4), "-922337203685477.5808");
    EXPECT_EQ(formatScaled(999999999999999999ULL, false, 4), "99999999999999.9999");
    EXPECT_EQ(formatScaled(130000, false, 4), "13");
    EXPECT_EQ(formatScaled(u128(0xFFFFFFFF, 0xFFFFFFFFFFFFFFFFULL), false, 0), "79228162514264337593543950335");
}

TEST(NumberText, ExactNumbersChooseAFormThatLosesNothing)
{
    const ExactNumber whole = exactNumber(130000, false, 4);
    EXPECT_EQ(whole.form, ExactNumber::Form::Integer);
    EXPECT_EQ(whole.integer, 13);

    const ExactNumber half = exactNumber(6525000, true, 4);
    EXPECT_EQ(half.form, ExactNumber::Form::Real);
    EXPECT_EQ(half.real, -652.5);

    const ExactNumber big = exactNumber(9223372036854775807ULL, false, 4);
    EXPECT_EQ(big.form, ExactNumber::Form::Text);  // 19 digits: a double would round it
    EXPECT_EQ(big.text, "922337203685477.5807");

    const ExactNumber minimum = exactNumber(9223372036854775808ULL, true, 0);
    EXPECT_EQ(minimum.form, ExactNumber::Form::Integer);
    EXPECT_EQ(minimum.integer, std::numeric_limits<std::int64_t>::min());
}

TEST(NumberText, PlainDecimals)
{
    EXPECT_TRUE(isPlainDecimal(QStringLiteral("-12.50")));
    EXPECT_TRUE(isPlainDecimal(QStringLiteral("7")));
    EXPECT_FALSE(isPlainDecimal(QStringLiteral("1e5")));
    EXPECT_FALSE(isPlainDecimal(QStringLiteral("12,5")));
    EXPECT_FALSE(isPlainDecimal(QStringLiteral(".")));
    EXPECT_FALSE(isPlainDecimal(QString()));
    EXPECT_EQ(normaliseDecimal(QStringLiteral("652.5000")), QStringLiteral("652.5"));
    EXPECT_EQ(normaliseDecimal(QStringLiteral("-0.0000")), QStringLiteral("0"));
    EXPECT_EQ(normaliseDecimal(QStringLiteral("007.10")), QStringLiteral("7.1"));
    EXPECT_EQ(normaliseDecimal(QStringLiteral(".5")), QStringLiteral("0.5"));
    EXPECT_EQ(parseDecimal(QStringLiteral("-12.5")).value_or(0), -12.5);
    EXPECT_FALSE(parseDecimal(QStringLiteral("abc")).has_value());
}

TEST(Variant, KindsAndTexts)
{
    EXPECT_TRUE(Variant().isNull());
    EXPECT_EQ(Variant().text(), QString());

    const Variant yes = Variant::fromBoolean(true);
    EXPECT_TRUE(yes.isNumber());
    EXPECT_TRUE(yes.isBoolean());
    EXPECT_EQ(yes.text(), QStringLiteral("-1"));
    EXPECT_EQ(Variant::fromBoolean(false).text(), QStringLiteral("0"));
    EXPECT_FALSE(Variant::fromInteger(-1).isBoolean());
    EXPECT_NE(Variant::fromInteger(-1), yes);

    EXPECT_EQ(Variant::fromDouble(79.9).text(), QStringLiteral("79.9"));
    EXPECT_EQ(Variant::fromDecimal(QStringLiteral("922337203685477.5807")).text(), QStringLiteral("922337203685477.5807"));
    EXPECT_EQ(Variant::fromDecimal(QStringLiteral("652.5000")).text(), QStringLiteral("652.5"));
    EXPECT_DOUBLE_EQ(Variant::fromDecimal(QStringLiteral("-1.25")).toDouble(), -1.25);
    EXPECT_EQ(Variant::fromDouble(2.9).toInteger(), 2);
    EXPECT_EQ(Variant::fromDecimal(QStringLiteral("99999999999999999999")).toInteger(),
              std::numeric_limits<std::int64_t>::max());

    const Variant empty = Variant::fromText(QString());
    EXPECT_TRUE(empty.isText());
    EXPECT_FALSE(empty.isNull());  // "" is not Null
    EXPECT_NE(empty, Variant());

    const Variant bytes = Variant::fromBytes(QByteArray("\x00\x01\x7F\x80\xFF", 5));
    EXPECT_TRUE(bytes.isBinary());
    EXPECT_EQ(bytes.bytes().size(), 5);
    EXPECT_EQ(bytes.text(), QStringLiteral("00017F80FF"));
    EXPECT_EQ(Variant::fromText(QStringLiteral("x")).toDouble(), 0);
}

TEST(Variant, AKeptTextChangesNothingElse)
{
    const std::vector<Variant> values = {
        Variant::fromInteger(0),
        Variant::fromInteger(-1),
        Variant::fromInteger(std::numeric_limits<std::int64_t>::min()),
        Variant::fromInteger(std::numeric_limits<std::int64_t>::max()),
        Variant::fromBoolean(true),
        Variant::fromBoolean(false),
        Variant::fromDouble(79.9),
        Variant::fromDouble(-0.0),
        Variant::fromDouble(1e21),
        Variant::fromDecimal(QStringLiteral("922337203685477.5807")),
        Variant::fromText(QStringLiteral("12")),
        Variant::fromText(QString()),
        Variant(),
        Variant::fromBytes(QByteArray("\x01", 1)),
    };
    const QStringList texts = {QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("-9223372036854775808"),
                               QStringLiteral("9223372036854775807"), QStringLiteral("-1"), QStringLiteral("0"),
                               QStringLiteral("79.9"), QStringLiteral("0"), QStringLiteral("1000000000000000000000"),
                               QStringLiteral("922337203685477.5807"), QStringLiteral("12"), QString(), QString(),
                               QStringLiteral("01")};
    for (std::size_t i = 0; i < values.size(); ++i) {
        Variant kept = values[i];
        kept.keepText();
        const Variant copy = kept;
        EXPECT_EQ(kept.text(), texts[static_cast<qsizetype>(i)]) << i;
        EXPECT_EQ(copy.text(), texts[static_cast<qsizetype>(i)]) << i;
        EXPECT_EQ(kept.text().isNull(), values[i].text().isNull()) << i;
        EXPECT_EQ(kept, values[i]) << i;
        EXPECT_EQ(kept.kind(), values[i].kind()) << i;
        EXPECT_EQ(kept.isBoolean(), values[i].isBoolean()) << i;
        EXPECT_EQ(kept.isInteger(), values[i].isInteger()) << i;
        EXPECT_EQ(kept.toInteger(), values[i].toInteger()) << i;
        EXPECT_EQ(kept.bytes(), values[i].bytes()) << i;
        EXPECT_DOUBLE_EQ(kept.toDouble(), values[i].toDouble()) << i;
    }
    EXPECT_NE(Variant::fromInteger(1), Variant::fromText(QStringLiteral("1")));
    Variant one = Variant::fromInteger(1);
    one.keepText();
    EXPECT_NE(one, Variant::fromText(QStringLiteral("1")));  // a number's text does not make it a text
    EXPECT_NE(one, Variant::fromBoolean(true));
}

TEST(Variant, AnAssignedIntegerIsThatIntegerAndLeavesCopiesAlone)
{
    Variant v = Variant::fromText(QStringLiteral("testo"));
    v.assignInteger(12345, false);
    EXPECT_EQ(v, Variant::fromInteger(12345));
    EXPECT_EQ(v.text(), QStringLiteral("12345"));
    EXPECT_TRUE(v.isInteger());
    EXPECT_FALSE(v.isBoolean());
    EXPECT_TRUE(v.bytes().isEmpty());

    const Variant copy = v;  // shares the text: a new integer must not write into it
    v.assignInteger(-7, false);
    EXPECT_EQ(copy.text(), QStringLiteral("12345"));
    EXPECT_EQ(copy.toInteger(), 12345);
    EXPECT_EQ(v.text(), QStringLiteral("-7"));
    v.assignInteger(99, false);  // no copy now: the text's memory is reused
    EXPECT_EQ(v.text(), QStringLiteral("99"));
    EXPECT_EQ(copy.text(), QStringLiteral("12345"));

    v.assignInteger(-1, true);
    EXPECT_EQ(v, Variant::fromBoolean(true));
    v.assignInteger(std::numeric_limits<std::int64_t>::min(), false);
    EXPECT_EQ(v.text(), QStringLiteral("-9223372036854775808"));
    EXPECT_EQ(v, Variant::fromInteger(std::numeric_limits<std::int64_t>::min()));

    for (Variant other : {Variant::fromBytes(QByteArray("\x01\x02", 2)), Variant::fromDecimal(QStringLiteral("1.5")),
                          Variant::fromDouble(2.5), Variant()}) {
        other.assignInteger(3, false);
        EXPECT_EQ(other, Variant::fromInteger(3)) << describe(other).toStdString();
        EXPECT_DOUBLE_EQ(other.toDouble(), 3);
        EXPECT_TRUE(other.bytes().isEmpty());
    }
}
