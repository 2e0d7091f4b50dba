#include "engine/TableLayout.h"

#include "support/TestSupport.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

Decimal4 d(const char* text)
{
    return *Decimal4::parse(QString::fromLatin1(text));
}

// Keeps what the layout draws, one readable line per operation.
class Recorder : public TableSink {
public:
    QStringList ops;
    int page = 1;
    void setFont(const QString& name, double size) override { ops << QStringLiteral("font %1 %2").arg(name).arg(size); }
    void text(Decimal4 x, Decimal4 y, const QString& t, bool cell) override
    {
        ops << QStringLiteral("p%1 %2 %3,%4 [%5]").arg(page).arg(cell ? "cell" : "text", x.toString(), y.toString(), t);
    }
    void line(Decimal4 x1, Decimal4 y1, Decimal4 x2, Decimal4 y2, TemplateColor color) override
    {
        ops << QStringLiteral("p%1 line %2,%3-%4,%5 %6")
                   .arg(page)
                   .arg(x1.toString(), y1.toString(), x2.toString(), y2.toString())
                   .arg(color.value());
    }
    void newPage(bool betweenRows) override
    {
        ++page;
        ops << (betweenRows ? QStringLiteral("newpage rows") : QStringLiteral("newpage cell"));
    }
    QStringList cells() const { return ops.filter(QStringLiteral(" cell ")); }
    QStringList texts() const { return ops.filter(QStringLiteral(" text ")); }
};

TableDesign oneColumn(const char* title = "Elenco", const char* bottom = "60", const char* type = "Num",
                    const char* flag = "N", const char* chars = "4")
{
    TableDesign design;
    design.title = QString::fromLatin1(title);
    design.x = d("2");
    design.y0 = d("20");
    design.bottom = d(bottom);
    design.fontName = QStringLiteral("Arial");
    design.fontSize = 8;
    design.columns.push_back({QStringLiteral("Camera"), QStringLiteral("Camera"), d("6"), QString::fromLatin1(type),
                            QString::fromLatin1(flag), d(chars)});
    return design;
}

CutText single(const QString& text)
{
    return {{}, text};
}

}  // namespace

TEST(TableLayout, FrameTitleHeaderAndBorders)
{
    Recorder r;
    TableLayout layout(oneColumn(), r);
    layout.begin();
    EXPECT_EQ(r.ops, QStringList({
                         QStringLiteral("font Arial 8"),
                         QStringLiteral("p1 text 2,20 [Elenco]"),
                         QStringLiteral("p1 line 1.5,21.5-1.5,60.5 0"),
                         QStringLiteral("p1 text 2,22 [Came]"),  // title cut to field 7 characters
                         QStringLiteral("p1 line 1.5,21.5-8.5,21.5 0"),
                         QStringLiteral("p1 line 1.5,23.5-8.5,23.5 0"),
                         QStringLiteral("p1 line 1.5,60.5-8.5,60.5 0"),
                         QStringLiteral("p1 line 8.5,21.5-8.5,60.5 0"),
                     }));
    EXPECT_EQ(layout.currentY().toString(), QStringLiteral("24.5"));
}

TEST(TableLayout, NoTitleKeepsTheHeaderTwoUnitsBelowAndEmptyTableTotalsAtHeaderPlus35)
{
    Recorder r;
    TableLayout layout(oneColumn("  ", "60", "Cur", "S", "8"), r);
    layout.begin();
    layout.finish();
    EXPECT_TRUE(r.ops.filter(QStringLiteral("[  ]")).isEmpty());
    EXPECT_EQ(r.texts().last(), QStringLiteral("p1 text 2,25.5 [    0,00]"));
    EXPECT_EQ(r.texts().first(), QStringLiteral("p1 text 2,22 [Camera]"));
}

TEST(TableLayout, RowsAdvanceFromTheRoundedRowTop)
{
    // Rows at 12.5, 13.6, 15.6: the row top is rounded halves to even before the step.
    TableDesign design = oneColumn("", "60");
    design.y0 = d("8");
    Recorder r;
    TableLayout layout(design, r);
    layout.begin();
    for (int i = 0; i < 3; ++i)
        layout.addRow({single(QStringLiteral("1"))});
    EXPECT_EQ(r.cells(), QStringList({QStringLiteral("p1 cell 2,12.5 [1]"), QStringLiteral("p1 cell 2,13.6 [1]"),
                                      QStringLiteral("p1 cell 2,15.6 [1]")}));
    EXPECT_TRUE(r.ops.contains(QStringLiteral("p1 line 1.5,13.5-8.5,13.5 12632256")));
}

TEST(TableLayout, HalfPositionsAfterFiveStepsRoundToEven)
{
    // 24.5 + 5 x 1.6 = 32.5 exactly: a wrapped cell reaching it rounds to 32, not 33.
    TableDesign design = oneColumn("", "80", "Str", "N", "2");
    Recorder r;
    TableLayout layout(design, r);
    layout.begin();
    CutText cell{{QStringLiteral("aa"), QStringLiteral("bb"), QStringLiteral("cc"), QStringLiteral("dd"), QStringLiteral("ee")},
                 QStringLiteral("f")};
    layout.addRow({cell});
    EXPECT_EQ(r.cells().last(), QStringLiteral("p1 cell 2,32.5 [f]"));
    EXPECT_EQ(layout.currentY().toString(), QStringLiteral("33.6"));
}

TEST(TableLayout, WrappedCellGrowsTheRowAndTheRuleLiesUnderItsLastLine)
{
    TableDesign design = oneColumn("", "60", "Str", "N", "10");
    design.columns.push_back({QStringLiteral("N"), QStringLiteral("N"), d("4"), QStringLiteral("Num"), QStringLiteral("N"), d("3")});
    Recorder r;
    TableLayout layout(design, r);
    layout.begin();
    layout.addRow({cutIntoLines(QStringLiteral("abcdefghijklmnopqrstuvwxy"), d("10"), true), single(QStringLiteral("  7"))});
    EXPECT_EQ(r.cells(), QStringList({QStringLiteral("p1 cell 2,24.5 [abcdefghij]"), QStringLiteral("p1 cell 2,26.1 [klmnopqrst]"),
                                      QStringLiteral("p1 cell 2,27.7 [uvwxy]"), QStringLiteral("p1 cell 9,24.5 [  7]")}));
    EXPECT_TRUE(r.ops.contains(QStringLiteral("p1 line 1.5,28.7-8.5,28.7 12632256")));
    EXPECT_TRUE(r.ops.contains(QStringLiteral("p1 line 8.5,25.5-13.5,25.5 12632256")));
    EXPECT_EQ(layout.currentY().toString(), QStringLiteral("29.6"));  // round(27.7) = 28, + 1.6
}

TEST(TableLayout, PageBreakBetweenRowsRedrawsFrameAndTotalsMayStandAlone)
{
    // Bottom 30: rows at 24.5, 25.6 and 27.6; after the third the next position, 29.6, passes 28,
    // so the new page comes before the search for a further record fails.
    Recorder r;
    TableLayout layout(oneColumn("T", "30", "Cur", "S", "8"), r);
    layout.begin();
    for (const char* v : {"1,50", "2,25", "1.000,00"})
        layout.addRow({single(QString::fromLatin1(v))});
    layout.finish();
    EXPECT_EQ(r.ops.filter(QStringLiteral("newpage")), QStringList{QStringLiteral("newpage rows")});
    EXPECT_EQ(r.cells(), QStringList({QStringLiteral("p1 cell 2,24.5 [1,50]"), QStringLiteral("p1 cell 2,25.6 [2,25]"),
                                      QStringLiteral("p1 cell 2,27.6 [1.000,00]")}));
    // Page 2 carries title and header again, then the totals alone at yh + 3.5.
    EXPECT_EQ(r.texts().filter(QStringLiteral("p2")),
              QStringList({QStringLiteral("p2 text 2,20 [T]"), QStringLiteral("p2 text 2,22 [Camera]"),
                           QStringLiteral("p2 text 2,25.5 [1.003,75]")}));
    EXPECT_EQ(layout.totals()[0].toString(), QStringLiteral("1003.75"));
}

TEST(TableLayout, CellThatPassesTheBottomContinuesOnAPageWithOnlyTheTable)
{
    TableDesign design = oneColumn("T", "30", "Str", "N", "1");
    design.columns.push_back({QStringLiteral("B"), QStringLiteral("B"), d("3"), QStringLiteral("Num"), QStringLiteral("S"), d("2")});
    Recorder r;
    TableLayout layout(design, r);
    layout.begin();
    layout.addRow({cutIntoLines(QStringLiteral("abcde"), d("1"), true), single(QStringLiteral(" 4"))});
    // 24.5, 26.1, 27.7 on page 1; after 27.7 the next line would be at 29.3 > 28: new page. The
    // row then ends at round(27.7) + 1.6 = 29.6 > 28, which starts a page between rows too.
    EXPECT_EQ(r.ops.filter(QStringLiteral("newpage")),
              QStringList({QStringLiteral("newpage cell"), QStringLiteral("newpage rows")}));
    EXPECT_EQ(r.cells(), QStringList({QStringLiteral("p1 cell 2,24.5 [a]"), QStringLiteral("p1 cell 2,26.1 [b]"),
                                      QStringLiteral("p1 cell 2,27.7 [c]"), QStringLiteral("p2 cell 2,24.5 [d]"),
                                      QStringLiteral("p2 cell 2,26.1 [e]"), QStringLiteral("p2 cell 2,27.7 []"),
                                      QStringLiteral("p2 cell 9,24.5 [ 4]")}));
    EXPECT_EQ(layout.totals()[1].toString(), QStringLiteral("4"));
}

TEST(TableLayout, TotalsStopAtTheFirstColumnWithoutTitleAndSkipNonAmounts)
{
    TableDesign design = oneColumn("", "60", "Num", "S", "6");
    design.columns.push_back({QStringLiteral("D"), QStringLiteral("D"), d("8"), QStringLiteral("Date"), QStringLiteral("S"), d("10")});
    design.columns.push_back({QString(), QStringLiteral("X"), d("4"), QStringLiteral("Num"), QStringLiteral("S"), d("4")});
    design.columns.push_back({QStringLiteral("Y"), QStringLiteral("Y"), d("4"), QStringLiteral("Num"), QStringLiteral("S"), d("4")});
    Recorder r;
    TableLayout layout(design, r);
    layout.begin();
    layout.addRow({single(QStringLiteral("  12,5")), single(QStringLiteral("01/05/2024")), single(QStringLiteral("   1")),
                   single(QStringLiteral("   2"))});
    layout.addRow({single(QStringLiteral("     3")), single(QStringLiteral("02/05/2024")), single(QStringLiteral("   1")),
                   single(QStringLiteral("   2"))});
    layout.finish();
    const QStringList totals = r.texts().filter(QStringLiteral(",28.6 "));
    EXPECT_EQ(totals, QStringList{QStringLiteral("p1 text 2,28.6 [  15,5]")});
}
