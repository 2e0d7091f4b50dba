#pragma once

#include "engine/TextLayout.h"
#include "core/TemplateColor.h"
#include "template/Numbers.h"

#include <QString>
#include <vector>

namespace ostrivo {

// One column record of a table.
struct TableColumnDesign {
    QString title;       // field 1
    QString field;       // field 2: the database column
    Decimal4 width;      // field 3, page units
    QString typeWord;    // field 4: "Num", "Cur", "Date", "Str" or "Null"
    QString totalFlag;   // field 5: "S" totals the column
    Decimal4 chars;      // field 7: title truncation, right alignment and line length
};

// A table's placement record and its columns.
struct TableDesign {
    QString title;
    Decimal4 x;
    Decimal4 y0;
    Decimal4 bottom;
    QString fontName;
    double fontSize = 0;
    std::vector<TableColumnDesign> columns;
};

// Where the layout sends what it draws; the engine forwards it to the printer.
class TableSink {
public:
    virtual ~TableSink() = default;
    virtual void setFont(const QString& name, double size) = 0;
    // cell: a cell text, printed in black; otherwise (title, header, totals) in the current colour.
    virtual void text(Decimal4 x, Decimal4 y, const QString& text, bool cell) = 0;
    virtual void line(Decimal4 x1, Decimal4 y1, Decimal4 x2, Decimal4 y2, TemplateColor color) = 0;
    // A new page; between rows it first receives the template's fixed elements again.
    virtual void newPage(bool betweenRows) = 0;
};

// The geometry of a table: frame, header, rows with wrapped cells, continuation pages and totals,
// as a pure function of the template's numbers and the cell texts.
class TableLayout {
public:
    static constexpr TemplateColor kRuleColor = TemplateColor::rgb(192, 192, 192);  // light grey of the row rules

    TableLayout(TableDesign design, TableSink& sink);

    // Title, borders and header on the current page; the first row position.
    void begin();
    // One record: one cut text per column, in column order.
    void addRow(const std::vector<CutText>& cells);
    // The totals row, after the last record.
    void finish();

    Decimal4 currentY() const { return y_; }
    Decimal4 columnX(std::size_t j) const { return xs_.at(j); }
    Decimal4 headerY() const { return yh_; }
    const std::vector<Decimal4>& totals() const { return totals_; }

private:
    void frame();
    bool totalled(std::size_t j) const;

    TableDesign design_;
    TableSink& sink_;
    std::vector<Decimal4> xs_;  // x of each column, and the x after the last one
    std::vector<Decimal4> totals_;
    Decimal4 yh_;
    Decimal4 y_;
};

}  // namespace ostrivo
