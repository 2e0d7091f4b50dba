#pragma once

#include "template/Records.h"
#include "template/TemplateReader.h"

#include <deque>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

namespace ostrivo {

// The elements of a template, each named by the line it starts on: its fields stay in the file's
// lines and are read when asked for (fieldsOf), so a list of elements costs a few bytes each
// whatever the template holds. Each reader applies its own number rules to the fields: the print
// (engine/PrintedElements.h) and the designer's loader read some of them differently.

// The kind of element a section's records are.
enum class ElementKind { Picture, Grid, Field, Text, Product, Table };
// [IMMAGINI], [GRIGLIA], [CAMPI], [TESTO], [*] and [TABELLA]; nothing for any other section.
std::optional<ElementKind> elementKindOf(const QString& section);

struct PictureElement {
    using Fields = ImageRecord;
    int line = 0;
};
struct GridElement {
    using Fields = GridRecord;
    int line = 0;
};
struct FieldElement {
    using Fields = FieldRecord;
    int line = 0;
};
struct TextElement {
    using Fields = TextRecord;
    int line = 0;
};
// A "[*]" block: the product record, then one line for each factor, then "[/*]".
struct ProductElement {
    using Fields = ProductRecord;
    int line = 0;
    int factors = 0;
    int factorLine(int k) const { return line + 1 + k; }  // k from 0
};
// A [TABELLA] block: the placement record, the source record, the column records, then the line
// that ended them.
struct TableElement {
    using Fields = TablePlacementRecord;
    int line = 0;
    int columns = 0;
    int sourceLine() const { return line + 1; }
    int columnLine(int j) const { return line + 2 + j; }  // j from 0
};

using TemplateElement =
    std::variant<PictureElement, GridElement, FieldElement, TextElement, ProductElement, TableElement>;

int lineOf(const TemplateElement& element);

// The fields of a record kind R on `line` (readRecord: too few fields is a TemplateError there).
template <typename R>
R fieldsAt(const TemplateReader& reader, int line, int needed = fieldCount<R>())
{
    return readRecord<R>(reader, reader.recordAt(line), needed);
}

// The fields of an element's first record.
template <typename E>
typename E::Fields fieldsOf(const TemplateReader& reader, const E& element)
{
    return fieldsAt<typename E::Fields>(reader, element.line);
}

// The records of a block after its first.
inline FactorRecord factorOf(const TemplateReader& reader, const ProductElement& element, int k)
{
    return fieldsAt<FactorRecord>(reader, element.factorLine(k));
}
inline TableSourceRecord sourceOf(const TemplateReader& reader, const TableElement& element)
{
    return fieldsAt<TableSourceRecord>(reader, element.sourceLine());
}
inline ColumnRecord columnOf(const TemplateReader& reader, const TableElement& element, int j)
{
    return fieldsAt<ColumnRecord>(reader, element.columnLine(j));
}

// The lines of a product block whose first record is `first`, up to "[/*]"; at most
// kMaxProductFactors factors. The print and the designer read products alike.
ProductElement readProductLines(TemplateReader& reader, const Record& first);
// The lines of a table whose placement record is `placement`, up to the line that ends its
// columns: the designer's tables end at "[FINE TABELLA]" with at most 60 columns, the print's at
// any section line with at most kMaxPrintColumns.
TableElement readTableLines(TemplateReader& reader, const Record& placement, TableEnd end, int maxColumns);

// ---- the template as the print reads it ----

// The print prints at most this many columns of a table.
constexpr int kMaxPrintColumns = 54;

// The page block: "[TESTA]", the orientation (1 portrait, 2 landscape), the page's width and height
// (both above 0), the reference database's line; then "[PARAMETRI]" must follow.
struct PageBlock {
    int orientation = 1;
    double width = 0;
    double height = 0;
};

// How the print meets the body of a template. Both read the page block and the parameters first,
// and never interpret the file's last line.
enum class ElementReading {
    PrintRun,  // in file order; a table's lines are read as its block, to any section line
    PageRedraw,  // DisegnaPagina: every element but tables, whose lines are skipped one by one
};

// A template as the print reads it.
struct TemplateElements {
    PageBlock page;
    std::vector<int> parameterLines;  // the records of the "[PARAMETRI]" section after the page block
    // A deque: a template of many short records grows it without copying what it holds.
    std::deque<TemplateElement> elements;
    // Where the file's structure broke off the reading (elements read before it are listed).
    std::optional<TemplateError> broken;
};

// Reads the page block and the parameter records after it; TemplateError where it is malformed.
PageBlock readPrintHeader(TemplateReader& reader, std::vector<int>& parameterLines);

// Reads the elements after the parameters, handing each to `met` as it is read; TemplateError
// where the file's structure is broken (a block without its end, too many columns or factors).
void readElements(TemplateReader& reader, ElementReading how, const std::function<void(const TemplateElement&)>& met);

// The whole template, read once: a malformed page block leaves no element, a broken structure the
// elements before it.
TemplateElements readTemplateElements(TemplateReader& reader, ElementReading how);

}  // namespace ostrivo
