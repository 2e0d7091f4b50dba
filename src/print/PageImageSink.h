#pragma once

#include "print/PagePainter.h"
#include "print/PrintSink.h"

#include <vector>

namespace ostrivo {

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
