#include "designer/CanvasZoom.h"

#include <algorithm>

namespace ostrivo::canvaszoom {

int clamp(int percent)
{
    return std::clamp(percent, Smallest, Largest);
}

int stepIn(int percent)
{
    const auto* next = std::upper_bound(Steps.begin(), Steps.end(), percent);
    return next == Steps.end() ? Largest : *next;
}

int stepOut(int percent)
{
    const auto* below = std::lower_bound(Steps.begin(), Steps.end(), percent);
    return below == Steps.begin() ? Smallest : *(below - 1);
}

QRect zoomed(const QRect& normal, int percent)
{
    const double scale = clamp(percent) / 100.0;
    return QRect(normal.topLeft(), QSize(qRound(normal.width() * scale), qRound(normal.height() * scale)));
}

}  // namespace ostrivo::canvaszoom
