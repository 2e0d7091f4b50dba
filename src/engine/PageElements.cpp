#include "engine/PageElements.h"

#include "engine/DatabaseValues.h"
#include "engine/Pictures.h"
#include "engine/PrintedElements.h"
#include "engine/TextLayout.h"
#include "core/Files.h"
#include "print/Printer.h"

#include <optional>

namespace ostrivo {

namespace {

const Decimal4 kFieldLineStep = *Decimal4::parse(u"1.2");

QString noLineBreaks(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

}  // namespace

void PageElements::draw(const TemplateElement& element)
{
    std::visit([this](const auto& e) { draw(e); }, element);
}

void PageElements::setFont(const QString& name, double size, TemplateColor color)
{
    printer_.setFontName(name);
    printer_.setFontSize(size);
    printer_.setTextColor(color);
}

void PageElements::printAt(double x, double y, const QString& text)
{
    printer_.setPosition(x, y);
    printer_.printText(text);
}

void PageElements::draw(const PictureElement& element)
{
    const PrintedPicture image = printedPicture(reader_, element);
    if (context_.picturesLeftOut.count(element.line))
        return;
    const QString path = resolveExistingFile(image.file);
    QString problem;
    QImage picture;
    if (!path.isEmpty()) {
        // Read at the size it prints at: a large photo costs no more memory than the page.
        const QSizeF inches = printer_.printableInches();
        const QSize pixels = picturePixels(QSizeF(image.width.toDouble(), image.height.toDouble()), context_.pageUnits,
                                           context_.landscape ? inches.transposed() : inches);
        picture = readPicture(path, pixels, &problem);
    } else if (const auto kind = notARegularFile(image.file)) {
        problem = *kind;
    } else {
        // A missing picture is no error: it is said, and the report goes on without it.
        context_.picturesLeftOut.insert(element.line);
        if (context_.warn)
            context_.warn(element.line, missingPictureWarning(image.file));
        return;
    }
    if (picture.isNull()) {
        // The picture is left out; the report goes on, and ends as printed with errors.
        context_.picturesLeftOut.insert(element.line);
        context_.reportError(Error(err::InvalidPicture, unreadablePictureMessage(image.file, problem)));
        return;
    }
    printer_.paintPicture(image.file, picture, image.x.toDouble(), image.y.toDouble(), image.width.toDouble(),
                          image.height.toDouble());
}

void PageElements::draw(const GridElement& element)
{
    const PrintedGrid grid = printedGrid(reader_, element);
    const double x1 = grid.x1.toDouble();
    const double y1 = grid.y1.toDouble();
    const double x2 = grid.x2.toDouble();
    const double y2 = grid.y2.toDouble();
    if (grid.kind == QLatin1String("R"))
        printer_.drawBox(x1, y1, x2, y2, 0);
    else if (grid.kind == QLatin1String("L"))
        printer_.drawLine(x1, y1, x2, y2, 0);
}

void PageElements::draw(const FieldElement& element)
{
    const PrintedField printed = printedField(reader_, element, context_.parameters);
    const FieldRecord& field = printed.fields;
    const QString& type = field.typeWord;
    const QString condition = field.relation.trimmed().isEmpty()
                                  ? context_.filter
                                  : replaceRelationPlaceholders(field.relation, context_.parameters);
    QueryCursor cursor(field.database, QStringLiteral("Select * From ") + field.table + QStringLiteral(" Where ") + condition);
    if (!cursor.findFirst(QStringLiteral("NumeroHotel = 1")))
        return;

    setFont(field.fontName, printed.fontSize, 0);
    const double x = printed.x.toDouble();
    // A type word the format does not know prints nothing, and reads no value.
    if (type == QLatin1String("Num") || type == QLatin1String("Cur")) {
        printAt(x, printed.y.toDouble(), formatNumberField(cursor.value(field.column), type, printed.width));
    } else if (type == QLatin1String("Date")) {
        printAt(x, printed.y.toDouble(), storedDateText(cursor.value(field.column)));
    } else if (type == QLatin1String("Str")) {
        const CutText cut = cutIntoLines(noLineBreaks(plainText(cursor.value(field.column))), printed.width, false);
        Decimal4 y = printed.y;
        for (const QString& line : cut.completed) {
            printAt(x, y.toDouble(), line);
            y += kFieldLineStep;
        }
        printAt(x, y.toDouble(), cut.last);
    }
    cursor.close();
}

void PageElements::draw(const ProductElement& element)
{
    const PrintedProduct first = printedProduct(reader_, element);
    std::optional<Decimal4> product;
    bool unknown = false;  // a null factor leaves the product unknown: nothing is printed
    for (int k = 0; k < element.factors; ++k) {
        const FactorRecord factor = factorOf(reader_, element, k);
        QueryCursor cursor(factor.database,
                           QStringLiteral("Select * From ") + factor.table + QStringLiteral(" Where ") + context_.filter);
        if (cursor.findFirst(QStringLiteral("NumeroHotel = 1"))) {
            const std::optional<Decimal4> value = factorValue(cursor.value(factor.column), factor.column);
            if (!value)
                unknown = true;
            else
                product = product ? *product * *value : *value;
        }
        cursor.close();
    }
    if (unknown || !product || product->isZero())
        return;
    if (first.typeWord != QLatin1String("Num") && first.typeWord != QLatin1String("Cur"))
        return;
    setFont(first.fontName, first.fontSize, 0);
    printAt(first.x.toDouble(), first.y.toDouble(),
            formatNumberField(LooseValue::number(product->toString()), first.typeWord, first.width));
}

void PageElements::draw(const TextElement& element)
{
    const PrintedText printed = printedText(reader_, element);
    QString text = replaceTextPlaceholders(printed.text, context_.parameters);
    if (text == QLatin1String("Data_oggi"))
        text = context_.now.toString(QStringLiteral("dd/MM/yyyy"));
    else if (text == QLatin1String("ora_adesso"))
        text = context_.now.toString(QStringLiteral("hh:mm"));
    setFont(printed.fontName, printed.fontSize, printed.color);
    printAt(printed.x.toDouble(), printed.y.toDouble(), text);
}

}  // namespace ostrivo
