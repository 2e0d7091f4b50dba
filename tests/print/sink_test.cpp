#include "core/Errors.h"
#include "print/PageImageSink.h"
#include "print/PrintOp.h"
#include "print/PreviewSink.h"
#include "print/PrinterTestSupport.h"
#include "print/QtPrintSink.h"
#include "print/RecordingPrinter.h"
#include "print/TraceSink.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace ostrivo;
using namespace ostrivo::test;

namespace {

QImage greenPicture()
{
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    return picture;
}

void text(Printer& printer, double x, double y, const QString& s)
{
    printer.setFontName(QStringLiteral("Arial"));
    printer.setFontSize(12);
    printer.setPosition(x, y);
    printer.printText(s);
}

struct SinkCase {
    const char* name;
    std::function<void(Printer&)> print;  // ends the document
};

const SinkCase sinkCases[] = {
    {"text and grid",
     [](Printer& p) {
         p.setScale(80, 75);
         text(p, 5, 5, QStringLiteral("Prenotazioni"));
         p.drawBox(1, 8, 79, 12, 0);
         p.drawLine(1, 20, 60, 40, 255);
         p.endDocument();
     }},
    {"landscape second page",
     [](Printer& p) {
         p.setScale(80, 75);
         text(p, 40, 70, QStringLiteral("Uno"));
         p.newPage();
         p.setOrientation(2);
         p.drawBox(10, 10, 70, 30, 0);
         p.endDocument();
     }},
    {"blank page between",
     [](Printer& p) {
         p.setScale(10, 10);
         p.drawLine(0, 0, 10, 10, 0);
         p.newPage();
         p.newPage();
         text(p, 9, 9, QStringLiteral("Fine"));
         p.endDocument();
     }},
    {"picture", [](Printer& p) {
         p.setScale(80, 75);
         p.paintPicture(QStringLiteral("logo.png"), greenPicture(), 10, 10, 20, 10);
         p.endDocument();
     }},
    {"twips until a scale is set", [](Printer& p) {
         text(p, 1440, 2880, QStringLiteral("Pollice"));
         p.endDocument();
     }},
    {"nothing drawn", [](Printer& p) { p.endDocument(); }},
    {"orientation after drawing turns the next page",
     [](Printer& p) {
         p.setScale(80, 75);
         text(p, 5, 5, QStringLiteral("Verticale"));
         p.setOrientation(2);
         p.setScale(40, 30);
         p.drawBox(1, 1, 39, 29, 0);
         p.newPage();
         text(p, 5, 5, QStringLiteral("Orizzontale"));
         p.endDocument();
     }},
};

// The bounding box of what is not white (a thin line at a low resolution is a pale one).
QRect ink(const QImage& page)
{
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    QRect box;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (std::min({qRed(line[x]), qGreen(line[x]), qBlue(line[x])}) < 240)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

class SinkTable : public ::testing::TestWithParam<SinkCase> {
protected:
    void SetUp() override { ensureGuiApplication(); }
    ScopedCurrentDir dir_;
};

}  // namespace

// The same calls, into a recorded list, a trace, page images and a PDF: the trace holds the
// recorded ops, and the images show the pages the PDF shows, each drawing where the PDF has it.
TEST_P(SinkTable, EverySinkGetsTheSameDocument)
{
    const SinkCase& c = GetParam();
    RecordingPrinter recorded;
    c.print(recorded);
    Printer traced(std::make_unique<TraceSink>(dir_.file(QStringLiteral("t.jsonl"))));
    c.print(traced);
    EXPECT_EQ(readTrace(dir_.file(QStringLiteral("t.jsonl"))), recorded.ops());

    constexpr int dpi = 36;
    auto images = std::make_unique<PageImageSink>(dpi);
    const PageImageSink& pages = *images;
    Printer preview(std::move(images));
    c.print(preview);
    ASSERT_EQ(int(pages.pages().size()), recorded.pageCount());

    // The preview keeps the ops, paints each page alone as the page images show it, and hands
    // a printer exactly the ops it was given.
    auto kept = std::make_unique<PreviewSink>();
    const PreviewSink& shown = *kept;
    Printer previewed(std::move(kept));
    c.print(previewed);
    EXPECT_EQ(shown.ops(), recorded.ops());
    ASSERT_EQ(shown.pageCount(), recorded.pageCount());
    for (int page = 1; page <= shown.pageCount(); ++page)
        EXPECT_TRUE(shown.paintPage(page, dpi) == pages.pages()[std::size_t(page - 1)]) << c.name << " page " << page;
    RecordingPrinter replayed;
    shown.replay(replayed);
    EXPECT_EQ(replayed.ops(), recorded.ops());
    EXPECT_EQ(replayed.pictures().size(), recorded.pictures().size());

    OSTRIVO_REQUIRE_TOOL("pdftoppm");
    Printer pdf(std::make_unique<QtPrintSink>(dir_.file(QStringLiteral("p.pdf"))));
    c.print(pdf);
    runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                         dir_.file(QStringLiteral("p.pdf")), dir_.file(QStringLiteral("p"))});
    const QStringList rasters = QDir(dir_.path()).entryList({QStringLiteral("p-*.png")}, QDir::Files, QDir::Name);
    ASSERT_EQ(rasters.size(), recorded.pageCount());
    for (int i = 0; i < rasters.size(); ++i) {
        const QImage printed(dir_.file(rasters[i]));
        const QImage shown = pages.pages()[std::size_t(i)];
        EXPECT_LE(std::abs(printed.width() - shown.width()), 1) << c.name << " page " << i + 1;
        EXPECT_LE(std::abs(printed.height() - shown.height()), 1) << c.name << " page " << i + 1;
        const QRect a = ink(printed);
        const QRect b = ink(shown);
        EXPECT_EQ(a.isNull(), b.isNull()) << c.name << " page " << i + 1;
        if (!a.isNull() && !b.isNull()) {
            const QMargins off(a.left() - b.left(), a.top() - b.top(), a.right() - b.right(), a.bottom() - b.bottom());
            for (const int d : {off.left(), off.top(), off.right(), off.bottom()})
                EXPECT_LE(std::abs(d), 2) << c.name << " page " << i + 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sinks, SinkTable, ::testing::ValuesIn(sinkCases),
                         [](const auto& info) {
                             QString name = QString::fromLatin1(info.param.name);
                             name.replace(QLatin1Char(' '), QLatin1Char('_'));
                             return name.toStdString();
                         });

TEST(PageImageSink, AnAbortedPreviewKeepsNoPageAndABadResolutionIsRefused)
{
    ensureGuiApplication();
    auto images = std::make_unique<PageImageSink>(20);
    const PageImageSink& pages = *images;
    Printer preview(std::move(images));
    preview.drawLine(0, 0, 100, 100, 0);
    preview.abortDocument();
    EXPECT_TRUE(pages.pages().empty());
    for (const double dpi : {0.0, -3.0, qQNaN(), 1e9})
        EXPECT_THROW(PageImageSink{dpi}, Error) << dpi;
}
