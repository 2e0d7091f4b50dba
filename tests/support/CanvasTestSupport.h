#pragma once

#include "template/CanvasModel.h"

namespace ostrivo::test {

// Puts a visible member on the canvas, in front of the others, as a load or an insert leaves it.
inline CanvasControl& place(CanvasModel& canvas, CanvasRef ref, double left, double top, double width, double height)
{
    CanvasControl& c = canvas.load(ref);
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.visible = true;
    canvas.bringToFront(ref);
    return c;
}

}  // namespace ostrivo::test
