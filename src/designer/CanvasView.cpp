#include "designer/CanvasView.h"

#include "designer/CanvasZoom.h"
#include "designer/PageCanvas.h"

#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace ostrivo {

namespace {

// One notch of a common wheel, in eighths of a degree.
constexpr int kNotch = 120;
// Pixels past the canvas's far edges when it scrolls.
constexpr int kMargin = 16;

}  // namespace

CanvasView::CanvasView(QWidget* parent) : QScrollArea(parent)
{
    setObjectName(QStringLiteral("canvasView"));
    setFrameShape(QFrame::NoFrame);
    // The window's keys stay the window's; the area only shows.
    setFocusPolicy(Qt::NoFocus);
    page_ = new QWidget;
    setWidget(page_);
    setWidgetResizable(false);
    // The window's own background shows through, as around the original canvas.
    page_->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

void CanvasView::setCanvas(PageCanvas* canvas)
{
    canvas_ = canvas;
    canvas_->setParent(page_);
    canvas_->setZoom(zoom_ / 100.0);
    place();
}

void CanvasView::setNormalPlace(const QRect& place)
{
    normal_ = place;
    this->place();
}

void CanvasView::setZoom(int percent, std::optional<QPointF> anchor)
{
    percent = canvaszoom::clamp(percent);
    if (percent == zoom_ || !canvas_)
        return;
    const QPointF at = anchor.value_or(QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
    // Where the anchor lies on the page, as a fraction of the canvas, before and after.
    const QRect before = canvas_->geometry();
    const QPointF onPage = page_->mapFrom(viewport(), at.toPoint()) - before.topLeft();
    const QPointF fraction(before.width() > 0 ? onPage.x() / before.width() : 0,
                           before.height() > 0 ? onPage.y() / before.height() : 0);
    zoom_ = percent;
    canvas_->setZoom(percent / 100.0);
    place();
    const QRect after = canvas_->geometry();
    horizontalScrollBar()->setValue(qRound(after.left() + fraction.x() * after.width() - at.x()));
    verticalScrollBar()->setValue(qRound(after.top() + fraction.y() * after.height() - at.y()));
    emit zoomChanged(zoom_);
}

void CanvasView::place()
{
    if (!canvas_)
        return;
    const QRect shown = canvaszoom::zoomed(normal_, zoom_);
    canvas_->setGeometry(shown);
    // The page scrolls to the canvas and a little margin, and is never smaller than the area:
    // at the normal scale nothing scrolls.
    const int margin = kMargin;
    const QSize area = maximumViewportSize();
    page_->resize(std::max(area.width(), shown.right() + 1 + margin), std::max(area.height(), shown.bottom() + 1 + margin));
    canvas_->update();
}

void CanvasView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QScrollArea::wheelEvent(event);
        return;
    }
    wheel_ += event->angleDelta().y();
    int percent = zoom_;
    for (; wheel_ >= kNotch; wheel_ -= kNotch)
        percent = canvaszoom::stepIn(percent);
    for (; wheel_ <= -kNotch; wheel_ += kNotch)
        percent = canvaszoom::stepOut(percent);
    setZoom(percent, event->position());
    event->accept();
}

void CanvasView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    place();
}

}  // namespace ostrivo
