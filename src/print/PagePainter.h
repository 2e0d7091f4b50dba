#pragma once

#include "core/TemplateColor.h"
#include "print/PrintOp.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <functional>

class QPageLayout;
class QPagedPaintDevice;

namespace ostrivo {

// The pages a PagePainter paints on: a paged device (a PDF file, a printer) or one image a page.
class PageSurface {
public:
    virtual ~PageSurface() = default;
    // Starts the first page, or the next one, in orientation (1 portrait, 2 landscape; 0 when
    // never set: as the surface stands) with painter active on it. False when the surface refuses.
    virtual bool beginFirstPage(QPainter& painter, int orientation) = 0;
    virtual bool beginNextPage(QPainter& painter, int orientation) = 0;
    // The paper of the page begun, and its printable area, in points from the paper's corner.
    virtual QRectF paper() const = 0;
    virtual QRectF printable() const = 0;
    // Ends the last page; false when the surface fails.
    virtual bool end(QPainter& painter) { return painter.end(); }
};

// A QPdfWriter or QPrinter as a surface: one painter over every page, the printable area a
// function of the page's layout.
class PagedSurface final : public PageSurface {
public:
    using PrintableArea = std::function<QRectF(const QPageLayout&)>;
    PagedSurface(QPagedPaintDevice& device, PrintableArea area) : device_(device), area_(std::move(area)) {}

    bool beginFirstPage(QPainter& painter, int orientation) override;
    bool beginNextPage(QPainter& painter, int orientation) override;
    QRectF paper() const override;
    QRectF printable() const override;

private:
    void applyOrientation(int orientation);

    QPagedPaintDevice& device_;
    PrintableArea area_;
};

// Paints ops with QPainter, for every output that shows pages (the PDF file, a system printer,
// page images), so that each paints exactly what the others do. Page units map to the printable
// area, x and y scaled separately; text keeps its true point size whatever the scale and stands
// with its top-left corner at the print position; lines and boxes use a thin pen; pictures are
// scaled into their rectangle. Until a scale is set, one unit is a twip (1/1440 inch), as on the
// old printer object.
//
// Pages begin lazily, so that an orientation set before the first drawing of a page still
// applies to it. Failures of the surface throw Error 482 naming it as deviceLabel.
class PagePainter {
public:
    PagePainter(PageSurface& surface, QString deviceLabel) : surface_(surface), label_(std::move(deviceLabel)) {}
    ~PagePainter();
    PagePainter(const PagePainter&) = delete;
    PagePainter& operator=(const PagePainter&) = delete;

    // picture: the image of a picture op (a null pointer draws nothing).
    void apply(const PrintOp& op, const QImage* picture);
    // Ends the document (one blank page when nothing was drawn); false when the surface fails.
    bool finish();
    void discard();

private:
    struct FontEntry {
        QFont font;
        double ascent = 0;
    };

    void ensurePage();
    QPointF map(double x, double y) const;
    QPen linePen(TemplateColor color) const;
    const FontEntry& font(const QString& name, double size);
    void drawText(const PrintOp& op);
    QStringView onPaper(QStringView text, const QFont& font, double left) const;

    PageSurface& surface_;
    QString label_;
    QPainter painter_;
    bool begun_ = false;
    bool newPagePending_ = false;
    int orientation_ = 0;
    double scaleWidth_ = 0;
    double scaleHeight_ = 0;
    double dpiX_ = 72;
    double dpiY_ = 72;
    QRectF areaPoints_;
    QHash<QString, FontEntry> fonts_;
};

}  // namespace ostrivo
