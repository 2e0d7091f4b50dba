#pragma once

#include "print/PrintOp.h"

#include <QImage>
#include <QString>

namespace ostrivo {

// The state the printer front keeps between the engine's calls (page, font, colour, print
// position) and the checks it makes once for every sink, so that a recording, a trace and a real
// print of the same calls agree, failures included. Each method checks its arguments and returns
// the op to draw or record; invalid values throw Error and leave the state as it was.
//
// Before the engine sets them, the font is "Arial" at 10 points, the colour 0 (black) and the
// print position (0, 0). Printing text does not move the print position.
class PrintOpBuilder {
public:
    static constexpr double MaxFontSize = 2160;  // the largest size the old printer object took
    // Finite, above zero and at most MaxFontSize: the one rule for font sizes, also for the check
    // of a template before it is printed.
    static bool isValidFontSize(double points) { return points > 0 && points <= MaxFontSize; }

    // 1 portrait, 2 landscape; anything else is error 380.
    PrintOp orientation(int value) const;
    // Width and height must be finite and above zero (error 380).
    PrintOp scale(double width, double height) const;
    void setFontName(const QString& name);
    // Finite, above zero and at most MaxFontSize (error 380).
    void setFontSize(double points);
    void setTextColor(TemplateColor color);
    void setPosition(double x, double y);
    PrintOp text(const QString& text) const;
    PrintOp line(double x1, double y1, double x2, double y2, TemplateColor color) const;
    PrintOp box(double x1, double y1, double x2, double y2, TemplateColor color) const;
    // A null picture is error 481, naming the file.
    PrintOp picture(const QString& file, const QImage& picture, double x, double y, double width, double height) const;
    // Moves to the next page and returns its newpage op.
    PrintOp newPage();
    // Closes the document; returns the end op with the page count.
    PrintOp end();
    // Closes the document without an op.
    void abort() { finished_ = true; }

    int page() const { return page_; }
    bool finished() const { return finished_; }
    const QString& fontName() const { return fontName_; }
    double fontSize() const { return fontSize_; }
    TemplateColor textColor() const { return textColor_; }
    double x() const { return x_; }
    double y() const { return y_; }

private:
    void checkOpen() const;

    int page_ = 1;
    bool finished_ = false;
    QString fontName_ = QStringLiteral("Arial");
    double fontSize_ = 10;
    TemplateColor textColor_ = 0;
    double x_ = 0;
    double y_ = 0;
};

}  // namespace ostrivo
