#include "print/RecordingPrinter.h"

#include <utility>

namespace ostrivo {

RecordingPrinter::RecordingPrinter(QString deviceName) : deviceName_(std::move(deviceName)) {}

void RecordingPrinter::setOrientation(int orientation)
{
    ops_.push_back(builder_.orientation(orientation));
}

void RecordingPrinter::setScale(double width, double height)
{
    ops_.push_back(builder_.scale(width, height));
}

void RecordingPrinter::setFontName(const QString& name)
{
    builder_.setFontName(name);
}

void RecordingPrinter::setFontSize(double points)
{
    builder_.setFontSize(points);
}

void RecordingPrinter::setTextColor(TemplateColor color)
{
    builder_.setTextColor(color);
}

void RecordingPrinter::setPosition(double x, double y)
{
    builder_.setPosition(x, y);
}

void RecordingPrinter::printText(const QString& text)
{
    ops_.push_back(builder_.text(text));
}

void RecordingPrinter::drawLine(double x1, double y1, double x2, double y2, TemplateColor color)
{
    ops_.push_back(builder_.line(x1, y1, x2, y2, color));
}

void RecordingPrinter::drawBox(double x1, double y1, double x2, double y2, TemplateColor color)
{
    ops_.push_back(builder_.box(x1, y1, x2, y2, color));
}

void RecordingPrinter::paintPicture(const QString& file, const QImage& picture, double x, double y, double width,
                                    double height)
{
    ops_.push_back(builder_.picture(file, picture, x, y, width, height));
    pictures_.push_back(picture);
}

void RecordingPrinter::newPage()
{
    ops_.push_back(builder_.newPage());
}

void RecordingPrinter::endDocument()
{
    ops_.push_back(builder_.end());
    ended_ = true;
}

void RecordingPrinter::abortDocument()
{
    // After endDocument the job is gone: there is nothing left to discard.
    if (ended_ || aborted_)
        return;
    builder_.abort();
    aborted_ = true;
}

std::vector<PrintOp> RecordingPrinter::opsOnPage(int page) const
{
    std::vector<PrintOp> result;
    for (const PrintOp& op : ops_) {
        if (op.kind != PrintOp::Kind::End && op.page == page)
            result.push_back(op);
    }
    return result;
}

std::vector<PrintOp> RecordingPrinter::opsOfKind(PrintOp::Kind kind) const
{
    std::vector<PrintOp> result;
    for (const PrintOp& op : ops_) {
        if (op.kind == kind)
            result.push_back(op);
    }
    return result;
}

QStringList RecordingPrinter::textsOnPage(int page) const
{
    QStringList result;
    for (const PrintOp& op : ops_) {
        if (op.kind == PrintOp::Kind::Text && op.page == page)
            result.push_back(op.text);
    }
    return result;
}

std::vector<PrintOp> RecordingPrinter::findText(const QString& text) const
{
    std::vector<PrintOp> result;
    for (const PrintOp& op : ops_) {
        if (op.kind == PrintOp::Kind::Text && op.text == text)
            result.push_back(op);
    }
    return result;
}

}  // namespace ostrivo
