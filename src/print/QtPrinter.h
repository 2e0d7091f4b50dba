#pragma once

#include "print/Printer.h"

#include <QString>

#include <memory>

class QPagedPaintDevice;

namespace ostrivo {

// A system printer as QtPrinter paints on it (the gui library's QPrinter stands behind it).
class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;
    virtual QPagedPaintDevice& device() = 0;
    // The queue's name.
    virtual QString name() const = 0;
    // Readies the device to be painted from the paper's corner.
    virtual void beginJob() = 0;
    // True when the device reports that the job failed.
    virtual bool failed() const = 0;
};

// Paints the engine's operations with QPainter, either into a PDF file (the printer named "PDF")
// or on a system printer. Page units map to the printable area, x and y scaled separately; text
// keeps its true point size whatever the scale and stands with its top-left corner at the print
// position; lines and boxes use a thin pen; pictures are scaled into their rectangle.
//
// Until the engine sets a scale, one unit is a twip (1/1440 inch) from the printable area's
// top-left corner, as on the old printer object. An orientation set before the first drawing of
// a page applies to that page; set later, to the next one. A document always has at least one page.
// Needs a QGuiApplication (fonts). Failures throw Error (75 for the output file, 482 for the
// printer) and leave nothing behind; later calls then fail too.
class QtPrinter final : public Printer {
public:
    // The printer named "PDF": A4, printable area 5 mm inside each edge. The file (relative names
    // from the current directory at construction; empty: DefaultPdfFile there) is written to a
    // temporary file in the same folder and renamed over the target only by endDocument.
    explicit QtPrinter(const QString& pdfPath);
    // A system printer set up by the caller (queue, paper, the settings of the printer dialog).
    // Its printable area is the page minus the printer's margins. Nothing reaches the printer
    // before endDocument: the pages are kept and painted then, so that an aborted job is never sent.
    QtPrinter(std::unique_ptr<PrinterDevice> printer, QString deviceName);
    ~QtPrinter() override;

    QtPrinter(const QtPrinter&) = delete;
    QtPrinter& operator=(const QtPrinter&) = delete;

    void setOrientation(int orientation) override;
    void setScale(double width, double height) override;
    void setFontName(const QString& name) override;
    void setFontSize(double points) override;
    void setTextColor(TemplateColor color) override;
    void setPosition(double x, double y) override;
    void printText(const QString& text) override;
    void drawLine(double x1, double y1, double x2, double y2, TemplateColor color) override;
    void drawBox(double x1, double y1, double x2, double y2, TemplateColor color) override;
    void paintPicture(const QString& file, const QImage& picture, double x, double y, double width,
                      double height) override;
    void newPage() override;
    void endDocument() override;
    void abortDocument() override;
    QString deviceName() const override;
    QSizeF printableInches() const override;

    // The absolute path of the PDF file; empty for a system printer.
    QString outputPath() const;

    static constexpr double PdfMarginMillimetres = 5.0;
    // The file the printer named "PDF" writes when none is named: the host application and its
    // users look for it by this name.
    static constexpr QLatin1String DefaultPdfFile{"catering.pdf"};

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace ostrivo
