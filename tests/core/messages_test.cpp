#include "core/Errors.h"
#include "dialogs/PropertyValues.h"
#include "engine/PrintRun.h"
#include "print/PrintOp.h"
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

// Names and values are never read as placeholders of the message they go into.
TEST(Messages, NamesAndValuesAreNotSubstitutedAgain)
{
    test::ScopedCurrentDir dir;
    test::writeFile(QStringLiteral("t%1.jsonl"), "non json\n");
    QString traceMessage;
    try {
        readTrace(QStringLiteral("t%1.jsonl"));
    } catch (const Error& e) {
        traceMessage = e.description();
    }
    const DatabaseError missing(err::DatabaseNotFound, QStringLiteral("il file non esiste"), QStringLiteral("x%1y.mdb"));
    const QString longName = QString(40, QLatin1Char('x')) + QStringLiteral("%1");
    const struct {
        QString message;
        QString start;  // as written
        QString name;   // further on, as written
    } cases[] = {
        {TemplateError(err::InvalidArgument, QStringLiteral("a%1b.vn3"), 7, QStringLiteral("c%2d")).description(),
         QStringLiteral("a%1b.vn3, riga 7: c%2d"), {}},
        {PrintFailure(missing, QStringLiteral("a%1b.vn3"), 7).description(), QStringLiteral("a%1b.vn3, riga 7: "),
         QStringLiteral("x%1y.mdb")},
        {PrintFailure(missing, QStringLiteral("a%1b.vn3"), 0).description(), QStringLiteral("a%1b.vn3: "), QStringLiteral("x%1y.mdb")},
        {columnFromBoxes({QStringLiteral("T"), longName, {}, {}, {}, {}, {}}, 1).refusal, {}, longName + QLatin1Char('"')},
        {traceMessage, QStringLiteral("t%1.jsonl, riga 1: "), {}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.message.startsWith(c.start) && c.message.contains(c.name)) << c.message.toStdString();
        EXPECT_FALSE(c.message.contains(QStringLiteral("%3")) || c.message.contains(QStringLiteral("%4"))) << c.message.toStdString();
    }
}
