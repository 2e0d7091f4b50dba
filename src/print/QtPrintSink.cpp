#include "print/QtPrintSink.h"

#include "core/Errors.h"
#include "core/OutputFile.h"
#include "print/PagePainter.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>

#include <utility>
#include <vector>

namespace ostrivo {

namespace {

void requireGuiApplication()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw Error(err::PrinterError, QStringLiteral("La stampa richiede un'applicazione grafica (QGuiApplication)"));
}

}  // namespace

struct QtPrintSink::Impl {
    QString deviceName;
    bool failed = false;
    bool closed = false;

    // The printer named "PDF".
    QString outputPath;
    std::unique_ptr<OutputFile> file;
    std::unique_ptr<QPdfWriter> writer;

    // A system printer: the ops wait for finish.
    std::unique_ptr<PrinterDevice> printer;
    std::vector<std::pair<PrintOp, QImage>> pending;

    std::unique_ptr<PagedSurface> surface;
    std::unique_ptr<PagePainter> painter;

    bool isPdf() const { return !printer; }

    void openPdf()
    {
        file = std::make_unique<OutputFile>(outputPath, QStringLiteral("il file PDF"));
        try {
            file->openForWriting();
        } catch (...) {
            file.reset();
            throw;
        }
        writer = std::make_unique<QPdfWriter>(file.get());
        writer->setCreator(QStringLiteral("Gestore report Ostrivo 3.0"));
        writer->setResolution(1200);
        // Painting starts at the paper's corner; the 5 mm are the printable area.
        QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer->setPageLayout(layout);
        const double margin = PdfMarginMillimetres / 25.4 * 72.0;
        surface = std::make_unique<PagedSurface>(*writer, [margin](const QPageLayout& page) {
            return page.fullRect(QPageLayout::Point).adjusted(margin, margin, -margin, -margin);
        });
        painter = std::make_unique<PagePainter>(*surface, QStringLiteral("il file PDF \"%1\"").arg(outputPath));
    }

    void checkUsable() const
    {
        if (failed)
            throw Error(err::PrinterError,
                        QStringLiteral("La stampa su \"%1\" è stata interrotta da un errore precedente").arg(deviceName));
    }

    // Runs a step of the job; a failure discards the job and leaves the sink unusable.
    template <typename Step>
    void guarded(Step&& step)
    {
        checkUsable();
        try {
            step();
        } catch (...) {
            failed = true;
            discard();
            throw;
        }
    }

    void finishPdf()
    {
        if (!painter)
            openPdf();
        if (!painter->finish())
            throw Error(err::PrinterError, QStringLiteral("Impossibile completare il file PDF \"%1\"").arg(outputPath));
        painter.reset();
        surface.reset();
        writer.reset();
        file->checkWritten();
        file->commit();
        file.reset();
    }

    void finishPrinter()
    {
        printer->beginJob();
        surface = std::make_unique<PagedSurface>(printer->device(), [](const QPageLayout& page) {
            return page.fullRect(QPageLayout::Point).marginsRemoved(page.margins(QPageLayout::Point));
        });
        painter = std::make_unique<PagePainter>(*surface, QStringLiteral("la stampante \"%1\"").arg(deviceName));
        for (const auto& [op, picture] : pending)
            painter->apply(op, picture.isNull() ? nullptr : &picture);
        pending.clear();
        if (!painter->finish() || printer->failed())
            throw Error(err::PrinterError, QStringLiteral("La stampa su \"%1\" non è riuscita").arg(deviceName));
        painter.reset();
        surface.reset();
    }

    void discard()
    {
        painter.reset();  // ends the painter
        surface.reset();
        writer.reset();
        file.reset();  // the temporary file goes with it
        pending.clear();
    }
};

QtPrintSink::QtPrintSink(const QString& pdfPath) : d_(std::make_unique<Impl>())
{
    requireGuiApplication();
    d_->deviceName = QStringLiteral("PDF");
    d_->outputPath = QFileInfo(pdfPath.isEmpty() ? QString(DefaultPdfFile) : pdfPath).absoluteFilePath();
}

QtPrintSink::QtPrintSink(std::unique_ptr<PrinterDevice> printer, QString deviceName) : d_(std::make_unique<Impl>())
{
    requireGuiApplication();
    if (!printer)
        throw Error(err::InvalidArgument, QStringLiteral("Stampante \"%1\" non configurata").arg(deviceName));
    d_->printer = std::move(printer);
    d_->deviceName = deviceName.isEmpty() ? d_->printer->name() : std::move(deviceName);
}

QtPrintSink::~QtPrintSink()
{
    // Destroyed without finish: the job is discarded, no file is left.
    d_->discard();
}

void QtPrintSink::submit(const PrintOp& op, const QImage* picture)
{
    d_->guarded([&] {
        if (!d_->isPdf()) {
            d_->pending.emplace_back(op, picture ? *picture : QImage());
            return;
        }
        if (!d_->painter)
            d_->openPdf();
        d_->painter->apply(op, picture);
        // A write error (a full disk) sticks to the file: stop at once rather than at the end.
        d_->file->checkWritten();
    });
}

void QtPrintSink::finish()
{
    d_->guarded([&] {
        if (d_->isPdf())
            d_->finishPdf();
        else
            d_->finishPrinter();
    });
    d_->closed = true;
}

void QtPrintSink::abort()
{
    if (!d_->closed)  // once sent, the job is gone
        d_->discard();
}

void QtPrintSink::checkUsable() const
{
    d_->checkUsable();
}

QString QtPrintSink::deviceName() const
{
    return d_->deviceName;
}

QSizeF QtPrintSink::printableInches() const
{
    if (d_->isPdf())
        return PrintSink::printableInches();
    const QSizeF area = d_->printer->device().pageLayout().paintRect(QPageLayout::Inch).size();
    return area.width() <= area.height() ? area : area.transposed();
}

QString QtPrintSink::outputPath() const
{
    return d_->outputPath;
}

}  // namespace ostrivo
