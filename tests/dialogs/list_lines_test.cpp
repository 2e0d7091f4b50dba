#include "dialogs/ListLines.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

// A value expected at a 1-based position of a line.
struct At {
    int position;
    const char* text;
};

struct LineCase {
    const char* name;
    bool column;  // a column line, else a parameter row
    QStringList values;
    int length;
    std::vector<At> places;
    QStringList readBack;  // what the places give back
};

class FixedLines : public ::testing::TestWithParam<LineCase> {};

std::span<const int> placesOf(bool column)
{
    return column ? std::span<const int>(kColumnPlaces) : std::span<const int>(kParameterPlaces);
}

}  // namespace

TEST_P(FixedLines, ValuesStandAtTheirPlacesAndReadBack)
{
    const LineCase& c = GetParam();
    const QString line = buildFixedLine(placesOf(c.column), c.values);
    EXPECT_EQ(line.size(), c.length);
    for (const At& at : c.places)
        EXPECT_EQ(line.mid(at.position - 1, qsizetype(qstrlen(at.text))), QString::fromUtf8(at.text)) << "at " << at.position;
    EXPECT_EQ(parseFixedLine(placesOf(c.column), line), c.readBack);
}

const QString k30 = QStringLiteral("Descrizione dell'evento lunga");  // 29
const QString k100 = QString(100, QLatin1Char('r'));

INSTANTIATE_TEST_SUITE_P(
    Cases, FixedLines,
    ::testing::Values(
        LineCase{"currency_column",
                 true,
                 {"Importo", "Importo", "10", "8", "5", "S", "NumeroHotel = 1"},
                 164,
                 {{1, "Importo "}, {31, " Importo"}, {52, " 10 8  5   S NumeroHotel = 1"}},
                 {"Importo", "Importo", "10", "8", "5", "S", "NumeroHotel = 1"}},
        LineCase{"full_places",
                 true,
                 {k30 + "X", "CodiceClienteLungo20", "99", "99", "10", "N", k100},
                 164,
                 {{30, "X CodiceClienteLungo20 99 99 10  N r"}, {164, "r"}},
                 {k30 + "X", "CodiceClienteLungo20", "99", "99", "10", "N", k100}},
        LineCase{"empty_column", true, {"", "", "", "", "", "", ""}, 164, {{1, "      "}}, {"", "", "", "", "", "", ""}},
        LineCase{"blanks_around_values_are_not_read_back",
                 true,
                 {" Camera ", "Camera", "6", "4", "3", "N", " a = 1 "},
                 164,
                 {{1, " Camera "}, {65, " a = 1 "}},
                 {"Camera", "Camera", "6", "4", "3", "N", "a = 1"}},
        LineCase{"overlong_title_is_cut_in_the_line",
                 true,
                 {k30 + "XYZ", "Campo", "1", "2", "10", "N", ""},
                 164,
                 {{1, "Descrizione"}, {30, "X Campo"}},
                 {k30 + "X", "Campo", "1", "2", "10", "N", ""}},
        LineCase{"parameter_row",
                 false,
                 {"DataArrivo", "Dalla data", ">=", "<nessuno>", "8", "Prenotazioni", "hotel.mdb"},
                 211,
                 {{1, "DataArrivo "}, {22, "Dalla data "}, {72, " >= <nessuno>  8   Prenotazioni"}, {112, "hotel.mdb"}},
                 {"DataArrivo", "Dalla data", ">=", "<nessuno>", "8", "Prenotazioni", "hotel.mdb"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FixedLines, AShortLineGivesEmptyValuesForThePlacesItDoesNotReach)
{
    EXPECT_EQ(parseFixedLine(kParameterPlaces, QStringLiteral("Camera")),
              QStringList({"Camera", "", "", "", "", "", ""}));
}

TEST(FixedLines, ValuesThatDoNotFitAreKeptWholeBesideTheLine)
{
    const QStringList fitting = {"Camera", "Camera", "6", "4", "3", "N", ""};
    const ListLine plain = makeListLine(kColumnPlaces, fitting);
    EXPECT_TRUE(plain.kept.isEmpty());
    EXPECT_EQ(lineValues(kColumnPlaces, plain), fitting);

    const QStringList overlong = {"Titolo di colonna più lungo di trenta", "Camera", "100", "120", "10", "S",
                                  QString(130, QLatin1Char('x'))};
    const ListLine whole = makeListLine(kColumnPlaces, overlong);
    EXPECT_EQ(whole.text.size(), 164);
    EXPECT_EQ(lineValues(kColumnPlaces, whole), overlong);
}

namespace {

struct EditCase {
    const char* name;
    QStringList lines;
    int selected;
    std::function<bool(EditedList&)> edit;
    bool changed;
    QStringList after;
    int selectedAfter;
};

class ListEdits : public ::testing::TestWithParam<EditCase> {};

ListLine line(const QString& text)
{
    return ListLine{text, {}};
}

auto placing(const char* text, bool modify)
{
    return [=](EditedList& l) { return l.place(line(QString::fromUtf8(text)), modify) >= 0; };
}

}  // namespace

TEST_P(ListEdits, MoveDeleteInsertModify)
{
    const EditCase& c = GetParam();
    EditedList list;
    for (const QString& text : c.lines)
        list.place(line(text), false);
    list.select(c.selected);
    EXPECT_EQ(c.edit(list), c.changed);
    QStringList after;
    for (const ListLine& l : list.lines())
        after << l.text;
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(list.selected(), c.selectedAfter);
}

const QStringList kABC = {"A", "B", "C"};
const auto kUp = [](EditedList& l) { return l.moveUp(); };
const auto kDown = [](EditedList& l) { return l.moveDown(); };
const auto kRemove = [](EditedList& l) { return l.removeSelected(); };

INSTANTIATE_TEST_SUITE_P(
    Cases, ListEdits,
    ::testing::Values(EditCase{"up_takes_the_selection_along", kABC, 1, kUp, true, {"B", "A", "C"}, 0},
                      EditCase{"up_on_the_first_line", kABC, 0, kUp, false, kABC, 0},
                      EditCase{"down_takes_the_selection_along", kABC, 1, kDown, true, {"A", "C", "B"}, 2},
                      EditCase{"down_on_the_last_line", kABC, 2, kDown, false, kABC, 2},
                      EditCase{"up_without_a_selection", kABC, -1, kUp, false, kABC, -1},
                      EditCase{"down_without_a_selection", kABC, -1, kDown, false, kABC, -1},
                      EditCase{"delete_leaves_no_selection", kABC, 1, kRemove, true, {"A", "C"}, -1},
                      EditCase{"delete_without_a_selection", kABC, -1, kRemove, false, kABC, -1},
                      EditCase{"blank_line_is_not_moved", {"A", "   "}, 1, kUp, false, {"A", "   "}, 1},
                      EditCase{"blank_line_is_not_deleted", {"A", "   "}, 1, kRemove, false, {"A", "   "}, 1},
                      EditCase{"modify_replaces_the_selected_line", kABC, 1, placing("X", true), true, {"A", "X", "C"}, 1},
                      EditCase{"modify_without_a_selection_adds", kABC, -1, placing("X", true), true, {"A", "B", "C", "X"}, -1},
                      EditCase{"insert_adds_at_the_end", kABC, 0, placing("X", false), true, {"A", "B", "C", "X"}, 0},
                      EditCase{"selection_out_of_range_is_none", kABC, 3, kRemove, false, kABC, -1}),
    [](const auto& info) { return std::string(info.param.name); });
