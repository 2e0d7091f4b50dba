#pragma once

#include "core/TemplateColor.h"

#include <QImage>
#include <QSizeF>
#include <QString>

namespace ostrivo {

// The printer operations the report engine needs, in page units: the printable area spans
// setScale(width, height) units from its top-left corner, y downwards. Colours are the template's
// integers (TemplateColor: 0 black, 255 red). Every backend is driven the same way by the engine,
// so a recording of these calls is a complete description of the printed report.
//
// All backends check their arguments alike (PrintOpBuilder): a bad orientation, scale or font size
// is error 380, a null picture 481; after endDocument or abortDocument every drawing call fails.
// Until set, the font is "Arial" at 10 points, the colour black and the position (0, 0).
class Printer {
public:
    virtual ~Printer() = default;

    // 1 portrait, 2 landscape; applies to the page being started (the first page included).
    virtual void setOrientation(int orientation) = 0;
    virtual void setScale(double width, double height) = 0;
    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setTextColor(TemplateColor color) = 0;
    virtual void setPosition(double x, double y) = 0;
    // Draws text with its top-left corner at the print position, at the font's point size. The
    // print position does not move: the engine sets it before every text.
    virtual void printText(const QString& text) = 0;
    virtual void drawLine(double x1, double y1, double x2, double y2, TemplateColor color) = 0;
    // Rectangle outline with the corners (x1, y1) and (x2, y2).
    virtual void drawBox(double x1, double y1, double x2, double y2, TemplateColor color) = 0;
    // Draws picture (loaded from file) scaled into the rectangle.
    virtual void paintPicture(const QString& file, const QImage& picture, double x, double y,
                              double width, double height) = 0;
    virtual void newPage() = 0;
    // Sends the job: the pages are printed (or the PDF file is written).
    virtual void endDocument() = 0;
    // Discards the job: nothing is printed and no output file is left behind. Does nothing after
    // endDocument (the job is gone) or a second time.
    virtual void abortDocument() = 0;
    virtual QString deviceName() const = 0;
    // The printable area of a portrait page in inches, which the engine reads pictures scaled to.
    // Unless a backend knows better, that of the printer named "PDF": A4 less 5 mm on each side.
    virtual QSizeF printableInches() const { return QSizeF((210.0 - 10.0) / 25.4, (297.0 - 10.0) / 25.4); }
};

}  // namespace ostrivo
