#include "core/Errors.h"
#include "print/PrintOp.h"
#include "print/RecordingPrinter.h"
#include "print/TraceSink.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace ostrivo;
using ostrivo::test::readFile;

namespace {

QImage smallPicture()
{
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(Qt::green);
    return picture;
}

// Issues the operations of the trace example in DESIGN.md.
void printDesignExample(Printer& printer)
{
    printer.setOrientation(1);
    printer.setScale(80, 75);
    printer.setFontName(QStringLiteral("Arial"));
    printer.setFontSize(10);
    printer.setTextColor(0);
    printer.setPosition(60, 2);
    printer.printText(QStringLiteral("07/12/2026"));
    printer.drawLine(1, 8, 79, 8, 0);
    printer.drawBox(1, 8, 79, 12, 0);
    printer.paintPicture(QStringLiteral("logo.jpg"), smallPicture(), 2, 1, 10, 5);
    printer.newPage();
    printer.endDocument();
}

const char* const designExample =
    "{\"op\":\"orientation\",\"page\":1,\"value\":1}\n"
    "{\"op\":\"scale\",\"page\":1,\"width\":80,\"height\":75}\n"
    "{\"op\":\"text\",\"page\":1,\"x\":60,\"y\":2,\"text\":\"07/12/2026\",\"font\":\"Arial\",\"size\":10,\"color\":0}\n"
    "{\"op\":\"line\",\"page\":1,\"x1\":1,\"y1\":8,\"x2\":79,\"y2\":8,\"color\":0}\n"
    "{\"op\":\"box\",\"page\":1,\"x1\":1,\"y1\":8,\"x2\":79,\"y2\":12,\"color\":0}\n"
    "{\"op\":\"picture\",\"page\":1,\"file\":\"logo.jpg\",\"x\":2,\"y\":1,\"width\":10,\"height\":5}\n"
    "{\"op\":\"newpage\",\"page\":2}\n"
    "{\"op\":\"end\",\"pages\":2}\n";

PrintOp textOp(double x, double y, const QString& text)
{
    return PrintOp::textAt(1, x, y, text, QStringLiteral("Arial"), 10, 0);
}

// Fails on the n-th text it is asked to print, as a printer whose output breaks midway.
class FailingSink : public RecordingSink {
public:
    explicit FailingSink(int failingText) : RecordingSink(QStringLiteral("Guasta")), failingText_(failingText) {}
    void submit(const PrintOp& op, const QImage* picture) override
    {
        if (op.kind == PrintOp::Kind::Text && ++texts_ == failingText_)
            throw Error(err::PrinterError, QStringLiteral("stampante guasta"));
        RecordingSink::submit(op, picture);
    }

private:
    int failingText_;
    int texts_ = 0;
};

}  // namespace

TEST(Trace, DesignExampleIsWrittenLineForLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.jsonl"));
    RecordingPrinter tracer(QStringLiteral("PDF"));
    tracer.addTap(std::make_unique<TraceSink>(path));
    const RecordingPrinter& inner = tracer;
    printDesignExample(tracer);
    EXPECT_EQ(tracer.deviceName(), QStringLiteral("PDF"));
    EXPECT_EQ(readFile(path).toStdString(), std::string(designExample));
    // The tracer hands every op on unchanged.
    ASSERT_EQ(inner.ops().size(), 8u);
    EXPECT_EQ(inner.ops()[2].text, QStringLiteral("07/12/2026"));
    EXPECT_TRUE(inner.ended());
}

TEST(Trace, RecordingKeepsTheStateOfEachText)
{
    RecordingPrinter printer;
    printer.setScale(80, 75);
    printer.setFontName(QStringLiteral("Times New Roman"));
    printer.setFontSize(12.5);
    printer.setTextColor(255);
    printer.setPosition(3, 4);
    printer.printText(QStringLiteral("  uno"));
    printer.setPosition(3, 5.2);
    printer.printText(QString());
    printer.newPage();
    printer.setFontName(QStringLiteral("Courier New"));
    printer.printText(QStringLiteral("due"));
    printer.endDocument();

    const auto texts = printer.opsOfKind(PrintOp::Kind::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], PrintOp::textAt(1, 3, 4, QStringLiteral("  uno"), QStringLiteral("Times New Roman"), 12.5, 255));
    EXPECT_EQ(texts[1], PrintOp::textAt(1, 3, 5.2, QString(), QStringLiteral("Times New Roman"), 12.5, 255));
    // Printing does not move the position; the font changed, the rest carried over to page 2.
    EXPECT_EQ(texts[2], PrintOp::textAt(2, 3, 5.2, QStringLiteral("due"), QStringLiteral("Courier New"), 12.5, 255));
    EXPECT_EQ(printer.textsOnPage(1), (QStringList{QStringLiteral("  uno"), QString()}));
    EXPECT_EQ(printer.textsOnPage(2), QStringList{QStringLiteral("due")});
    EXPECT_EQ(printer.pageCount(), 2);
    EXPECT_EQ(printer.ops().back(), PrintOp::end(2));
    EXPECT_EQ(printer.opsOnPage(2).size(), 2u);  // newpage and the text
}

TEST(Trace, NumbersAreWrittenInTheirShortestForm)
{
    EXPECT_EQ(printOpToJson(textOp(32.5, 0.1, QString())),
              QByteArray(R"({"op":"text","page":1,"x":32.5,"y":0.1,"text":"","font":"Arial","size":10,"color":0})"));
    EXPECT_EQ(printOpToJson(PrintOp::scale(3, 1234.5678, 0.0001)),
              QByteArray(R"({"op":"scale","page":3,"width":1234.5678,"height":0.0001})"));
    EXPECT_EQ(printOpToJson(PrintOp::line(1, -0.0, -2.25, 1e21, 79, 12632256)),
              QByteArray(R"({"op":"line","page":1,"x1":0,"y1":-2.25,"x2":1e+21,"y2":79,"color":12632256})"));
    auto number = [](double value) {
        const QByteArray line = printOpToJson(PrintOp::scale(1, value, 1));
        return line.mid(line.indexOf("\"width\":") + 8).chopped(12);
    };
    // Plain decimals from 1e-6 to 1e21, exponents beyond, as JavaScript writes numbers.
    EXPECT_EQ(number(1e-7), QByteArray("1e-7"));
    EXPECT_EQ(number(0.000001), QByteArray("0.000001"));
    EXPECT_EQ(number(-0.00012345), QByteArray("-0.00012345"));
    EXPECT_EQ(number(1e16), QByteArray("10000000000000000"));
    EXPECT_EQ(number(1.2345678901234568e20), QByteArray("123456789012345680000"));
    EXPECT_EQ(number(2.5e-300), QByteArray("2.5e-300"));
    EXPECT_EQ(number(-1.5e22), QByteArray("-1.5e+22"));
    EXPECT_EQ(number(100), QByteArray("100"));
    EXPECT_EQ(number(7.0001), QByteArray("7.0001"));
    // A sum that is not 0.3 must not be written as 0.3: it would read back differently.
    const double sum = 0.1 + 0.2;
    const QByteArray line = printOpToJson(textOp(sum, 1.0 / 3, QString()));
    EXPECT_TRUE(line.contains("\"x\":0.30000000000000004,")) << line.toStdString();
    EXPECT_TRUE(line.contains("\"y\":0.3333333333333333,")) << line.toStdString();
}

TEST(Trace, EveryNumberReadsBackToTheSameDouble)
{
    const double values[] = {0, 1, -1, 32.5, 1e21, 1e-7, 123e-9, 4.35e17, 0.1, 0.1 + 0.2, 1.0 / 3, 2.0 / 3, 1e-7, 123456.789, 5e-324,
                             1.7976931348623157e308, 41.2345, 79.9999, -0.0001, 1e16, 12345678.9012};
    for (const double value : values) {
        const PrintOp op = PrintOp::picture(7, QStringLiteral("a.jpg"), value, -value, value / 3, value / 7);
        const QByteArray line = printOpToJson(op);
        const PrintOp back = printOpFromJson(line);
        EXPECT_EQ(back, op) << line.toStdString();
    }
}

TEST(Trace, TextsAreEscapedToAscii)
{
    const QString text = QStringLiteral("a\"b\\c\nd\te\x01 Qtà 5€ ") + QString::fromUcs4(U"\U0001F600");
    const QByteArray line = printOpToJson(PrintOp::textAt(1, 0, 0, text, QStringLiteral("Font \"X\""), 9, 0));
    EXPECT_TRUE(line.contains(R"("text":"a\"b\\c\nd\te\u0001 Qt\u00e0 5\u20ac \ud83d\ude00")")) << line.toStdString();
    EXPECT_TRUE(line.contains(R"("font":"Font \"X\"")")) << line.toStdString();
    for (const char byte : line)
        EXPECT_TRUE(byte >= 0x20 && byte < 0x7f) << "byte " << int(static_cast<unsigned char>(byte));
    // Any JSON reader gets the exact text back.
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(document.object().value(QStringLiteral("text")).toString(), text);
    EXPECT_EQ(printOpFromJson(line).text, text);
}

TEST(Trace, TraceIsCompleteUpToAFailureOfTheInnerPrinter)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.jsonl"));
    Printer tracer(std::make_unique<FailingSink>(3));
    tracer.addTap(std::make_unique<TraceSink>(path));
    tracer.setScale(80, 75);
    tracer.setPosition(1, 1);
    tracer.printText(QStringLiteral("uno"));
    tracer.drawLine(0, 2, 80, 2, 0);
    tracer.setPosition(1, 3);
    tracer.printText(QStringLiteral("due"));
    tracer.setPosition(1, 5);
    EXPECT_THROW(tracer.printText(QStringLiteral("tre")), Error);
    // Nothing half written is in place while the job runs; the failed job is traced when aborted.
    EXPECT_FALSE(QFileInfo::exists(path));
    tracer.abortDocument();
    const std::vector<PrintOp> ops = readTrace(path);
    ASSERT_EQ(ops.size(), 5u);
    EXPECT_EQ(ops[0], PrintOp::scale(1, 80, 75));
    EXPECT_EQ(ops[1].text, QStringLiteral("uno"));
    EXPECT_EQ(ops[2], PrintOp::line(1, 0, 2, 80, 2, 0));
    EXPECT_EQ(ops[3].text, QStringLiteral("due"));
    EXPECT_EQ(ops[4].text, QStringLiteral("tre"));  // the op that failed is the last line
    EXPECT_EQ(ops[4].y, 5);
}

TEST(Trace, RecordingWrittenAndReadBackIsTheSame)
{
    RecordingPrinter printer;
    printer.setOrientation(2);
    printer.setScale(120, 60.5);
    printer.setFontName(QStringLiteral("Courier New"));
    printer.setFontSize(8.25);
    printer.setTextColor(-2147483640);
    printer.setPosition(0.1234, 59.9);
    printer.printText(QStringLiteral("Città \"Nord\""));
    printer.drawBox(1, 2, 3, 4, 16711680);
    printer.paintPicture(QStringLiteral("C:\\loghi\\hotel.bmp"), smallPicture(), 1, 1, 5.5, 2.75);
    printer.newPage();
    printer.setOrientation(2);
    printer.newPage();
    printer.endDocument();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.jsonl"));
    writeTrace(path, printer.ops());
    EXPECT_EQ(readTrace(path), printer.ops());
}

TEST(Trace, ReadingABadTraceNamesTheFileAndTheLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.jsonl"));
    ostrivo::test::writeFile(path, "{\"op\":\"newpage\",\"page\":2}\n\n{\"op\":\"text\",\"page\":1,\"x\":1,\"text\":\"a\"}\n");
    try {
        readTrace(path);
        FAIL() << "a text without y was accepted";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(path)) << e.what();
        EXPECT_TRUE(e.description().contains(QStringLiteral("riga 3"))) << e.what();
        EXPECT_TRUE(e.description().contains(QStringLiteral("\"y\""))) << e.what();
    }
    EXPECT_THROW(printOpFromJson("{\"op\":\"spin\",\"page\":1}"), Error);
    EXPECT_THROW(printOpFromJson("{\"op\":\"newpage\",\"page\":1.5}"), Error);
    EXPECT_THROW(printOpFromJson("{\"op\":\"end\",\"pages\":\"2\"}"), Error);
    EXPECT_THROW(printOpFromJson("[1,2]"), Error);
    EXPECT_THROW(printOpFromJson("{\"op\":\"end\""), Error);
    EXPECT_THROW(readTrace(dir.filePath(QStringLiteral("missing.jsonl"))), Error);
}

TEST(Trace, ReplayIssuesTheSameOps)
{
    RecordingPrinter original;
    printDesignExample(original);
    RecordingPrinter copy;
    replayOps(original.ops(), copy, [](const QString&) { return smallPicture(); });
    EXPECT_EQ(copy.ops(), original.ops());
    EXPECT_TRUE(copy.ended());

    RecordingPrinter noPicture;
    try {
        replayOps(original.ops(), noPicture, [](const QString&) { return QImage(); });
        FAIL() << "a picture that cannot be loaded was replayed";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::InvalidPicture);
        EXPECT_TRUE(e.description().contains(QStringLiteral("logo.jpg")));
    }
}

TEST(Trace, BadValuesAreRefusedByEveryBackendAlike)
{
    QTemporaryDir dir;
    RecordingPrinter recorder;
    RecordingPrinter tracer;
    tracer.addTap(std::make_unique<TraceSink>(dir.filePath(QStringLiteral("t.jsonl"))));
    for (Printer* printer : {static_cast<Printer*>(&recorder), static_cast<Printer*>(&tracer)}) {
        auto number = [&](auto&& call) {
            try {
                call();
            } catch (const Error& e) {
                return e.number();
            }
            return 0;
        };
        EXPECT_EQ(number([&] { printer->setOrientation(3); }), err::InvalidPropertyValue);
        EXPECT_EQ(number([&] { printer->setScale(0, 75); }), err::InvalidPropertyValue);
        EXPECT_EQ(number([&] { printer->setScale(80, -1); }), err::InvalidPropertyValue);
        EXPECT_EQ(number([&] { printer->setScale(NAN, 75); }), err::InvalidPropertyValue);
        EXPECT_EQ(number([&] { printer->setFontSize(0); }), err::InvalidPropertyValue);
        EXPECT_EQ(number([&] { printer->setFontSize(5000); }), err::InvalidPropertyValue);
        EXPECT_EQ(number([&] { printer->setPosition(INFINITY, 1); }), err::InvalidPropertyValue);
        EXPECT_EQ(number([&] { printer->drawLine(0, 0, NAN, 1, 0); }), err::InvalidArgument);
        EXPECT_EQ(number([&] { printer->paintPicture(QStringLiteral("x.jpg"), QImage(), 0, 0, 1, 1); }),
                  err::InvalidPicture);
        EXPECT_EQ(number([&] { printer->setFontSize(7.5); }), 0);
        EXPECT_EQ(number([&] { printer->endDocument(); }), 0);
        // A closed document takes nothing more.
        EXPECT_EQ(number([&] { printer->printText(QStringLiteral("tardi")); }), err::InvalidArgument);
        EXPECT_EQ(number([&] { printer->endDocument(); }), err::InvalidArgument);
        EXPECT_EQ(number([&] { printer->abortDocument(); }), 0);
    }
    // Only the accepted end reached the recorder.
    EXPECT_EQ(recorder.ops(), std::vector<PrintOp>{PrintOp::end(1)});
    EXPECT_FALSE(recorder.aborted());
}

TEST(Trace, AbortMarksTheRecordingAborted)
{
    RecordingPrinter printer(QStringLiteral("Ufficio"));
    EXPECT_EQ(printer.deviceName(), QStringLiteral("Ufficio"));
    printer.setDeviceName(QStringLiteral("PDF"));
    EXPECT_EQ(printer.deviceName(), QStringLiteral("PDF"));
    printer.printText(QStringLiteral("x"));
    printer.abortDocument();
    EXPECT_TRUE(printer.aborted());
    EXPECT_FALSE(printer.ended());
    EXPECT_THROW(printer.newPage(), Error);
}

TEST(Trace, UnwritableTraceNamesTheFile)
{
    const QString path = QStringLiteral("/nonexistent-folder/trace.jsonl");
    try {
        TraceSink tracer(path);
        FAIL() << "a trace in a missing folder was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
        EXPECT_TRUE(e.description().contains(path)) << e.what();
    }
}
