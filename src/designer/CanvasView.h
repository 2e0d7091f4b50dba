#pragma once

#include <QRect>
#include <QScrollArea>

#include <optional>

namespace ostrivo {

class PageCanvas;

// The working area of the designer's window: the page canvas at its place, shown at a scale
// (canvaszoom), scrolled when it is larger than the area. At the normal scale, in the window of
// normal size, the canvas stands exactly where the original layout puts it and nothing scrolls.
// Ctrl and the wheel change the scale about the pointer.
class CanvasView : public QScrollArea {
    Q_OBJECT

public:
    explicit CanvasView(QWidget* parent = nullptr);

    // The canvas the view shows; it becomes a child of the scrolled page.
    void setCanvas(PageCanvas* canvas);
    // The canvas's place at the normal scale, in pixels of the area's own corner.
    void setNormalPlace(const QRect& place);

    int zoom() const { return zoom_; }
    // Shows the page at percent (kept within canvaszoom's limits). The page point at anchor (in
    // the area's pixels; its centre when none is given) stays where it is.
    void setZoom(int percent, std::optional<QPointF> anchor = std::nullopt);

signals:
    void zoomChanged(int percent);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();

    QWidget* page_ = nullptr;
    PageCanvas* canvas_ = nullptr;
    QRect normal_;
    int zoom_ = 100;
    int wheel_ = 0;  // eighths of a degree turned toward the next step
};

}  // namespace ostrivo
