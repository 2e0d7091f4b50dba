#pragma once

#include "template/CanvasModel.h"

#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QStaticText>
#include <QWidget>
#include <map>
#include <optional>

namespace ostrivo {

class VN3Routine;

// Picture1: the white page canvas. Paints the canvas model's grid and objects in stacking order,
// its inner scale mapped onto the widget (page units are not square), and outlines the current
// object. Presses and drags are handed on as signals; the window applies them to the model.
class PageCanvas : public QWidget {
    Q_OBJECT

public:
    PageCanvas(const VN3Routine& model, const CanvasModel& canvas, QWidget* parent = nullptr);

    // Widget pixels of a point in page units, and back.
    QPointF toPixels(double x, double y) const;
    QPointF toPage(QPointF pixels) const;
    // Twips of a distance in widget pixels: the canvas is canvasTwips() wide and high.
    QPointF toTwips(QPointF pixels) const;

    // Paints the canvas on a painter the size of the widget (the repaint, without an event).
    void paintCanvas(QPainter& painter);
    // The object a press at this pixel lands on: the frontmost painted there, or within a few
    // pixels of a line or of a box shrunk to nothing.
    std::optional<CanvasRef> objectAt(QPoint at) const;

    // The scale the window shows the page at (1 as laid out): texts grow with it, as everything
    // else does with the widget's size.
    void setZoom(double zoom);
    double zoom() const { return zoom_; }

signals:
    void objectPressed(ostrivo::CanvasRef object, Qt::MouseButton button);
    // A move with the left button alone held, after a left press on object: the pointer's offset
    // from the object's top-left corner, in twips.
    void objectDragged(ostrivo::CanvasRef object, QPointF offsetTwips);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect boxOf(const CanvasControl& c) const;
    void paintObject(QPainter& painter, CanvasRef ref, const CanvasControl& c);
    void paintPicture(QPainter& painter, const CanvasControl& c, const QRect& box);
    // A picture file decoded once, and scaled once for each size it is shown at.
    struct Picture {
        QDateTime modified;
        QImage image;
        std::map<QSize, QPixmap, bool (*)(const QSize&, const QSize&)> scaled{
            [](const QSize& a, const QSize& b) { return std::pair(a.width(), a.height()) < std::pair(b.width(), b.height()); }};
    };
    Picture& picture(const QString& file);
    // A text or caption in its box, clipped to it: at the top-left corner, or left and halfway
    // down, or centred.
    void drawCaption(QPainter& painter, const QRect& box, const QString& caption, const CanvasControl& c,
                     Qt::Alignment align);

    const VN3Routine& model_;
    const CanvasModel& canvas_;
    // The object a left press went to: moves go to it until the button is released.
    std::optional<CanvasRef> pressed_;
    QHash<QString, Picture> pictures_;
    QHash<QString, QFont> fonts_;
    QHash<QString, QStaticText> texts_;
    double zoom_ = 1;
};

}  // namespace ostrivo
