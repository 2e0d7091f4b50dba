#include "designer/DesignerDocument.h"

#include "template/Numbers.h"

namespace ostrivo {

void DesignerDocument::setUpCanvas()
{
    VN3Routine& m = model_;
    if (m.Orientamento == QLatin1String("Verticale"))
        canvasTwips_ = QRect(2940, 340, 6500, 8300);
    else if (m.Orientamento == QLatin1String("Orizzontale"))
        canvasTwips_ = QRect(750, 1300, 10900, 6500);
    scaleWidth_ = m.LarghezzaPagina;
    scaleHeight_ = m.AltezzaPagina;

    // The previous grid goes first, so that every member is created afresh.
    for (int i = 1; i <= m.NumLineeGriglia; ++i)
        line2_.unload(i);
    m.NumLineeGriglia = 0;
    auto add = [&](double x1, double y1, double x2, double y2) {
        const int n = m.NumLineeGriglia + 1;
        GridLine& line = line2_.load(n);
        line = {x1, y1, x2, y2, true};
        m.NumLineeGriglia = toInt16(n);
    };
    // The lines run to the canvas's outer size value, beyond the page, so they reach its edges.
    for (int i = 0; i <= m.LarghezzaPagina; ++i)
        add(i, 0, i, canvasTwips_.height());
    const std::int64_t rows = roundHalfEven(m.AltezzaPagina);
    for (std::int64_t i = 0; i <= rows; ++i)
        add(0, static_cast<double>(i), canvasTwips_.width(), static_cast<double>(i));
}

}  // namespace ostrivo
