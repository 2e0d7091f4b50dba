#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ostrivo {

// Window layouts are given in twips (1/1440 inch), as the old forms were drawn; they are placed
// in pixels at the screen's resolution.
class Twips {
public:
    // The resolution of the screen the widget is on (the primary screen without one).
    static Twips forWidget(const QWidget* widget);
    explicit Twips(double dotsPerInchX = 96, double dotsPerInchY = 96) : dpiX_(dotsPerInchX), dpiY_(dotsPerInchY) {}

    int x(double twips) const;
    int y(double twips) const;
    QRect rect(double left, double top, double width, double height) const;
    QSize size(double width, double height) const;
    QPoint point(double left, double top) const;

    double dpiX() const { return dpiX_; }
    double dpiY() const { return dpiY_; }

private:
    double dpiX_;
    double dpiY_;
};

}  // namespace ostrivo
