#include "print/PagePainter.h"

#include "core/Errors.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>

namespace ostrivo {

namespace {

constexpr double PointsPerInch = 72.0;
constexpr double TwipsPerPoint = 20.0;
constexpr double PenPoints = 0.25;  // about one dot of a 300 dpi printer
constexpr qsizetype ShortText = 256;

}  // namespace

void PagedSurface::applyOrientation(int orientation)
{
    if (orientation == 0)
        return;  // never set: the device's own orientation stands
    device_.setPageOrientation(orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

bool PagedSurface::beginFirstPage(QPainter& painter, int orientation)
{
    applyOrientation(orientation);
    return painter.begin(&device_);
}

bool PagedSurface::beginNextPage(QPainter&, int orientation)
{
    applyOrientation(orientation);
    return device_.newPage();
}

QRectF PagedSurface::paper() const
{
    return device_.pageLayout().fullRect(QPageLayout::Point);
}

QRectF PagedSurface::printable() const
{
    return area_(device_.pageLayout());
}

PagePainter::~PagePainter()
{
    discard();
}

void PagePainter::apply(const PrintOp& op, const QImage* picture)
{
    switch (op.kind) {
    case PrintOp::Kind::Orientation:
        orientation_ = op.value;
        break;
    case PrintOp::Kind::Scale:
        scaleWidth_ = op.width;
        scaleHeight_ = op.height;
        break;
    case PrintOp::Kind::Text:
        ensurePage();
        drawText(op);
        break;
    case PrintOp::Kind::Line:
        ensurePage();
        painter_.setPen(linePen(op.color));
        painter_.drawLine(QLineF(map(op.x1, op.y1), map(op.x2, op.y2)));
        break;
    case PrintOp::Kind::Box:
        ensurePage();
        painter_.setPen(linePen(op.color));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(QRectF(map(op.x1, op.y1), map(op.x2, op.y2)).normalized());
        break;
    case PrintOp::Kind::Picture:
        ensurePage();
        if (picture && op.width != 0 && op.height != 0)
            painter_.drawImage(QRectF(map(op.x, op.y), map(op.x + op.width, op.y + op.height)).normalized(), *picture);
        break;
    case PrintOp::Kind::NewPage:
        // The page being left exists even when nothing was drawn on it.
        ensurePage();
        newPagePending_ = true;
        break;
    case PrintOp::Kind::End:
        ensurePage();
        break;
    }
}

bool PagePainter::finish()
{
    ensurePage();
    return surface_.end(painter_);
}

void PagePainter::discard()
{
    if (painter_.isActive())
        painter_.end();
}

void PagePainter::ensurePage()
{
    if (!begun_) {
        if (!surface_.beginFirstPage(painter_, orientation_))
            throw Error(err::PrinterError, QStringLiteral("Impossibile avviare la stampa su %1").arg(label_));
        begun_ = true;
    } else if (newPagePending_) {
        if (!surface_.beginNextPage(painter_, orientation_))
            throw Error(err::PrinterError, QStringLiteral("Impossibile iniziare una nuova pagina su %1").arg(label_));
    } else {
        return;
    }
    newPagePending_ = false;
    // A surface of one image a page begins the painter again on each.
    if (!painter_.testRenderHint(QPainter::SmoothPixmapTransform))
        painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    dpiX_ = painter_.device()->logicalDpiX();
    dpiY_ = painter_.device()->logicalDpiY();
    areaPoints_ = surface_.printable();
}

QPointF PagePainter::map(double x, double y) const
{
    const double width = scaleWidth_ > 0 ? scaleWidth_ : areaPoints_.width() * TwipsPerPoint;
    const double height = scaleHeight_ > 0 ? scaleHeight_ : areaPoints_.height() * TwipsPerPoint;
    const double xPoints = areaPoints_.left() + x * areaPoints_.width() / width;
    const double yPoints = areaPoints_.top() + y * areaPoints_.height() / height;
    return {xPoints * dpiX_ / PointsPerInch, yPoints * dpiY_ / PointsPerInch};
}

QPen PagePainter::linePen(TemplateColor color) const
{
    const double width = PenPoints * (dpiX_ + dpiY_) / 2 / PointsPerInch;
    return QPen(color.toQColor(), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

const PagePainter::FontEntry& PagePainter::font(const QString& name, double size)
{
    const QString key = name + QLatin1Char('\x1f') + QString::number(size, 'g', 17);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
        QFont font;
        // One family, never split at commas.
        font.setFamilies({name});
        font.setPointSizeF(size);
        // The old printer placed glyphs by their advances alone; kerning would move columns.
        font.setKerning(false);
        font.setHintingPreference(QFont::PreferNoHinting);
        const QFontMetricsF metrics(font, painter_.device());
        it = fonts_.insert(key, FontEntry{font, metrics.ascent()});
    }
    return it.value();
}

void PagePainter::drawText(const PrintOp& op)
{
    const FontEntry& entry = font(op.font, op.size);
    painter_.setFont(entry.font);
    painter_.setPen(op.color.toQColor());
    const QPointF topLeft = map(op.x, op.y);
    painter_.drawText(QPointF(topLeft.x(), topLeft.y() + entry.ascent), onPaper(op.text, entry.font, topLeft.x()).toString());
}

// A long text without the characters that would stand past the paper's right edge: nobody sees
// them, and a page holds every glyph it is given until it ends (a line of 60,000 characters would
// cost it 2 MB). Glyphs are placed by their advances alone (no kerning).
QStringView PagePainter::onPaper(QStringView text, const QFont& font, double left) const
{
    if (text.size() <= ShortText)
        return text;
    const double right = surface_.paper().width() * dpiX_ / PointsPerInch;
    const QFontMetricsF metrics(font, painter_.device());
    double x = left;
    qsizetype n = 0;
    while (n < text.size() && x <= right) {
        if (text[n].isHighSurrogate() && n + 1 < text.size()) {
            x += metrics.horizontalAdvance(text.sliced(n, 2).toString());
            n += 2;
        } else {
            x += metrics.horizontalAdvance(text[n]);
            ++n;
        }
    }
    return text.first(n);
}

}  // namespace ostrivo
