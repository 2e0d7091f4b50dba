#include "core/Errors.h"
#include "print/widgets/SystemPrinters.h"
#include "print/RecordingPrinter.h"
#include "core/Shell.h"
#include "print/PrinterTestSupport.h"
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
    EXPECT_EQ(QFileInfo(pdfFileOf(*printer)), QFileInfo(here.file(QStringLiteral("catering.pdf"))));
    printer->endDocument();
    EXPECT_TRUE(QFileInfo(here.file(QStringLiteral("catering.pdf"))).isFile());

    auto named = makePrinter(QStringLiteral("PDF"), QStringLiteral("altro.pdf"));
    EXPECT_EQ(QFileInfo(pdfFileOf(*named)), QFileInfo(here.file(QStringLiteral("altro.pdf"))));
    named->endDocument();
    EXPECT_TRUE(QFileInfo(here.file(QStringLiteral("altro.pdf"))).isFile());
    // No file to show for a printer that writes none.
    EXPECT_EQ(pdfFileOf(RecordingPrinter()), QString());
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
