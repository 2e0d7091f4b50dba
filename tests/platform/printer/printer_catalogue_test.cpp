#include "platform/Errors.h"
#include "platform/printer/PrinterCatalogue.h"
#include "platform/printer/PrinterColor.h"
#include "platform/printer/QtPrinter.h"
#include "platform/Shell.h"
#include "platform/printer/PrinterTestSupport.h"
#include "support/TestSupport.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

using namespace ostrivo;

TEST(PrinterCatalogue, PdfIsFirstAndTheDefaultWithoutSystemPrinters)
{
    EXPECT_EQ(printerList({}), QStringList{QStringLiteral("PDF")});
    EXPECT_EQ(defaultPrinterFrom(QString()), QStringLiteral("PDF"));
    EXPECT_EQ(defaultPrinterFrom(QStringLiteral("Ufficio")), QStringLiteral("Ufficio"));
}

TEST(PrinterCatalogue, SystemQueueNamedPdfDoesNotReplaceOurs)
{
    EXPECT_EQ(printerList({QStringLiteral("Ufficio"), QStringLiteral("PDF"), QStringLiteral("Sala"), QStringLiteral("Ufficio")}),
              (QStringList{QStringLiteral("PDF"), QStringLiteral("Ufficio"), QStringLiteral("Sala")}));
}

TEST(PrinterCatalogue, RealCatalogueOffersPdfAndItsDefault)
{
    ostrivo::test::ensureGuiApplication();
    const QStringList printers = availablePrinters();
    ASSERT_FALSE(printers.isEmpty());
    EXPECT_EQ(printers.first(), QStringLiteral("PDF"));
    EXPECT_EQ(printers.count(QStringLiteral("PDF")), 1);
    EXPECT_TRUE(printers.contains(defaultPrinter()));
}

TEST(PrinterCatalogue, UnknownNameListsThePrinters)
{
    ostrivo::test::ensureGuiApplication();
    const QString name = QStringLiteral("Stampante-che-non-esiste");
    try {
        makePrinter(name);
        FAIL() << "an unknown printer was made";
    } catch (const UnknownPrinterError& e) {
        EXPECT_EQ(e.name(), name);
        EXPECT_EQ(e.available(), availablePrinters());
        EXPECT_TRUE(e.description().contains(name)) << e.what();
        EXPECT_TRUE(e.description().contains(QStringLiteral("PDF"))) << e.what();
    }
}

TEST(PrinterCatalogue, PdfWritesCateringPdfInTheCurrentDirectory)
{
    ostrivo::test::ensureGuiApplication();
    ostrivo::test::ScopedCurrentDir here;
    auto printer = makePrinter(QStringLiteral("PDF"));
    EXPECT_EQ(printer->deviceName(), QStringLiteral("PDF"));
    auto* qt = dynamic_cast<QtPrinter*>(printer.get());
    ASSERT_NE(qt, nullptr);
    EXPECT_EQ(QFileInfo(qt->outputPath()), QFileInfo(here.file(QStringLiteral("catering.pdf"))));
    printer->endDocument();
    EXPECT_TRUE(QFileInfo(here.file(QStringLiteral("catering.pdf"))).isFile());

    auto named = makePrinter(QStringLiteral("PDF"), here.file(QStringLiteral("altro.pdf")));
    named->endDocument();
    EXPECT_TRUE(QFileInfo(here.file(QStringLiteral("altro.pdf"))).isFile());
}

TEST(PrinterColor, TemplateIntegersHaveRedInTheLowByte)
{
    EXPECT_EQ(printerColor(0), QColor(Qt::black));
    EXPECT_EQ(printerColor(255), QColor(255, 0, 0));
    EXPECT_EQ(printerColor(0xff0000), QColor(0, 0, 255));
    EXPECT_EQ(printerColor(12632256), QColor(192, 192, 192));
    EXPECT_EQ(printerColor(0x00336699), QColor(0x99, 0x66, 0x33));
    // A palette reference keeps the colour of its low bytes.
    EXPECT_EQ(printerColor(0x020000ff), QColor(255, 0, 0));
}

TEST(PrinterColor, SystemColourReferencesInBothSpellings)
{
    const qint64 windowText = 0x80000008;
    const qint64 window = 0x80000005;
    EXPECT_EQ(printerColor(windowText), QColor(Qt::black));
    EXPECT_EQ(printerColor(windowText - (qint64(1) << 32)), QColor(Qt::black));
    EXPECT_EQ(printerColor(window), QColor(Qt::white));
    EXPECT_EQ(printerColor(window - (qint64(1) << 32)), QColor(Qt::white));
    EXPECT_EQ(printerColor(0x80000012), QColor(Qt::black));           // button text
    EXPECT_EQ(printerColor(0x8000000f), QColor(192, 192, 192));       // button face
    EXPECT_EQ(printerColor(0x80000018), QColor(0xff, 0xff, 0xe1));    // tooltip background
    // Indices past the table and numbers that fit no 32-bit colour fall back to black.
    EXPECT_EQ(printerColor(0x800000ff), QColor(Qt::black));
    EXPECT_EQ(printerColor(-1), QColor(Qt::black));
    EXPECT_EQ(printerColor(qint64(1) << 40), QColor(Qt::black));
    EXPECT_EQ(printerColor(-(qint64(1) << 40)), QColor(Qt::black));
}

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { urls.push_back(url); }

public:
    QList<QUrl> urls;
};

}  // namespace

TEST(Shell, DefaultViewerGetsTheAbsoluteFile)
{
    ostrivo::test::ensureGuiApplication();
    ostrivo::test::ScopedCurrentDir here;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    const bool opened = openWithDefaultViewer(QStringLiteral("catering.pdf"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(opened);
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_TRUE(catcher.urls.first().isLocalFile());
    EXPECT_EQ(QFileInfo(catcher.urls.first().toLocalFile()), QFileInfo(here.file(QStringLiteral("catering.pdf"))));
    EXPECT_FALSE(openWithDefaultViewer(QString()));
}

#include "printer_catalogue_test.moc"
