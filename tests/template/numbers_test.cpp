#include "template/Numbers.h"

#include "core/Errors.h"

#include <gtest/gtest.h>

using namespace ostrivo;

TEST(LeadingNumber, ReadsTheLongestLeadingDecimalNumber)
{
    EXPECT_EQ(leadingNumber(u"75"), 75);
    EXPECT_EQ(leadingNumber(u"29.7"), 29.7);
    EXPECT_EQ(leadingNumber(u"  -3.25abc"), -3.25);
    EXPECT_EQ(leadingNumber(u"12,5"), 12);
    EXPECT_EQ(leadingNumber(u".5"), 0.5);
    EXPECT_EQ(leadingNumber(u"1e3x"), 1000);
    EXPECT_EQ(leadingNumber(u"7e"), 7);
    EXPECT_EQ(leadingNumber(u""), 0);
    EXPECT_EQ(leadingNumber(u"abc"), 0);
    EXPECT_EQ(leadingNumber(u"-"), 0);
    EXPECT_EQ(leadingNumber(u"."), 0);
    EXPECT_EQ(leadingDecimal(u"24.5").units(), 245000);
    EXPECT_EQ(leadingDecimal(u"1.00005").units(), 10000);  // halves to even at four places
    EXPECT_EQ(leadingDecimal(u"1.00015").units(), 10002);
    EXPECT_THROW(leadingNumber(u"1e999"), Error);
}

TEST(Decimal4, ExactSumsSoThatHalvesRoundAsHalves)
{
    Decimal4 y = *Decimal4::parse(u"24.5");
    const Decimal4 step = *Decimal4::parse(u"1.6");
    for (int i = 0; i < 5; ++i)
        y += step;
    EXPECT_EQ(y.toString(), QStringLiteral("32.5"));
    EXPECT_EQ(y.roundHalfEven(), 32);
    EXPECT_EQ(y.roundHalfAway(), 33);
    EXPECT_EQ((*Decimal4::parse(u"33.5")).roundHalfEven(), 34);
    EXPECT_EQ((*Decimal4::parse(u"-2.5")).roundHalfEven(), -2);
    EXPECT_EQ((*Decimal4::parse(u"-2.5")).roundHalfAway(), -3);
    EXPECT_EQ((*Decimal4::parse(u"-2.5")).floor(), -3);
    EXPECT_EQ(y.toDouble(), 32.5);
}

TEST(Decimal4, ProductsRoundHalvesToEvenAndOverflowIsAnError)
{
    EXPECT_EQ((*Decimal4::parse(u"1.5") * *Decimal4::parse(u"2.25")).toString(), QStringLiteral("3.375"));
    EXPECT_EQ((*Decimal4::parse(u"0.0001") * *Decimal4::parse(u"0.5")).units(), 0);    // 0.00005 -> even 0
    EXPECT_EQ((*Decimal4::parse(u"0.0003") * *Decimal4::parse(u"0.5")).units(), 2);    // 0.00015 -> 0.0002
    EXPECT_EQ((*Decimal4::parse(u"-0.0003") * *Decimal4::parse(u"0.5")).units(), -2);
    EXPECT_EQ((*Decimal4::parse(u"922337203685477.5807")).toString(), QStringLiteral("922337203685477.5807"));
    EXPECT_THROW(*Decimal4::parse(u"922337203685477") * *Decimal4::parse(u"10"), Error);
    EXPECT_THROW(Decimal4::parse(u"99999999999999999999"), Error);
    EXPECT_EQ(Decimal4::parse(u"1,5"), std::nullopt);
    EXPECT_EQ(Decimal4::parse(u""), std::nullopt);
    EXPECT_EQ(Decimal4::fromDouble(79.9).toString(), QStringLiteral("79.9"));
}

TEST(ItalianNumbers, ReadWithThousandsMarksAndDecimalComma)
{
    EXPECT_EQ(parseItalianNumber(u"1.234,50")->toString(), QStringLiteral("1234.5"));
    EXPECT_EQ(parseItalianNumber(u" -3,00 ")->toString(), QStringLiteral("-3"));
    EXPECT_EQ(parseItalianNumber(u"12")->toString(), QStringLiteral("12"));
    EXPECT_EQ(parseItalianNumber(u",5")->toString(), QStringLiteral("0.5"));
    EXPECT_EQ(parseItalianNumber(u"1.234.567")->toString(), QStringLiteral("1234567"));
    EXPECT_EQ(parseItalianNumber(u"12.5"), std::nullopt);
    EXPECT_EQ(parseItalianNumber(u"1234.567"), std::nullopt);
    EXPECT_EQ(parseItalianNumber(u"1,2,3"), std::nullopt);
    EXPECT_EQ(parseItalianNumber(u"abc"), std::nullopt);
    EXPECT_EQ(parseItalianNumber(u""), std::nullopt);
}

TEST(WritingNumbers, EachFormTheFileUses)
{
    EXPECT_EQ(formatTwoDecimals(12.5), QStringLiteral("12.50"));
    EXPECT_EQ(formatTwoDecimals(-3), QStringLiteral("-3.00"));
    EXPECT_EQ(formatTwoDecimals(1.005), QStringLiteral("1.01"));  // the decimal 1.005, halves away
    EXPECT_EQ(formatTwoDecimals(-0.004), QStringLiteral("0.00"));
    EXPECT_EQ(formatTwoDecimals(1e20), QStringLiteral("100000000000000000000.00"));
    EXPECT_EQ(formatShortest(12.0), QStringLiteral("12"));
    EXPECT_EQ(formatShortest(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(formatShortest(0.1 + 0.2), QStringLiteral("0.30000000000000004"));
    EXPECT_EQ(formatShortest(1e-7), QStringLiteral("0.0000001"));
    EXPECT_EQ(formatShortest(-0.0), QStringLiteral("0"));
    EXPECT_EQ(roundHalfAway(2.5), 3);
    EXPECT_EQ(roundHalfAway(-2.5), -3);
    EXPECT_EQ(roundHalfAway(2.4999), 2);
    EXPECT_EQ(roundHalfEven(80.5), 80);
    EXPECT_EQ(roundHalfEven(81.5), 82);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(toInt16(32767), 32767);
    EXPECT_THROW(toInt16(32768), Error);
    EXPECT_EQ(formatItalianTwoDecimals(u"1234.5"), QStringLiteral("1.234,50"));
    EXPECT_EQ(formatItalianTwoDecimals(u"999.995"), QStringLiteral("1.000,00"));
    EXPECT_EQ(formatItalianTwoDecimals(u"-0.001"), QStringLiteral("0,00"));
}
