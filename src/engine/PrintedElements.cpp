#include "engine/PrintedElements.h"

#include "print/PrintOpBuilder.h"
#include "template/Helpers.h"

namespace ostrivo {

double printFontSize(const QString& field)
{
    const double size = leadingNumber(field);
    if (!PrintOpBuilder::isValidFontSize(size))
        throw Error(err::InvalidPropertyValue, QStringLiteral("dimensione del carattere %1 non valida: da più di 0 a %2 punti")
                                                   .arg(quoteInput(field), QString::number(PrintOpBuilder::MaxFontSize)));
    return size;
}

Decimal4 picturePosition(const QString& field)
{
    QString value = field;
    const QString normalized = NormalizzaValore(value, mode::Currency);
    if (const auto italian = parseItalianNumber(normalized))
        return *italian;
    return leadingDecimal(normalized);
}

PrintedText printedText(const TemplateReader& reader, const TextElement& element)
{
    const auto r = fieldsOf(reader, element);
    return {r.text, leadingDecimal(r.x), leadingDecimal(r.y), r.fontName, printFontSize(r.fontSize), colorField(r.color)};
}

PrintedGrid printedGrid(const TemplateReader& reader, const GridElement& element)
{
    const auto r = fieldsOf(reader, element);
    return {r.kind, leadingDecimal(r.x1), leadingDecimal(r.y1), leadingDecimal(r.x2), leadingDecimal(r.y2)};
}

PrintedPicture printedPicture(const TemplateReader& reader, const PictureElement& element)
{
    const auto r = fieldsOf(reader, element);
    return {r.file, picturePosition(r.x), picturePosition(r.y), picturePosition(r.width), picturePosition(r.height)};
}

PrintedField printedField(const TemplateReader& reader, const FieldElement& element,
                          const std::vector<PrintParameter>& parameters)
{
    const auto r = fieldsOf(reader, element);
    PrintedField field{r, leadingDecimal(r.x), leadingDecimal(r.y), leadingDecimal(r.width), printFontSize(r.fontSize)};
    if (!r.relation.trimmed().isEmpty())
        checkRelationQuotes(r.relation, parameters);
    return field;
}

PrintedProduct printedProduct(const TemplateReader& reader, const ProductElement& element)
{
    const auto r = fieldsOf(reader, element);
    return {r.typeWord, leadingDecimal(r.x), leadingDecimal(r.y), leadingDecimal(r.width),
            r.fontName, printFontSize(r.fontSize)};
}

TableDesign tableDesign(const TemplateReader& reader, const TableElement& element)
{
    const auto a = fieldsOf(reader, element);
    TableDesign design;
    design.title = a.title;
    design.x = leadingDecimal(a.x);
    design.y0 = leadingDecimal(a.y);
    design.bottom = leadingDecimal(a.bottom);
    design.fontName = a.fontName;
    design.fontSize = printFontSize(a.fontSize);
    for (int j = 0; j < element.columns; ++j) {
        const auto c = columnOf(reader, element, j);
        design.columns.push_back({c.title, c.field, leadingDecimal(c.width), c.typeWord, c.total, leadingDecimal(c.chars)});
    }
    return design;
}

}  // namespace ostrivo
