#include "engine/TableLayout.h"

#include <utility>

namespace ostrivo {

namespace {

Decimal4 dec(const char16_t* text)
{
    return *Decimal4::parse(QStringView(text));
}

const Decimal4 kHalf = dec(u"0.5");
const Decimal4 kTitleGap = Decimal4::fromInt(2);
const Decimal4 kHeaderRule = dec(u"1.5");
const Decimal4 kFirstRow = dec(u"2.5");
const Decimal4 kLineStep = dec(u"1.6");
const Decimal4 kOne = Decimal4::fromInt(1);
const Decimal4 kBottomReserve = Decimal4::fromInt(2);

}  // namespace

TableLayout::TableLayout(TableDesign design, TableSink& sink) : design_(std::move(design)), sink_(sink)
{
    xs_.push_back(design_.x);
    for (const TableColumnDesign& column : design_.columns)
        xs_.push_back(xs_.back() + kOne + column.width);
    totals_.assign(design_.columns.size(), Decimal4());
    yh_ = design_.y0 + kTitleGap;
    y_ = yh_ + kFirstRow;
}

void TableLayout::frame()
{
    sink_.setFont(design_.fontName, design_.fontSize);
    if (!design_.title.trimmed().isEmpty())
        sink_.text(design_.x, design_.y0, design_.title, false);
    const Decimal4 top = yh_ - kHalf;
    const Decimal4 end = design_.bottom + kHalf;
    sink_.line(design_.x - kHalf, top, design_.x - kHalf, end, 0);
    for (std::size_t j = 0; j < design_.columns.size(); ++j) {
        const TableColumnDesign& column = design_.columns[j];
        const Decimal4 left = xs_[j] - kHalf;
        const Decimal4 right = xs_[j + 1] - kHalf;
        const auto chars = std::max<std::int64_t>(0, column.chars.roundHalfEven());
        sink_.text(xs_[j], yh_, column.title.left(static_cast<qsizetype>(chars)), false);
        sink_.line(left, top, right, top, 0);
        sink_.line(left, yh_ + kHeaderRule, right, yh_ + kHeaderRule, 0);
        sink_.line(left, end, right, end, 0);
        sink_.line(right, top, right, end, 0);
    }
    y_ = yh_ + kFirstRow;
}

void TableLayout::begin()
{
    frame();
}

bool TableLayout::totalled(std::size_t j) const
{
    const TableColumnDesign& column = design_.columns[j];
    return column.totalFlag == QLatin1String("S") &&
           (column.typeWord == QLatin1String("Num") || column.typeWord == QLatin1String("Cur"));
}

void TableLayout::addRow(const std::vector<CutText>& cells)
{
    const Decimal4 limit = design_.bottom - kBottomReserve;
    Decimal4 rowTop = y_;
    std::int64_t maxY = rowTop.roundHalfEven();
    for (std::size_t j = 0; j < design_.columns.size() && j < cells.size(); ++j) {
        const CutText& cell = cells[j];
        Decimal4 y = rowTop;
        for (const QString& line : cell.completed) {
            sink_.text(xs_[j], y, line, true);
            y += kLineStep;
            maxY = std::max(maxY, y.roundHalfEven());
            if (y > limit) {
                // The cell goes on on a page that carries only the table.
                sink_.newPage(false);
                frame();
                y = y_;
                rowTop = y;
                maxY = y.roundHalfEven();
            }
        }
        sink_.text(xs_[j], y, cell.last, true);
        sink_.line(xs_[j] - kHalf, y + kOne, xs_[j + 1] - kHalf, y + kOne, kRuleColor);
        if (totalled(j))
            totals_[j] += readPrintedAmount(cell.last);
    }
    y_ = Decimal4::fromInt(maxY) + kLineStep;
    if (y_ > limit) {
        sink_.newPage(true);
        frame();
    }
}

void TableLayout::finish()
{
    for (std::size_t j = 0; j < design_.columns.size() && !design_.columns[j].title.isEmpty(); ++j) {
        // A flag on a column that holds no amounts has no total to show.
        if (!totalled(j))
            continue;
        const QString text = formatNumberField(LooseValue::number(totals_[j].toString()), design_.columns[j].typeWord,
                                               design_.columns[j].chars);
        sink_.text(xs_[j], y_ + kOne, text, false);
    }
}

}  // namespace ostrivo
