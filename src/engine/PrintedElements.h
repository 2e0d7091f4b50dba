#pragma once

#include "engine/ParameterFilter.h"
#include "engine/TableLayout.h"
#include "core/TemplateColor.h"
#include "template/Numbers.h"
#include "template/TemplateElements.h"

#include <QString>
#include <vector>

namespace ostrivo {

// Each element's fields as the print reads them. The check and the drawing read through these:
// whatever the print would refuse in a template, the check refuses too.

// A font size as the printer takes it; a text that is none is named as written ("NaN", "1e308").
double printFontSize(const QString& field);
// An image coordinate: written with two decimals, read through the currency mode as an Italian
// number; a text that mode leaves with a plain "." is read as a plain decimal.
Decimal4 picturePosition(const QString& field);

struct PrintedText {
    QString text;
    Decimal4 x;
    Decimal4 y;
    QString fontName;
    double fontSize = 0;
    TemplateColor color;
};
PrintedText printedText(const TemplateReader& reader, const TextElement& element);

struct PrintedGrid {
    QString kind;
    Decimal4 x1;
    Decimal4 y1;
    Decimal4 x2;
    Decimal4 y2;
};
PrintedGrid printedGrid(const TemplateReader& reader, const GridElement& element);

struct PrintedPicture {
    QString file;
    Decimal4 x;
    Decimal4 y;
    Decimal4 width;
    Decimal4 height;
};
PrintedPicture printedPicture(const TemplateReader& reader, const PictureElement& element);

struct PrintedField {
    FieldRecord fields;
    Decimal4 x;
    Decimal4 y;
    Decimal4 width;
    double fontSize = 0;
};
// The parameters give the placeholders of the relation their types.
PrintedField printedField(const TemplateReader& reader, const FieldElement& element,
                          const std::vector<PrintParameter>& parameters);

// The product's first record.
struct PrintedProduct {
    QString typeWord;
    Decimal4 x;
    Decimal4 y;
    Decimal4 width;
    QString fontName;
    double fontSize = 0;
};
PrintedProduct printedProduct(const TemplateReader& reader, const ProductElement& element);

// The table's placement record and its columns.
TableDesign tableDesign(const TemplateReader& reader, const TableElement& element);

}  // namespace ostrivo
