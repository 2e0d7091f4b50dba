#include "core/Errors.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace ostrivo;

TEST(Messages, QuotedInputIsOneShortReadableLine)
{
    const struct {
        QString input;
        QString quoted;
    } cases[] = {
        {QStringLiteral("Città, 5€"), QStringLiteral("\"Città, 5€\"")},
        {QStringLiteral("a\r\nb\tc"), QStringLiteral("\"a\\r\\nb\\tc\"")},
        {QStringLiteral("nul\u0000bel\u0007"), QStringLiteral("\"nul\\x00bel\\x07\"")},
        // The bytes Windows-1252 leaves undefined read as C1 characters; an undecodable one as U+FFFD.
        {QStringLiteral("x\u0081y\u009Dz\uFFFD"), QStringLiteral("\"x\\x81y\\x9dz\\ufffd\"")},
        {QString::fromUcs4(U"\U0001F600 ok"), QString::fromUcs4(U"\"\U0001F600 ok\"")},
        {QString(QChar(0xD800)) + QStringLiteral("a"), QStringLiteral("\"\\ud800a\"")},
        {QString(250, QLatin1Char('x')), QLatin1Char('"') + QString(200, QLatin1Char('x')) + QStringLiteral("\"... (250 caratteri)")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quoteInput(c.input), c.quoted);
}
