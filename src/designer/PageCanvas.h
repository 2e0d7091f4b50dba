#pragma once

#include <QWidget>

namespace ostrivo {

class DesignerDocument;

// Picture1: the white page canvas. Paints the document's grid and objects, its inner scale
// mapped onto the widget (page units are not square).
class PageCanvas : public QWidget {
    Q_OBJECT

public:
    PageCanvas(DesignerDocument& document, QWidget* parent = nullptr);

    // Widget pixels of a point in page units.
    QPointF toPixels(double x, double y) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DesignerDocument& document_;
};

}  // namespace ostrivo
