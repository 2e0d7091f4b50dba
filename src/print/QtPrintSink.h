#pragma once

#include "print/PrintSink.h"

#include <QString>

#include <memory>

class QPagedPaintDevice;

namespace ostrivo {

// A system printer as QtPrintSink paints on it (the gui library's QPrinter stands behind it).
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

// Paints the ops (PagePainter) either into a PDF file (the printer named "PDF") or on a system
// printer. An orientation set before the first drawing of a page applies to that page; set
// later, to the next one. A document always has at least one page. Needs a QGuiApplication
// (fonts). Failures throw Error (75 for the output file, 482 for the printer) and leave nothing
// behind; later calls then fail too.
class QtPrintSink final : public PrintSink {
public:
    // The printer named "PDF": A4, printable area 5 mm inside each edge. The file (relative names
    // from the current directory at construction; empty: DefaultPdfFile there) is written to a
    // temporary file in the same folder and renamed over the target only by finish.
    explicit QtPrintSink(const QString& pdfPath);
    // A system printer set up by the caller (queue, paper, the settings of the printer dialog).
    // Its printable area is the page minus the printer's margins. Nothing reaches the printer
    // before finish: the pages are kept and painted then, so that an aborted job is never sent.
    QtPrintSink(std::unique_ptr<PrinterDevice> printer, QString deviceName);
    ~QtPrintSink() override;

    QtPrintSink(const QtPrintSink&) = delete;
    QtPrintSink& operator=(const QtPrintSink&) = delete;

    void submit(const PrintOp& op, const QImage* picture) override;
    void finish() override;
    void abort() override;
    void checkUsable() const override;
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
