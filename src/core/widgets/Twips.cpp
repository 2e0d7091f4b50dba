#include "core/widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace ostrivo {

Twips Twips::forWidget(const QWidget* widget)
{
    const QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return Twips();
    return Twips(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
}

int Twips::x(double twips) const
{
    return static_cast<int>(std::lround(twips * dpiX_ / 1440.0));
}

int Twips::y(double twips) const
{
    return static_cast<int>(std::lround(twips * dpiY_ / 1440.0));
}

QRect Twips::rect(double left, double top, double width, double height) const
{
    // Edges are rounded, not sizes, so that adjacent controls stay adjacent.
    const int l = x(left);
    const int t = y(top);
    return QRect(l, t, x(left + width) - l, y(top + height) - t);
}

QSize Twips::size(double width, double height) const
{
    return QSize(x(width), y(height));
}

QPoint Twips::point(double left, double top) const
{
    return QPoint(x(left), y(top));
}

}  // namespace ostrivo
