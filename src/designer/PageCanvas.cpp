#include "designer/PageCanvas.h"

#include "template/CanvasModel.h"

#include <QPainter>

namespace ostrivo {

PageCanvas::PageCanvas(const CanvasModel& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas)
{
    setObjectName(QStringLiteral("Picture1"));
    setAutoFillBackground(false);
}

QPointF PageCanvas::toPixels(double x, double y) const
{
    return QPointF(x * width() / canvas_.scaleWidth(), y * height() / canvas_.scaleHeight());
}

void PageCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    // A page without size (a damaged template) has no scale to draw in.
    if (canvas_.scaleWidth() > 0 && canvas_.scaleHeight() > 0) {
        painter.setPen(QPen(kGridColor.toQColor(), 0));
        canvas_.Line2().forEach([&](int, const GridLine& line) {
            if (line.visible)
                painter.drawLine(toPixels(line.x1, line.y1), toPixels(line.x2, line.y2));
        });
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ostrivo
