#include "core/Cp1252.h"
#include "core/Errors.h"
#include "support/TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace ostrivo;

TEST(Cp1252, ItalianTextAccentAndEuroSurviveAWriteAndARead)
{
    test::ScopedCurrentDir dir;
    const QString text = QStringLiteral("L´ALBERGO àèéìòù € 12,50 “Città”");
    writeCp1252Lines(QStringLiteral("t.vn3"), {text, QStringLiteral("[FINE]")});
    const QByteArray bytes = test::readFile(QStringLiteral("t.vn3"));
    EXPECT_TRUE(bytes.contains("\xB4"));   // acute accent as one byte
    EXPECT_TRUE(bytes.contains("\x80"));   // euro sign
    EXPECT_TRUE(bytes.endsWith("[FINE]\r\n"));
    EXPECT_EQ(splitLines(decodeCp1252(bytes)), QStringList({text, QStringLiteral("[FINE]")}));
}

TEST(Cp1252, EveryByteReadsAndWritesBackUnchanged)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString decoded = decodeCp1252(all);
    EXPECT_EQ(decoded.size(), 256);
    EXPECT_EQ(decoded.at(0x81), QChar(0x81));  // undefined byte keeps its code
    EXPECT_EQ(decoded.at(0x80), QChar(0x20AC));
    EXPECT_EQ(encodeCp1252(decoded), all);
}

TEST(Cp1252, UnstorableCharacterIsRefusedAndNothingIsWritten)
{
    test::ScopedCurrentDir dir;
    writeCp1252Lines(QStringLiteral("old.vn3"), {QStringLiteral("[TESTA]")});
    try {
        writeCp1252Lines(QStringLiteral("old.vn3"), {QStringLiteral("Ωmega")});
        FAIL() << "expected a refusal";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("Ω"))) << e.what();
    }
    EXPECT_EQ(test::readFile(QStringLiteral("old.vn3")), QByteArray("[TESTA]\r\n"));
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList{QStringLiteral("old.vn3")});
    EXPECT_EQ(firstUnencodableCp1252(QStringLiteral("ok €")), std::nullopt);
    EXPECT_EQ(firstUnencodableCp1252(QStringLiteral("a\u0080")), char32_t(0x80));
}

TEST(Cp1252, LineEndsCrLfLfAndCrAndALastLineWithoutEnd)
{
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\nc\rd")),
              QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\n\r\n")), QStringList({QStringLiteral("a"), QString()}));
    EXPECT_TRUE(splitLines(QString()).isEmpty());
}

TEST(Cp1252, AFailedWriteIsAnAccessErrorNamingTheFile)
{
    test::ScopedCurrentDir dir;
    try {
        writeCp1252Lines(QStringLiteral("manca/t.vn3"), {QStringLiteral("[FINE]")});
        FAIL() << "expected a failed write";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
        EXPECT_TRUE(e.description().contains(QStringLiteral("manca/t.vn3"))) << e.what();
    }
    EXPECT_TRUE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}
