#pragma once

#include "print/PagePainter.h"
#include "print/PrintSink.h"

#include <vector>

namespace ostrivo {

// The A4 sheet in points as the printer named "PDF" lays it out (orientation 2: landscape), and
// its printable area, 5 mm inside each edge.
QRectF pdfPaperPoints(int orientation);
QRectF pdfPrintablePoints(const QRectF& paper);
// A white page of `paper` at `dotsPerInch`; null when it cannot be allocated.
QImage blankPageImage(const QRectF& paper, double dotsPerInch);

// Paints each page into an image at a given resolution, as the printer named "PDF" lays it out
// (A4, printable area 5 mm inside each edge): a preview of the print, or a picture a page.
class PageImageSink final : public PrintSink {
public:
    explicit PageImageSink(double dotsPerInch);

    void submit(const PrintOp& op, const QImage* picture) override { painter_.apply(op, picture); }
    void finish() override;
    void abort() override;
    QString deviceName() const override { return QStringLiteral("PDF"); }

    // The pages painted, white where nothing was drawn; complete once the job finished.
    const std::vector<QImage>& pages() const { return pages_.images; }

private:
    struct Pages final : PageSurface {
        bool beginFirstPage(QPainter& painter, int orientation) override;
        bool beginNextPage(QPainter& painter, int orientation) override;
        QRectF paper() const override { return paperPoints; }
        QRectF printable() const override;

        double dotsPerInch = 72;
        QRectF paperPoints;
        std::vector<QImage> images;
    };

    Pages pages_;
    PagePainter painter_;
};

}  // namespace ostrivo
