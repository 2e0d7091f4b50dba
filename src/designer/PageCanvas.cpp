#include "designer/PageCanvas.h"

#include "designer/DesignerEdits.h"
#include "template/VN3Routine.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

namespace ostrivo {

namespace {

// How the kinds look; beyond a text's own font and colour, nothing of this is in the template.
const QColor kFieldFill(255, 250, 205);
const QColor kFieldBorder(184, 134, 11);
const QColor kTitleFill(0, 0, 128);
const QColor kBodyFill(235, 235, 235);
const QColor kMuted(112, 112, 112);
const QColor kCurrent(0, 120, 215);
// Objects with no width or height (a line, a box shrunk to nothing) still take a press this close.
constexpr double kPickPixels = 3;

QFont fontOf(const CanvasControl& c)
{
    QFont font(c.fontName.isEmpty() ? QStringLiteral("Arial") : c.fontName);
    font.setPointSizeF(c.fontSize > 0 ? c.fontSize : 8);
    return font;
}

// A caption inside its box, a little off its edges.
void drawCaption(QPainter& painter, const QRectF& box, const QString& caption, int flags)
{
    painter.drawText(box.adjusted(2, 0, -2, 0), flags | Qt::TextSingleLine | Qt::TextDontClip, caption);
}

}  // namespace

PageCanvas::PageCanvas(const VN3Routine& model, const CanvasModel& canvas, QWidget* parent)
    : QWidget(parent), model_(model), canvas_(canvas)
{
    setObjectName(QStringLiteral("Picture1"));
    setAutoFillBackground(false);
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

QRectF PageCanvas::boxOf(const CanvasControl& c) const
{
    return QRectF(toPixels(c.left, c.top), toPixels(c.left + c.width, c.top + c.height));
}

void PageCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintCanvas(painter);
}

void PageCanvas::paintCanvas(QPainter& painter)
{
    painter.fillRect(rect(), Qt::white);
    // A page without size (a damaged template) has no scale to draw in.
    if (canvas_.scaleWidth() > 0 && canvas_.scaleHeight() > 0) {
        painter.setPen(QPen(kGridColor.toQColor(), 0));
        canvas_.Line2().forEach([&](int, const GridLine& line) {
            if (line.visible)
                painter.drawLine(toPixels(line.x1, line.y1), toPixels(line.x2, line.y2));
        });
        for (const CanvasRef& ref : canvas_.stackingOrder()) {
            const CanvasControl& c = canvas_.control(ref);
            if (c.visible)
                paintObject(painter, ref, c);
        }
        if (const std::optional<CanvasRef> current = currentObject(model_, canvas_)) {
            QRectF outline = boxOf(canvas_.control(*current));
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
    const QRectF box = boxOf(c);
    switch (ref.set) {
    case CanvasSet::Label1:
        // Text keeps its point size whatever the page's scale, as on paper; it is not clipped to
        // its box, which is one unit a character whatever the font.
        painter.setFont(fontOf(c));
        painter.setPen(c.foreColor.toQColor());
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, c.caption);
        break;
    case CanvasSet::Label2: {
        const GridShape& shape = model_.gridShapes(ref.index);
        painter.setBrush(Qt::NoBrush);
        switch (gridKind(shape)) {
        case GridKind::Box:
            painter.setPen(QPen(Qt::black, 0));
            painter.drawRect(box);
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
        painter.setPen(QPen(kFieldBorder, 0));
        painter.setBrush(kFieldFill);
        painter.drawRect(box);
        painter.setFont(fontOf(c));
        painter.setPen(Qt::black);
        drawCaption(painter, box, c.caption, Qt::AlignLeft | Qt::AlignVCenter);
        break;
    case CanvasSet::Label4:
        painter.fillRect(box, kTitleFill);
        painter.setFont(fontOf(c));
        painter.setPen(Qt::white);
        drawCaption(painter, box, c.caption, Qt::AlignLeft | Qt::AlignVCenter);
        break;
    case CanvasSet::Label5:
        painter.setPen(QPen(kMuted, 0));
        painter.setBrush(kBodyFill);
        painter.drawRect(box);
        painter.setFont(fontOf(c));
        drawCaption(painter, box, c.caption, Qt::AlignCenter);
        break;
    case CanvasSet::Pic1:
        paintPicture(painter, c, box);
        break;
    }
}

void PageCanvas::paintPicture(QPainter& painter, const CanvasControl& c, const QRectF& box)
{
    if (!c.picture.isEmpty()) {
        Picture& p = picture(c.picture);
        if (!p.image.isNull()) {
            const QSize size = box.size().toSize();
            if (p.scaled.size() != size && !size.isEmpty())
                p.scaled = QPixmap::fromImage(p.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
            if (!size.isEmpty())
                painter.drawPixmap(box.topLeft(), p.scaled);
            return;
        }
    }
    // No picture, or one that cannot be decoded: the object stays, shown by its frame and name.
    painter.setPen(QPen(kMuted, 0, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    painter.setFont(fontOf(c));
    drawCaption(painter, box, QFileInfo(c.picture).fileName(), Qt::AlignCenter);
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
    const QPointF at = toPage(event->position());
    const QPointF pick = toPage(QPointF(2 * kPickPixels, 2 * kPickPixels));
    const std::optional<CanvasRef> hit = canvas_.objectAt(at.x(), at.y(), pick.x(), pick.y());
    if (event->button() == Qt::LeftButton)
        pressed_ = hit;
    if (hit)
        emit objectPressed(*hit, event->button());
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
