#pragma once

#include "core/TemplateColor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

#include <functional>
#include <vector>

namespace ostrivo {

class Printer;

// One printer operation as the engine issued it, with the state it was drawn with. The fields
// are named as in the trace; a kind uses only its own fields (the others keep their defaults):
//   Orientation: page, value            Scale:   page, width, height
//   Text:    page, x, y, text, font, size, color
//   Line, Box: page, x1, y1, x2, y2, color
//   Picture: page, file, x, y, width, height
//   NewPage: page (the page it starts)   End:     pages (the page count)
struct PrintOp {
    enum class Kind { Orientation, Scale, Text, Line, Box, Picture, NewPage, End };

    Kind kind = Kind::End;
    int page = 0;
    int value = 0;
    double width = 0;
    double height = 0;
    double x = 0;
    double y = 0;
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    QString text;
    QString font;
    double size = 0;
    TemplateColor color = 0;
    QString file;
    int pages = 0;

    bool operator==(const PrintOp&) const = default;

    static PrintOp orientation(int page, int value);
    static PrintOp scale(int page, double width, double height);
    static PrintOp textAt(int page, double x, double y, QString text, QString font, double size, TemplateColor color);
    static PrintOp line(int page, double x1, double y1, double x2, double y2, TemplateColor color);
    static PrintOp box(int page, double x1, double y1, double x2, double y2, TemplateColor color);
    static PrintOp picture(int page, QString file, double x, double y, double width, double height);
    static PrintOp newPage(int page);
    static PrintOp end(int pages);
};

// The trace name of a kind ("orientation", "scale", "text", "line", "box", "picture", "newpage", "end").
QString printOpKindName(PrintOp::Kind kind);

// One trace line (without the line end): a JSON object with the keys in a fixed order, numbers in
// the shortest form that reads back to the same double, strings escaped to pure ASCII.
QByteArray printOpToJson(const PrintOp& op);

// Reads one trace line. Throws Error (number 5) saying what is wrong with it.
PrintOp printOpFromJson(QByteArrayView line);

// Reads a whole trace file; blank lines are skipped. Throws Error naming the file and the line.
std::vector<PrintOp> readTrace(const QString& path);

// Writes ops as a trace file (created or replaced). Throws Error naming the file.
void writeTrace(const QString& path, const std::vector<PrintOp>& ops);

// Loads the picture a picture op names; returns a null image when it cannot.
using PictureLoader = std::function<QImage(const QString& file)>;

// Issues ops on printer as the engine would have: state setters before each text, pictures
// loaded through loader (from the file as named when no loader is given), endDocument for
// "end". A picture that cannot be loaded throws Error 481 naming the file. onPage, when given, is
// called as each page after the first begins; false stops there with Error 18 (the job is left to
// the caller to abort).
void replayOps(const std::vector<PrintOp>& ops, Printer& printer, const PictureLoader& loader = {},
               const std::function<bool(int page)>& onPage = {});

}  // namespace ostrivo
