#pragma once

#include <QString>
#include <QStringList>
#include <span>
#include <vector>

namespace ostrivo {

// The lists of the table and parameter dialogs show one record a line, each value at a fixed
// place: left-aligned, padded with blanks to its width, one blank between values. The dialogs read
// the values back from those places when they store.

// A table column: title, field, column width, field width, type code, total flag, relation
// (164 characters).
inline constexpr int kColumnPlaces[] = {30, 20, 2, 2, 3, 1, 100};
// A report parameter: column name, prompt, operator, default, type code, then the reference table
// and database it was chosen from (shown, never read back).
inline constexpr int kParameterPlaces[] = {20, 50, 2, 10, 3, 20, 100};
// The parameter values that are read back.
inline constexpr int kParameterValues = 5;
inline constexpr int kReferenceDatabasePlace = 6;

// The values of a line follow the columns of the list it shows, an enum numbered from 1
// (ColumnAttr, ParameterAttr).
template <typename Column>
constexpr qsizetype linePlace(Column column)
{
    return static_cast<qsizetype>(column) - 1;
}

// The line of a record; a value longer than its place is cut to it.
QString buildFixedLine(std::span<const int> places, const QStringList& values);
// The values at their places, without blanks at either end; places a short line does not reach
// give empty values.
QStringList parseFixedLine(std::span<const int> places, const QString& line);
// True when every value fits its place.
bool fitsPlaces(std::span<const int> places, const QStringList& values);

// One entry of an edited list. A record whose values do not fit their places (one read from a
// file the dialogs did not write) keeps them whole beside the cut line it is shown as.
struct ListLine {
    QString text;
    QStringList kept;  // empty: the line itself holds the values
};

ListLine makeListLine(std::span<const int> places, const QStringList& values);
QStringList lineValues(std::span<const int> places, const ListLine& line);

// The working copy of a list with its selection (-1: none). Moves and deletion act only on a
// selected line that is not blank.
class EditedList {
public:
    const std::vector<ListLine>& lines() const { return lines_; }
    int size() const { return static_cast<int>(lines_.size()); }
    int selected() const { return selected_; }
    // Selects a line (-1 or an index out of range: none).
    void select(int index);

    // "inserisci" adds the line at the end; "modifica" replaces the selected line, and with no
    // selected line adds it too. Returns the line's index.
    int place(ListLine line, bool modify);
    // Swap the selected line with its neighbour; the selection follows it. False when nothing
    // moved (no line, the first line up, the last line down).
    bool moveUp();
    bool moveDown();
    // Removes the selected line; nothing stays selected.
    bool removeSelected();

private:
    bool selectionActs() const;
    bool swapSelected(int offset);

    std::vector<ListLine> lines_;
    int selected_ = -1;
};

}  // namespace ostrivo
