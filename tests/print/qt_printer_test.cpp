#include "core/Errors.h"
#include "print/PrintOp.h"
#include "print/QtPrintSink.h"
#include "print/widgets/SystemPrinters.h"
#include "print/RecordingPrinter.h"
#include "print/TraceSink.h"
#include "print/PrinterTestSupport.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QImage>
#include <QPrinter>

#include <gtest/gtest.h>

#include <memory>

using namespace ostrivo;
using namespace ostrivo::test;

namespace {

// A4 in the points the PDF's page boxes use, and 5 mm.
constexpr double A4Width = 595.28;
constexpr double A4Height = 841.89;
constexpr double Margin = 14.17;

double expectedX(double x, double units, double pageWidth = A4Width)
{
    return Margin + x * (pageWidth - 2 * Margin) / units;
}

double expectedY(double y, double units, double pageHeight = A4Height)
{
    return Margin + y * (pageHeight - 2 * Margin) / units;
}

class QtPrinterTest : public ::testing::Test {
protected:
    void SetUp() override { ensureGuiApplication(); }

    QString pdf(const QString& name = QStringLiteral("catering.pdf")) const { return dir_.file(name); }

    ScopedCurrentDir dir_;
};

void text(Printer& printer, double x, double y, const QString& s, const QString& font = QStringLiteral("Arial"),
          double size = 10, TemplateColor color = 0)
{
    printer.setFontName(font);
    printer.setFontSize(size);
    printer.setTextColor(color);
    printer.setPosition(x, y);
    printer.printText(s);
}

PdfWord only(const PdfText& text, const QString& word)
{
    const auto found = text.find(word);
    EXPECT_EQ(found.size(), 1u) << "word " << word.toStdString();
    return found.empty() ? PdfWord{} : found.front();
}

}  // namespace

TEST_F(QtPrinterTest, TextStandsAtItsPageUnitsWithItsTopLeftCorner)
{
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setOrientation(1);
        printer.setScale(80, 75);
        text(printer, 10, 20, QStringLiteral("Alfa"));
        text(printer, 60, 2, QStringLiteral("Beta"));
        text(printer, 0, 0, QStringLiteral("Gamma"));
        text(printer, 40.5, 70.25, QStringLiteral("Delta"));
        printer.endDocument();
    }
    const PdfText read = readPdfText(pdf());
    ASSERT_EQ(read.pages.size(), 1u);
    EXPECT_NEAR(read.pages[0].width, A4Width, 0.5);
    EXPECT_NEAR(read.pages[0].height, A4Height, 0.5);

    const double halfUnitX = (A4Width - 2 * Margin) / 80 / 2;
    const double halfUnitY = (A4Height - 2 * Margin) / 75 / 2;
    struct Case {
        const char* word;
        double x, y;
    } cases[] = {{"Alfa", 10, 20}, {"Beta", 60, 2}, {"Gamma", 0, 0}, {"Delta", 40.5, 70.25}};
    for (const Case& c : cases) {
        const PdfWord word = only(read, QString::fromLatin1(c.word));
        // Well inside half a unit: the mapping is exact up to Qt's whole-point page box.
        EXPECT_NEAR(word.xMin, expectedX(c.x, 80), 1.0) << c.word;
        EXPECT_NEAR(word.yMin, expectedY(c.y, 75), 1.0) << c.word;
        EXPECT_LT(std::abs(word.xMin - expectedX(c.x, 80)), halfUnitX) << c.word;
        EXPECT_LT(std::abs(word.yMin - expectedY(c.y, 75)), halfUnitY) << c.word;
    }
}

TEST_F(QtPrinterTest, TextKeepsItsPointSizeWhateverTheScale)
{
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setScale(80, 75);
        text(printer, 10, 10, QStringLiteral("Quadrato"), QStringLiteral("Arial"), 20);
        text(printer, 10, 30, QStringLiteral("Piccolo"), QStringLiteral("Arial"), 7.5);
        // Units 10 times as wide as high must not stretch the glyphs.
        printer.setScale(800, 7.5);
        text(printer, 100, 5, QStringLiteral("Quadrato"), QStringLiteral("Arial"), 20);
        printer.endDocument();
    }
    const PdfText read = readPdfText(pdf());
    const auto big = read.find(QStringLiteral("Quadrato"));
    ASSERT_EQ(big.size(), 2u);
    for (const PdfWord& word : big) {
        // Liberation Sans spans ascent + descent = 1.117 of the size.
        EXPECT_NEAR(word.yMax - word.yMin, 20 * 1.117, 1.0);
    }
    EXPECT_NEAR(big[0].xMax - big[0].xMin, big[1].xMax - big[1].xMin, 0.05);
    EXPECT_NEAR(big[0].yMax - big[0].yMin, big[1].yMax - big[1].yMin, 0.05);
    // On the second scale, unit 5 of 7.5 in y and 100 of 800 in x.
    EXPECT_NEAR(big[1].yMin, expectedY(5, 7.5), 1.0);
    EXPECT_NEAR(big[1].xMin, expectedX(100, 800), 1.0);
    const PdfWord small = only(read, QStringLiteral("Piccolo"));
    EXPECT_NEAR(small.yMax - small.yMin, 7.5 * 1.117, 0.5);
}

TEST_F(QtPrinterTest, WindowsFontNamesResolveToLiberationFaces)
{
    OSTRIVO_REQUIRE_TOOL("pdffonts");
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setScale(80, 75);
        text(printer, 1, 1, QStringLiteral("Sans"), QStringLiteral("Arial"));
        text(printer, 1, 3, QStringLiteral("Serif"), QStringLiteral("Times New Roman"));
        text(printer, 1, 5, QStringLiteral("Mono"), QStringLiteral("Courier New"));
        printer.endDocument();
    }
    const QString fonts = readPdfFonts(pdf()).join(QLatin1Char(' '));
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSans"))) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSerif"))) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationMono"))) << fonts.toStdString();
}

TEST_F(QtPrinterTest, PaddingSpacesAndMonospacedColumnsArePrintedExactly)
{
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setScale(80, 75);
        // Right alignment by padding: both numbers must end at the same x in a monospaced face.
        text(printer, 10, 10, QStringLiteral("    1.234,50"), QStringLiteral("Courier New"), 10);
        text(printer, 10, 12, QStringLiteral("  123.234,50"), QStringLiteral("Courier New"), 10);
        printer.endDocument();
    }
    const PdfText read = readPdfText(pdf());
    const PdfWord first = only(read, QStringLiteral("1.234,50"));
    const PdfWord second = only(read, QStringLiteral("123.234,50"));
    EXPECT_NEAR(first.xMax, second.xMax, 0.05);
    // Four spaces of a 10-point Courier cell are 24 points.
    EXPECT_NEAR(first.xMin - expectedX(10, 80), 24, 0.5);
}

TEST_F(QtPrinterTest, LandscapeBeforeTheFirstDrawingTurnsPageOne)
{
    OSTRIVO_REQUIRE_TOOL("pdfinfo");
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setOrientation(2);
        printer.setScale(80, 75);
        text(printer, 40, 30, QStringLiteral("Orizzontale"));
        printer.endDocument();
    }
    const auto sizes = readPdfPageSizes(pdf());
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_GT(sizes[0].width, sizes[0].height);
    EXPECT_NEAR(sizes[0].width, A4Height, 0.5);
    const PdfWord word = only(readPdfText(pdf()), QStringLiteral("Orizzontale"));
    EXPECT_NEAR(word.xMin, expectedX(40, 80, A4Height), 1.0);
    EXPECT_NEAR(word.yMin, expectedY(30, 75, A4Width), 1.0);
}

TEST_F(QtPrinterTest, OrientationAppliesToThePageBeingStarted)
{
    OSTRIVO_REQUIRE_TOOL("pdfinfo");
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setOrientation(1);
        printer.setScale(80, 75);
        text(printer, 10, 10, QStringLiteral("Uno"));
        // Set after drawing: page 1 is already under way, so this is for page 2.
        printer.setOrientation(2);
        text(printer, 10, 12, QStringLiteral("AncoraUno"));
        printer.newPage();
        text(printer, 10, 10, QStringLiteral("Due"));
        printer.newPage();
        // Issued again on the page being started, as the engine does on continuation pages.
        printer.setOrientation(1);
        printer.setScale(80, 75);
        text(printer, 10, 10, QStringLiteral("Tre"));
        printer.endDocument();
    }
    const auto sizes = readPdfPageSizes(pdf());
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_LT(sizes[0].width, sizes[0].height);
    EXPECT_GT(sizes[1].width, sizes[1].height);
    EXPECT_LT(sizes[2].width, sizes[2].height);
    const PdfText read = readPdfText(pdf());
    EXPECT_EQ(only(read, QStringLiteral("Uno")).page, 1);
    EXPECT_EQ(only(read, QStringLiteral("AncoraUno")).page, 1);
    const PdfWord two = only(read, QStringLiteral("Due"));
    EXPECT_EQ(two.page, 2);
    EXPECT_NEAR(two.xMin, expectedX(10, 80, A4Height), 1.0);
    EXPECT_NEAR(two.yMin, expectedY(10, 75, A4Width), 1.0);
    EXPECT_EQ(only(read, QStringLiteral("Tre")).page, 3);
}

TEST_F(QtPrinterTest, NewPageGivesTwoPagesAndEmptyPagesCount)
{
    OSTRIVO_REQUIRE_TOOL("pdfinfo");
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setScale(80, 75);
        text(printer, 1, 1, QStringLiteral("Prima"));
        printer.newPage();
        text(printer, 1, 1, QStringLiteral("Seconda"));
        printer.endDocument();
    }
    EXPECT_EQ(readPdfPageSizes(pdf()).size(), 2u);
    const PdfText read = readPdfText(pdf());
    EXPECT_EQ(only(read, QStringLiteral("Prima")).page, 1);
    EXPECT_EQ(only(read, QStringLiteral("Seconda")).page, 2);

    // newPage right before the end, and two in a row, still make their (blank) pages.
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf(QStringLiteral("vuote.pdf"))));
        printer.newPage();
        printer.newPage();
        printer.endDocument();
    }
    EXPECT_EQ(readPdfPageSizes(pdf(QStringLiteral("vuote.pdf"))).size(), 3u);
}

TEST_F(QtPrinterTest, EmptyDocumentIsOneBlankPage)
{
    OSTRIVO_REQUIRE_TOOL("pdfinfo");
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setOrientation(2);
        printer.endDocument();
    }
    const auto sizes = readPdfPageSizes(pdf());
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_GT(sizes[0].width, sizes[0].height);
}

TEST_F(QtPrinterTest, AbortedJobLeavesNoFileAndNoTemporary)
{
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setScale(80, 75);
        text(printer, 1, 1, QStringLiteral("mai"));
        printer.newPage();
        text(printer, 1, 1, QStringLiteral("stampato"));
        printer.abortDocument();
        EXPECT_THROW(printer.newPage(), Error);
        EXPECT_THROW(printer.endDocument(), Error);
    }
    EXPECT_EQ(filesIn(dir_.path()), QStringList());

    // Destroyed without endDocument: the same.
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        text(printer, 1, 1, QStringLiteral("mai"));
    }
    EXPECT_EQ(filesIn(dir_.path()), QStringList());
}

TEST_F(QtPrinterTest, ExistingPdfStaysWholeUntilTheJobEnds)
{
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    const QByteArray old = "%PDF-1.4 the previous report\n";
    writeFile(pdf(), old);
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setScale(80, 75);
        text(printer, 1, 1, QStringLiteral("Nuovo"));
        // While the job runs the old file is untouched.
        EXPECT_EQ(readFile(pdf()), old);
        printer.abortDocument();
    }
    EXPECT_EQ(readFile(pdf()), old);
    EXPECT_EQ(filesIn(dir_.path()), QStringList{QStringLiteral("catering.pdf")});

    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setScale(80, 75);
        text(printer, 1, 1, QStringLiteral("Nuovo"));
        printer.endDocument();
    }
    EXPECT_EQ(only(readPdfText(pdf()), QStringLiteral("Nuovo")).page, 1);
    EXPECT_EQ(filesIn(dir_.path()), QStringList{QStringLiteral("catering.pdf")});
}

TEST_F(QtPrinterTest, UnwritableOutputNamesTheFileAndLeavesNothing)
{
    const QString missing = dir_.file(QStringLiteral("manca/catering.pdf"));
    Printer printer(std::make_unique<QtPrintSink>(missing));
    EXPECT_EQ(printer.deviceName(), QStringLiteral("PDF"));
    try {
        text(printer, 1, 1, QStringLiteral("x"));
        FAIL() << "printing into a missing folder succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
        EXPECT_TRUE(e.description().contains(missing)) << e.what();
    }
    // The job is over: it neither goes on nor claims to end well.
    EXPECT_THROW(printer.endDocument(), Error);
    printer.abortDocument();
    EXPECT_EQ(filesIn(dir_.path()), QStringList());
}

TEST_F(QtPrinterTest, OutputThatIsAFolderIsRefusedAndLeftAlone)
{
    const QString folder = dir_.file(QStringLiteral("catering.pdf"));
    ASSERT_TRUE(QDir().mkdir(folder));
    Printer printer(std::make_unique<QtPrintSink>(folder));
    try {
        printer.setOrientation(1);
        printer.endDocument();
        FAIL() << "a folder was taken for the PDF file";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
        EXPECT_TRUE(e.description().contains(folder)) << e.what();
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(filesIn(dir_.path()), QStringList());
}

TEST_F(QtPrinterTest, RelativeOutputIsTakenFromTheDirectoryAtConstruction)
{
    Printer printer(std::make_unique<QtPrintSink>(QStringLiteral("rel.pdf")));
    {
        ScopedCurrentDir elsewhere;
        printer.endDocument();
        EXPECT_EQ(filesIn(elsewhere.path()), QStringList());
    }
    EXPECT_TRUE(QFileInfo(pdf(QStringLiteral("rel.pdf"))).isFile());
}

TEST_F(QtPrinterTest, ColorsAndPicturesReachThePage)
{
    OSTRIVO_REQUIRE_TOOL("pdftoppm");
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int y = 0; y < 20; ++y) {
        for (int x = 20; x < 40; ++x)
            picture.setPixelColor(x, y, Qt::blue);
    }
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.setScale(80, 75);
        // Left half red, right half blue: the picture fills its rectangle.
        printer.paintPicture(QStringLiteral("due.bmp"), picture, 10, 10, 40, 20);
        text(printer, 10, 40, QStringLiteral("\u2588\u2588\u2588\u2588"), QStringLiteral("Arial"), 40, 0xff00);  // green
        printer.endDocument();
    }
    ASSERT_TRUE(runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("36"), QStringLiteral("-png"),
                                                     QStringLiteral("-singlefile"), pdf(), dir_.file(QStringLiteral("page"))}));
    const QImage page(dir_.file(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    auto at = [&](double x, double y) {
        // Page units to pixels at 36 dpi (half a point per pixel).
        return page.pixelColor(int(expectedX(x, 80) / 2), int(expectedY(y, 75) / 2));
    };
    // Pictures may be stored JPEG-compressed: allow a few levels either way.
    auto near = [](const QColor& seen, const QColor& wanted) {
        return std::abs(seen.red() - wanted.red()) <= 8 && std::abs(seen.green() - wanted.green()) <= 8 &&
               std::abs(seen.blue() - wanted.blue()) <= 8;
    };
    EXPECT_PRED2(near, at(20, 20), QColor(Qt::red));
    EXPECT_PRED2(near, at(40, 20), QColor(Qt::blue));
    EXPECT_PRED2(near, at(5, 20), QColor(Qt::white));   // left of the rectangle
    EXPECT_PRED2(near, at(55, 20), QColor(Qt::white));  // right of it
    EXPECT_PRED2(near, at(20, 35), QColor(Qt::white));  // below it
    const QColor block = at(12, 42);
    EXPECT_LT(block.red(), 60);
    EXPECT_GT(block.green(), 200);
    EXPECT_LT(block.blue(), 60);
}

TEST_F(QtPrinterTest, ReplayOfARecordingPrintsTheSameWords)
{
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    RecordingPrinter recorder;
    recorder.setOrientation(1);
    recorder.setScale(80, 75);
    text(recorder, 5, 5, QStringLiteral("Prenotazioni"), QStringLiteral("Times New Roman"), 14);
    recorder.drawBox(1, 8, 79, 12, 0);
    recorder.newPage();
    text(recorder, 5, 5, QStringLiteral("Totale"), QStringLiteral("Arial"), 9.5, 255);
    recorder.endDocument();

    Printer printer(std::make_unique<QtPrintSink>(pdf()));
    replayOps(recorder.ops(), printer);
    const PdfText read = readPdfText(pdf());
    ASSERT_EQ(read.pages.size(), 2u);
    EXPECT_EQ(only(read, QStringLiteral("Prenotazioni")).page, 1);
    EXPECT_EQ(only(read, QStringLiteral("Totale")).page, 2);
}

TEST_F(QtPrinterTest, TracedPdfWritesBothTheTraceAndTheFile)
{
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    {
        Printer printer(std::make_unique<QtPrintSink>(pdf()));
        printer.addTap(std::make_unique<TraceSink>(dir_.file(QStringLiteral("t.jsonl"))));
        EXPECT_EQ(printer.deviceName(), QStringLiteral("PDF"));
        printer.setScale(80, 75);
        text(printer, 5, 5, QStringLiteral("Tracciato"));
        printer.endDocument();
    }
    EXPECT_EQ(only(readPdfText(pdf()), QStringLiteral("Tracciato")).page, 1);
    const auto ops = readTrace(dir_.file(QStringLiteral("t.jsonl")));
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[1].text, QStringLiteral("Tracciato"));
    EXPECT_EQ(ops[2], PrintOp::end(1));
}

// A system printer stands in a QPrinter that writes a PDF file; the queue is not needed to see
// what it is sent and when.
TEST_F(QtPrinterTest, SystemPrinterGetsNothingBeforeTheEndAndNothingWhenAborted)
{
    OSTRIVO_REQUIRE_TOOL("pdftotext");
    OSTRIVO_REQUIRE_TOOL("pdfinfo");
    const QString out = pdf(QStringLiteral("coda.pdf"));
    auto makeQPrinter = [&] {
        auto qprinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        qprinter->setOutputFileName(out);
        qprinter->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                            QMarginsF(10, 20, 10, 20), QPageLayout::Millimeter));
        return qprinter;
    };
    {
        Printer printer(std::make_unique<QtPrintSink>(printerDevice(makeQPrinter()), QStringLiteral("Ufficio")));
        EXPECT_EQ(printer.deviceName(), QStringLiteral("Ufficio"));
        printer.setScale(80, 75);
        text(printer, 0, 0, QStringLiteral("Annullato"));
        printer.abortDocument();
    }
    EXPECT_FALSE(QFileInfo::exists(out));

    {
        Printer printer(std::make_unique<QtPrintSink>(printerDevice(makeQPrinter()), QStringLiteral("Ufficio")));
        printer.setScale(80, 75);
        text(printer, 0, 0, QStringLiteral("Angolo"));
        printer.newPage();
        printer.setOrientation(2);
        text(printer, 40, 0, QStringLiteral("Seconda"));
        EXPECT_FALSE(QFileInfo::exists(out));
        printer.endDocument();
    }
    const auto sizes = readPdfPageSizes(out);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_LT(sizes[0].width, sizes[0].height);
    EXPECT_GT(sizes[1].width, sizes[1].height);
    const PdfText read = readPdfText(out);
    const double mm = 72 / 25.4;
    // The printable area is the page inside the printer's margins (10 mm and 20 mm here).
    const PdfWord corner = only(read, QStringLiteral("Angolo"));
    EXPECT_NEAR(corner.xMin, 10 * mm, 1.0);
    EXPECT_NEAR(corner.yMin, 20 * mm, 1.0);
    const PdfWord second = only(read, QStringLiteral("Seconda"));
    EXPECT_EQ(second.page, 2);
}

TEST_F(QtPrinterTest, NeedsAConfiguredPrinter)
{
    EXPECT_THROW(QtPrintSink(std::unique_ptr<PrinterDevice>(), QStringLiteral("Ufficio")), Error);
}
