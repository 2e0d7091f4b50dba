#include "designer/PageCanvas.h"

#include "designer/DesignerEdits.h"
#include "template/VN3Routine.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QVarLengthArray>

namespace ostrivo {

namespace {

// How the kinds look; beyond a text's own font and colour, nothing of this is in the template.
const QColor kFieldFill(255, 250, 205);
const QColor kFieldBorder(184, 134, 11);
const QColor kTitleFill(0, 0, 128);
const QColor kBodyFill(235, 235, 235);
const QColor kMuted(112, 112, 112);
const QColor kCurrent(0, 120, 215);
// Objects with no width or height (a line, a box shrunk to nothing) take presses as if they were
// this many pixels wide or high about their middle.
constexpr int kPickPixels = 6;

// A box with a one-pixel border, filled or not: solid fills are the painter's quickest path, and a
// full canvas has some thousand of them.
void drawFrame(QPainter& painter, const QRect& box, const QColor& border, const QColor& fill = QColor())
{
    const QRect r = box.normalized();
    if (fill.isValid())
        painter.fillRect(r, fill);
    painter.fillRect(QRect(r.left(), r.top(), r.width() + 1, 1), border);
    painter.fillRect(QRect(r.left(), r.bottom() + 1, r.width() + 1, 1), border);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height() + 1), border);
    painter.fillRect(QRect(r.right() + 1, r.top(), 1, r.height() + 1), border);
}

}  // namespace

void PageCanvas::drawCaption(QPainter& painter, const QRect& box, const QString& caption, const CanvasControl& c,
                             Qt::Alignment align)
{
    // A caption shows within its object's box, as a label clips it: what is seen of an object is
    // where a press finds it.
    const QRect clip = box.normalized();
    if (clip.isEmpty() || caption.isEmpty())
        return;
    const double points = (c.fontSize > 0 ? c.fontSize : 8) * zoom_;
    const QString face = (c.fontName.isEmpty() ? QStringLiteral("Arial") : c.fontName) + QLatin1Char('\x1f') +
                         QString::number(points);
    auto font = fonts_.find(face);
    if (font == fonts_.end()) {
        QFont made(c.fontName.isEmpty() ? QStringLiteral("Arial") : c.fontName);
        made.setPointSizeF(points);
        font = fonts_.insert(face, made);
    }
    // Laid out once for each caption and face; texts come and go as the user edits them, and what
    // is no longer shown is dropped now and then.
    const QString key = face + QLatin1Char('\x1f') + caption;
    auto text = texts_.find(key);
    if (text == texts_.end()) {
        if (texts_.size() > 5000)
            texts_.clear();
        QStaticText laidOut(caption);
        laidOut.setTextFormat(Qt::PlainText);  // "<inserire testo>" is no markup
        laidOut.prepare(QTransform(), *font);
        text = texts_.insert(key, laidOut);
    }
    if (painter.font() != *font)
        painter.setFont(*font);
    const QSizeF size = text->size();
    // A text stands at its corner; a caption inside its box lies a little off its edges.
    double x = align & Qt::AlignTop ? box.left() : box.left() + 2;
    if (align & Qt::AlignHCenter)
        x = QRectF(box).center().x() - size.width() / 2;
    const double y = align & Qt::AlignTop ? box.top() : QRectF(box).center().y() - size.height() / 2;
    painter.setClipRect(clip);
    painter.drawStaticText(QPointF(x, y), *text);
    painter.setClipping(false);
}

PageCanvas::PageCanvas(const VN3Routine& model, const CanvasModel& canvas, QWidget* parent)
    : QWidget(parent), model_(model), canvas_(canvas)
{
    setObjectName(QStringLiteral("Picture1"));
    setAutoFillBackground(false);
}

void PageCanvas::setZoom(double zoom)
{
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    update();
}

QPointF PageCanvas::toPixels(double x, double y) const
{
    return QPointF(x * width() / canvas_.scaleWidth(), y * height() / canvas_.scaleHeight());
}

QPointF PageCanvas::toPage(QPointF pixels) const
{
    return QPointF(pixels.x() * canvas_.scaleWidth() / width(), pixels.y() * canvas_.scaleHeight() / height());
}

QPointF PageCanvas::toTwips(QPointF pixels) const
{
    const QRect twips = canvas_.canvasTwips();
    return QPointF(pixels.x() * twips.width() / width(), pixels.y() * twips.height() / height());
}

QRect PageCanvas::boxOf(const CanvasControl& c) const
{
    // On whole pixels: a box's outline then takes the painter's fast path.
    const QPoint topLeft = toPixels(c.left, c.top).toPoint();
    const QPoint bottomRight = toPixels(c.left + c.width, c.top + c.height).toPoint();
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
}

void PageCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // Scrolled at a large scale, only a part of the page is seen: objects outside it are skipped.
    painter.setClipRegion(event->region());
    paintCanvas(painter);
}

void PageCanvas::paintCanvas(QPainter& painter)
{
    painter.fillRect(rect(), Qt::white);
    // A page without size (a damaged template) has no scale to draw in.
    if (canvas_.scaleWidth() > 0 && canvas_.scaleHeight() > 0) {
        painter.setPen(QPen(kGridColor.toQColor(), 0));
        QVarLengthArray<QLineF, 256> grid;
        canvas_.Line2().forEach([&](int, const GridLine& line) {
            if (line.visible)
                grid.append(QLineF(toPixels(line.x1, line.y1), toPixels(line.x2, line.y2)));
        });
        painter.drawLines(grid.constData(), static_cast<int>(grid.size()));
        const QRect shown = painter.hasClipping() ? painter.clipBoundingRect().toAlignedRect() : rect();
        for (const CanvasRef& ref : canvas_.stackingOrder()) {
            const CanvasControl& c = canvas_.control(ref);
            // Everything of an object is painted within its box (a line's pen a pixel past it).
            if (c.visible && boxOf(c).normalized().adjusted(-1, -1, 2, 2).intersects(shown))
                paintObject(painter, ref, c);
        }
        if (const std::optional<CanvasRef> current = currentObject(model_, canvas_)) {
            QRect outline = boxOf(canvas_.control(*current));
            const CanvasRef body{CanvasSet::Label5, current->index};
            if (current->set == CanvasSet::Label4 && canvas_.exists(body))
                outline = outline.united(boxOf(canvas_.control(body)));
            painter.setPen(QPen(kCurrent, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(outline.adjusted(-2, -2, 2, 2));
        }
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PageCanvas::paintObject(QPainter& painter, CanvasRef ref, const CanvasControl& c)
{
    const QRect box = boxOf(c);
    switch (ref.set) {
    case CanvasSet::Label1:
        // Text keeps its point size whatever the page's scale, as on paper, within its box of one
        // unit a character.
        painter.setPen(c.foreColor.toQColor());
        drawCaption(painter, box, c.caption, c, Qt::AlignLeft | Qt::AlignTop);
        break;
    case CanvasSet::Label2: {
        const GridShape& shape = model_.gridShapes(ref.index);
        painter.setBrush(Qt::NoBrush);
        switch (gridKind(shape)) {
        case GridKind::Box:
            drawFrame(painter, box, Qt::black);
            break;
        case GridKind::Line: {
            const GridCorners corners = gridCorners(c, shape);
            painter.setPen(QPen(Qt::black, 0));
            painter.drawLine(toPixels(corners.x1, corners.y1), toPixels(corners.x2, corners.y2));
            break;
        }
        case GridKind::Ignored:
            // The print run draws nothing for it; it stays in the file, so it is shown faintly.
            painter.setPen(QPen(kMuted, 0, Qt::DotLine));
            painter.drawRect(box);
            break;
        }
        break;
    }
    case CanvasSet::Label3:
        drawFrame(painter, box, kFieldBorder, kFieldFill);
        painter.setPen(Qt::black);
        drawCaption(painter, box, c.caption, c, Qt::AlignLeft | Qt::AlignVCenter);
        break;
    case CanvasSet::Label4:
        painter.fillRect(box, kTitleFill);
        painter.setPen(Qt::white);
        drawCaption(painter, box, c.caption, c, Qt::AlignLeft | Qt::AlignVCenter);
        break;
    case CanvasSet::Label5:
        drawFrame(painter, box, kMuted, kBodyFill);
        painter.setPen(kMuted);
        drawCaption(painter, box, c.caption, c, Qt::AlignCenter);
        break;
    case CanvasSet::Pic1:
        paintPicture(painter, c, box);
        break;
    }
}

void PageCanvas::paintPicture(QPainter& painter, const CanvasControl& c, const QRect& box)
{
    if (!c.picture.isEmpty()) {
        Picture& p = picture(c.picture);
        if (!p.image.isNull()) {
            const QSize size = box.size();
            if (size.isEmpty())
                return;
            auto scaled = p.scaled.find(size);
            if (scaled == p.scaled.end())
                scaled = p.scaled.emplace(size, QPixmap::fromImage(p.image.scaled(size, Qt::IgnoreAspectRatio,
                                                                                  Qt::SmoothTransformation))).first;
            painter.drawPixmap(box.topLeft(), scaled->second);
            return;
        }
    }
    // No picture, or one that cannot be decoded: the object stays, shown by its frame and name.
    painter.setPen(QPen(kMuted, 0, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    drawCaption(painter, box, QFileInfo(c.picture).fileName(), c, Qt::AlignCenter);
}

PageCanvas::Picture& PageCanvas::picture(const QString& file)
{
    const QFileInfo info(file);
    const QDateTime modified = info.lastModified();
    auto it = pictures_.find(file);
    if (it == pictures_.end() || it->modified != modified) {
        Picture p;
        p.modified = modified;
        p.image = QImage(file);
        it = pictures_.insert(file, p);
    }
    return *it;
}

void PageCanvas::mousePressEvent(QMouseEvent* event)
{
    if (canvas_.scaleWidth() <= 0 || canvas_.scaleHeight() <= 0)
        return;
    const std::optional<CanvasRef> hit = objectAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        pressed_ = hit;
    if (hit)
        emit objectPressed(*hit, event->button());
}

std::optional<CanvasRef> PageCanvas::objectAt(QPoint at) const
{
    // The pixels an object is painted on, widened about its middle to the pick size.
    return canvas_.frontmost([&](const CanvasControl& c) {
        QRect box = boxOf(c).normalized();
        if (box.width() < kPickPixels) {
            box.moveLeft(box.left() - (kPickPixels - box.width()) / 2);
            box.setWidth(kPickPixels);
        }
        if (box.height() < kPickPixels) {
            box.moveTop(box.top() - (kPickPixels - box.height()) / 2);
            box.setHeight(kPickPixels);
        }
        return box.contains(at);
    });
}

void PageCanvas::mouseMoveEvent(QMouseEvent* event)
{
    // The left button alone; the object keeps the moves while the pointer is outside it.
    if (!pressed_ || event->buttons() != Qt::LeftButton)
        return;
    if (!canvas_.exists(*pressed_)) {
        pressed_.reset();
        return;
    }
    const CanvasControl& c = canvas_.control(*pressed_);
    emit objectDragged(*pressed_, toTwips(event->position() - toPixels(c.left, c.top)));
}

void PageCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressed_.reset();
}

}  // namespace ostrivo
