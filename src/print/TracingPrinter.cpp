#include "print/TracingPrinter.h"

#include "core/Errors.h"

#include <utility>

namespace ostrivo {

TracingPrinter::TracingPrinter(std::unique_ptr<Printer> inner, const QString& tracePath)
    : inner_(std::move(inner)), file_(tracePath, QStringLiteral("il file di traccia"))
{
    if (!inner_)
        throw Error(err::InvalidArgument, QStringLiteral("Traccia \"%1\" senza stampante").arg(tracePath));
    file_.openForWriting();
}

TracingPrinter::~TracingPrinter() = default;

void TracingPrinter::write(const PrintOp& op)
{
    QByteArray line = printOpToJson(op);
    line += '\n';
    file_.write(line);
    file_.checkWritten();
}

void TracingPrinter::commit()
{
    if (!committed_) {
        committed_ = true;
        file_.commit();
    }
}

void TracingPrinter::setOrientation(int orientation)
{
    write(builder_.orientation(orientation));
    inner_->setOrientation(orientation);
}

void TracingPrinter::setScale(double width, double height)
{
    write(builder_.scale(width, height));
    inner_->setScale(width, height);
}

void TracingPrinter::setFontName(const QString& name)
{
    builder_.setFontName(name);
    inner_->setFontName(name);
}

void TracingPrinter::setFontSize(double points)
{
    builder_.setFontSize(points);
    inner_->setFontSize(points);
}

void TracingPrinter::setTextColor(TemplateColor color)
{
    builder_.setTextColor(color);
    inner_->setTextColor(color);
}

void TracingPrinter::setPosition(double x, double y)
{
    builder_.setPosition(x, y);
    inner_->setPosition(x, y);
}

void TracingPrinter::printText(const QString& text)
{
    write(builder_.text(text));
    inner_->printText(text);
}

void TracingPrinter::drawLine(double x1, double y1, double x2, double y2, TemplateColor color)
{
    write(builder_.line(x1, y1, x2, y2, color));
    inner_->drawLine(x1, y1, x2, y2, color);
}

void TracingPrinter::drawBox(double x1, double y1, double x2, double y2, TemplateColor color)
{
    write(builder_.box(x1, y1, x2, y2, color));
    inner_->drawBox(x1, y1, x2, y2, color);
}

void TracingPrinter::paintPicture(const QString& file, const QImage& picture, double x, double y, double width,
                                  double height)
{
    write(builder_.picture(file, picture, x, y, width, height));
    inner_->paintPicture(file, picture, x, y, width, height);
}

void TracingPrinter::newPage()
{
    write(builder_.newPage());
    inner_->newPage();
}

void TracingPrinter::endDocument()
{
    write(builder_.end());
    inner_->endDocument();
    commit();
}

void TracingPrinter::abortDocument()
{
    builder_.abort();
    inner_->abortDocument();
    // A failed print is traced up to the failure.
    commit();
}

QString TracingPrinter::deviceName() const
{
    return inner_->deviceName();
}

}  // namespace ostrivo
