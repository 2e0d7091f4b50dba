#pragma once

#include "core/TemplateColor.h"
#include "print/PrintOpBuilder.h"
#include "print/PrintSink.h"

#include <QImage>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

namespace ostrivo {

// The printer operations the report engine needs, in page units: the printable area spans
// setScale(width, height) units from its top-left corner, y downwards. Colours are the template's
// integers (TemplateColor: 0 black, 255 red). Each call is checked here, once (PrintOpBuilder),
// becomes one PrintOp and goes to the sinks; a recording of the ops is a complete description of
// the printed report.
//
// A bad orientation, scale or font size is error 380, a null picture 481; after endDocument or
// abortDocument every drawing call fails. Until set, the font is "Arial" at 10 points, the colour
// black and the position (0, 0).
//
// The output sink prints (PDF, system printer, recorded list, page images); taps (the trace) see
// every op before the output does, so that a failed print is traced up to the op that failed,
// and finish or abort after it, so that a trace is put in place only once the output is.
class Printer {
public:
    explicit Printer(std::unique_ptr<PrintSink> output);
    virtual ~Printer();
    Printer(Printer&&) noexcept;
    Printer& operator=(Printer&&) noexcept;

    // Adds a sink that sees the ops from now on, before the output; add it before the first call.
    void addTap(std::unique_ptr<PrintSink> tap);

    // 1 portrait, 2 landscape; applies to the page being started (the first page included).
    void setOrientation(int orientation);
    void setScale(double width, double height);
    void setFontName(const QString& name);
    void setFontSize(double points);
    void setTextColor(TemplateColor color);
    void setPosition(double x, double y);
    // Draws text with its top-left corner at the print position, at the font's point size. The
    // print position does not move: the engine sets it before every text.
    void printText(const QString& text);
    void drawLine(double x1, double y1, double x2, double y2, TemplateColor color);
    // Rectangle outline with the corners (x1, y1) and (x2, y2).
    void drawBox(double x1, double y1, double x2, double y2, TemplateColor color);
    // Draws picture (loaded from file) scaled into the rectangle.
    void paintPicture(const QString& file, const QImage& picture, double x, double y, double width, double height);
    void newPage();
    // Sends the job: the pages are printed (or the PDF file is written).
    void endDocument();
    // Discards the job: nothing is printed and no output file is left behind. Does nothing after
    // endDocument (the job is gone) or a second time.
    void abortDocument();

    QString deviceName() const { return output().deviceName(); }
    QSizeF printableInches() const { return output().printableInches(); }
    PrintSink& output() { return *sinks_.back(); }
    const PrintSink& output() const { return *sinks_.back(); }
    // Pages so far: 1 until the first newPage.
    int page() const { return builder_.page(); }

private:
    void submit(const PrintOp& op, const QImage* picture = nullptr);
    void checkUsable() const;

    PrintOpBuilder builder_;
    std::vector<std::unique_ptr<PrintSink>> sinks_;  // the taps in the order added, the output last
    bool ended_ = false;
    bool aborted_ = false;
};

}  // namespace ostrivo
