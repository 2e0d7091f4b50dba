#include "designer/PageCanvas.h"

#include "designer/DesignerDocument.h"

#include <QPainter>

namespace ostrivo {

PageCanvas::PageCanvas(DesignerDocument& document, QWidget* parent) : QWidget(parent), document_(document)
{
    setObjectName(QStringLiteral("Picture1"));
    setAutoFillBackground(false);
}

QPointF PageCanvas::toPixels(double x, double y) const
{
    return QPointF(x * width() / document_.scaleWidth(), y * height() / document_.scaleHeight());
}

void PageCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    // A page without size (a damaged template) has no scale to draw in.
    if (document_.scaleWidth() > 0 && document_.scaleHeight() > 0) {
        painter.setPen(QPen(kGridColor.toQColor(), 0));
        document_.Line2().forEach([&](int, const GridLine& line) {
            if (line.visible)
                painter.drawLine(toPixels(line.x1, line.y1), toPixels(line.x2, line.y2));
        });
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ostrivo
