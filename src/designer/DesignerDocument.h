#pragma once

#include "platform/ControlSet.h"
#include "platform/TemplateColor.h"
#include "template/VN3Routine.h"

#include <QRect>

namespace ostrivo {

// A line of the canvas grid, in page units.
struct GridLine {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    bool visible = false;
};

// The grid's colour: light grey.
constexpr TemplateColor kGridColor = TemplateColor::rgb(192, 192, 192);

// What the designer shows, as plain data: the canvas's place on the window (twips), its inner
// scale in page units and the members of its sets of controls. The window paints it; loading,
// commands and tests work on it without a window.
class DesignerDocument {
public:
    explicit DesignerDocument(VN3Routine& model) : model_(model) {}

    VN3Routine& model() { return model_; }
    const VN3Routine& model() const { return model_; }

    // Picture1's outer place and size, in twips.
    QRect canvasTwips() const { return canvasTwips_; }
    // Its inner coordinate system: so many page units across and down.
    double scaleWidth() const { return scaleWidth_; }
    double scaleHeight() const { return scaleHeight_; }

    ControlSet<GridLine>& Line2() { return line2_; }
    const ControlSet<GridLine>& Line2() const { return line2_; }

    // The canvas set-up: place and size by Orientamento (another value leaves them), the inner
    // scale from LarghezzaPagina and AltezzaPagina, and a new grid: one vertical line per whole
    // unit across, one horizontal per whole unit down, counted in NumLineeGriglia.
    void setUpCanvas();

private:
    VN3Routine& model_;
    QRect canvasTwips_{2940, 340, 6500, 8300};
    double scaleWidth_ = 80;
    double scaleHeight_ = 75;
    ControlSet<GridLine> line2_;
};

}  // namespace ostrivo
