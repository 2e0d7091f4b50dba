#include "print/Printer.h"

#include "core/Errors.h"

#include <utility>

namespace ostrivo {

Printer::Printer(std::unique_ptr<PrintSink> output)
{
    if (!output)
        throw Error(err::InvalidArgument, QStringLiteral("Stampa senza destinazione"));
    sinks_.push_back(std::move(output));
}

Printer::~Printer() = default;
Printer::Printer(Printer&&) noexcept = default;
Printer& Printer::operator=(Printer&&) noexcept = default;

void Printer::addTap(std::unique_ptr<PrintSink> tap)
{
    if (tap)
        sinks_.insert(sinks_.end() - 1, std::move(tap));
}

void Printer::submit(const PrintOp& op, const QImage* picture)
{
    for (const auto& sink : sinks_)
        sink->submit(op, picture);
}

void Printer::checkUsable() const
{
    for (const auto& sink : sinks_)
        sink->checkUsable();
}

void Printer::setOrientation(int orientation)
{
    submit(builder_.orientation(orientation));
}

void Printer::setScale(double width, double height)
{
    submit(builder_.scale(width, height));
}

void Printer::setFontName(const QString& name)
{
    builder_.setFontName(name);
    checkUsable();
}

void Printer::setFontSize(double points)
{
    builder_.setFontSize(points);
    checkUsable();
}

void Printer::setTextColor(TemplateColor color)
{
    builder_.setTextColor(color);
    checkUsable();
}

void Printer::setPosition(double x, double y)
{
    builder_.setPosition(x, y);
    checkUsable();
}

void Printer::printText(const QString& text)
{
    submit(builder_.text(text));
}

void Printer::drawLine(double x1, double y1, double x2, double y2, TemplateColor color)
{
    submit(builder_.line(x1, y1, x2, y2, color));
}

void Printer::drawBox(double x1, double y1, double x2, double y2, TemplateColor color)
{
    submit(builder_.box(x1, y1, x2, y2, color));
}

void Printer::paintPicture(const QString& file, const QImage& picture, double x, double y, double width, double height)
{
    submit(builder_.picture(file, picture, x, y, width, height), &picture);
}

void Printer::newPage()
{
    submit(builder_.newPage());
}

void Printer::endDocument()
{
    submit(builder_.end());
    // The output first: a tap holds the job's record, kept also when the output fails.
    for (auto sink = sinks_.rbegin(); sink != sinks_.rend(); ++sink)
        (*sink)->finish();
    ended_ = true;
}

void Printer::abortDocument()
{
    if (ended_ || aborted_)
        return;
    builder_.abort();
    aborted_ = true;
    for (auto sink = sinks_.rbegin(); sink != sinks_.rend(); ++sink)
        (*sink)->abort();
}

}  // namespace ostrivo
