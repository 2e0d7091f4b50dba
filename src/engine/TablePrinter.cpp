#include "engine/TablePrinter.h"

#include "engine/DatabaseValues.h"
#include "engine/PrintedElements.h"
#include "engine/TableLayout.h"
#include "engine/TextLayout.h"
#include "print/Printer.h"
#include "template/Helpers.h"

namespace ostrivo {

namespace {

class PrinterTableSink final : public TableSink {
public:
    PrinterTableSink(Printer& printer, const std::function<void(bool)>& newPage) : printer_(printer), newPage_(newPage) {}

    void setFont(const QString& name, double size) override
    {
        printer_.setFontName(name);
        printer_.setFontSize(size);
    }
    void text(Decimal4 x, Decimal4 y, const QString& text, bool cell) override
    {
        if (cell)
            printer_.setTextColor(0);
        printer_.setPosition(x.toDouble(), y.toDouble());
        printer_.printText(text);
    }
    void line(Decimal4 x1, Decimal4 y1, Decimal4 x2, Decimal4 y2, TemplateColor color) override
    {
        printer_.drawLine(x1.toDouble(), y1.toDouble(), x2.toDouble(), y2.toDouble(), color);
    }
    void newPage(bool betweenRows) override { newPage_(betweenRows); }

private:
    Printer& printer_;
    const std::function<void(bool)>& newPage_;
};

// The text of a cell by its column's type word.
void fillCell(CutText& cell, const TableColumnDesign& column, const QueryCursor& cursor)
{
    cell.completed.clear();
    if (column.typeWord == QLatin1String("Null")) {
        cell.last = column.chars.roundHalfEven() > 0 ? QStringLiteral(" ") : QString();
    } else if (column.typeWord == QLatin1String("Str")) {
        cell = cutIntoLines(plainText(cursor.value(column.field)), column.chars, true);
    } else if (column.typeWord == QLatin1String("Num") || column.typeWord == QLatin1String("Cur")) {
        cell.last = formatNumberField(cursor.value(column.field), column.typeWord, column.chars);
    } else if (column.typeWord == QLatin1String("Date")) {
        cell.last = storedDateText(cursor.value(column.field));
    } else {
        cell.last.clear();  // a type word the format does not know shows nothing
    }
}

}  // namespace

void printTable(Printer& printer, const TemplateReader& reader, const TableElement& table, const QString& filter,
                const std::function<void(bool betweenRows)>& newPage)
{
    const TableDesign design = tableDesign(reader, table);
    const TableSourceRecord source = sourceOf(reader, table);
    const QString ordering = SostituisciCarattere(source.ordering, QStringLiteral("-"), QStringLiteral(","));

    PrinterTableSink sink(printer, newPage);
    TableLayout layout(design, sink);
    layout.begin();

    QString sql = QStringLiteral("Select * From ") + source.table + QStringLiteral(" where ") + filter;
    if (!source.filter.trimmed().isEmpty())
        sql += QStringLiteral(" and ") + source.filter;
    // Without an ordering the query keeps its natural order (an empty "Order by" is no SQL).
    if (!ordering.trimmed().isEmpty())
        sql += QStringLiteral(" Order by ") + ordering;
    sql += QLatin1Char(';');
    QueryCursor cursor(source.database, sql);
    const QString criteria = QStringLiteral("NumeroHotel = 1 and ") + filter;

    std::vector<CutText> cells(design.columns.size());
    for (bool found = cursor.findFirst(criteria); found; found = cursor.findNext(criteria)) {
        for (std::size_t j = 0; j < design.columns.size(); ++j)
            fillCell(cells[j], design.columns[j], cursor);
        layout.addRow(cells);
    }
    cursor.close();
    layout.finish();
}

}  // namespace ostrivo
