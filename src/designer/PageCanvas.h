#pragma once

#include <QWidget>

namespace ostrivo {

class CanvasModel;

// Picture1: the white page canvas. Paints the canvas model's grid and objects, its inner scale
// mapped onto the widget (page units are not square).
class PageCanvas : public QWidget {
    Q_OBJECT

public:
    PageCanvas(const CanvasModel& canvas, QWidget* parent = nullptr);

    // Widget pixels of a point in page units.
    QPointF toPixels(double x, double y) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CanvasModel& canvas_;
};

}  // namespace ostrivo
