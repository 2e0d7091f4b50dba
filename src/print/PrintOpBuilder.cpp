#include "print/PrintOpBuilder.h"

#include "core/Errors.h"

#include <cmath>

namespace ostrivo {

static QString number(double value)
{
    return QString::number(value, 'g', 17);
}

static void checkCoordinates(std::initializer_list<double> values, const char* what)
{
    for (double value : values) {
        if (!std::isfinite(value))
            throw Error(err::InvalidArgument,
                        QStringLiteral("Coordinate non valide per %1: %2").arg(QLatin1String(what), number(value)));
    }
}

void PrintOpBuilder::checkOpen() const
{
    if (finished_)
        throw Error(err::InvalidArgument, QStringLiteral("Il documento di stampa è già stato chiuso"));
}

PrintOp PrintOpBuilder::orientation(int value) const
{
    checkOpen();
    if (value != 1 && value != 2)
        throw Error(err::InvalidPropertyValue,
                    QStringLiteral("Orientamento della pagina non valido: %1 (1 verticale, 2 orizzontale)").arg(value));
    return PrintOp::orientation(page_, value);
}

PrintOp PrintOpBuilder::scale(double width, double height) const
{
    checkOpen();
    if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0)
        throw Error(err::InvalidPropertyValue,
                    QStringLiteral("Scala della pagina non valida: %1 x %2 unità").arg(number(width), number(height)));
    return PrintOp::scale(page_, width, height);
}

void PrintOpBuilder::setFontName(const QString& name)
{
    checkOpen();
    fontName_ = name;
}

void PrintOpBuilder::setFontSize(double points)
{
    checkOpen();
    if (!isValidFontSize(points))
        throw Error(err::InvalidPropertyValue,
                    QStringLiteral("Dimensione del carattere non valida: %1 (da più di 0 a %2 punti)")
                        .arg(number(points), number(MaxFontSize)));
    fontSize_ = points;
}

void PrintOpBuilder::setTextColor(TemplateColor color)
{
    checkOpen();
    textColor_ = color;
}

void PrintOpBuilder::setPosition(double x, double y)
{
    checkOpen();
    if (!std::isfinite(x) || !std::isfinite(y))
        throw Error(err::InvalidPropertyValue,
                    QStringLiteral("Posizione di stampa non valida: %1, %2").arg(number(x), number(y)));
    x_ = x;
    y_ = y;
}

PrintOp PrintOpBuilder::text(const QString& text) const
{
    checkOpen();
    return PrintOp::textAt(page_, x_, y_, text, fontName_, fontSize_, textColor_);
}

PrintOp PrintOpBuilder::line(double x1, double y1, double x2, double y2, TemplateColor color) const
{
    checkOpen();
    checkCoordinates({x1, y1, x2, y2}, "una linea");
    return PrintOp::line(page_, x1, y1, x2, y2, color);
}

PrintOp PrintOpBuilder::box(double x1, double y1, double x2, double y2, TemplateColor color) const
{
    checkOpen();
    checkCoordinates({x1, y1, x2, y2}, "un rettangolo");
    return PrintOp::box(page_, x1, y1, x2, y2, color);
}

PrintOp PrintOpBuilder::picture(const QString& file, const QImage& picture, double x, double y, double width,
                                double height) const
{
    checkOpen();
    if (picture.isNull())
        throw Error(err::InvalidPicture, QStringLiteral("Immagine non valida: %1").arg(quoteInput(file)));
    checkCoordinates({x, y, width, height}, "un'immagine");
    return PrintOp::picture(page_, file, x, y, width, height);
}

PrintOp PrintOpBuilder::newPage()
{
    checkOpen();
    ++page_;
    return PrintOp::newPage(page_);
}

PrintOp PrintOpBuilder::end()
{
    checkOpen();
    finished_ = true;
    return PrintOp::end(page_);
}

}  // namespace ostrivo
