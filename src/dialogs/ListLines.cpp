#include "dialogs/ListLines.h"

#include <utility>

namespace ostrivo {

QString buildFixedLine(std::span<const int> places, const QStringList& values)
{
    QString line;
    for (std::size_t k = 0; k < places.size(); ++k) {
        if (k > 0)
            line += QLatin1Char(' ');
        const QString value = static_cast<qsizetype>(k) < values.size() ? values[static_cast<qsizetype>(k)] : QString();
        line += value.left(places[k]).leftJustified(places[k], QLatin1Char(' '));
    }
    return line;
}

QStringList parseFixedLine(std::span<const int> places, const QString& line)
{
    QStringList values;
    qsizetype start = 0;
    for (const int width : places) {
        values << line.mid(start, width).trimmed();
        start += width + 1;
    }
    return values;
}

bool fitsPlaces(std::span<const int> places, const QStringList& values)
{
    for (std::size_t k = 0; k < places.size() && static_cast<qsizetype>(k) < values.size(); ++k) {
        if (values[static_cast<qsizetype>(k)].size() > places[k])
            return false;
    }
    return true;
}

ListLine makeListLine(std::span<const int> places, const QStringList& values)
{
    ListLine line{buildFixedLine(places, values), {}};
    // Blanks at either end are not kept by the places either; only what would be cut matters.
    QStringList trimmed;
    for (const QString& v : values)
        trimmed << v.trimmed();
    if (!fitsPlaces(places, trimmed))
        line.kept = trimmed;
    return line;
}

QStringList lineValues(std::span<const int> places, const ListLine& line)
{
    return line.kept.isEmpty() ? parseFixedLine(places, line.text) : line.kept;
}

void EditedList::select(int index)
{
    selected_ = index >= 0 && index < size() ? index : -1;
}

int EditedList::place(ListLine line, bool modify)
{
    if (modify && selected_ >= 0) {
        lines_[static_cast<std::size_t>(selected_)] = std::move(line);
        return selected_;
    }
    lines_.push_back(std::move(line));
    return size() - 1;
}

bool EditedList::selectionActs() const
{
    return selected_ >= 0 && !lines_[static_cast<std::size_t>(selected_)].text.trimmed().isEmpty();
}

bool EditedList::swapSelected(int offset)
{
    if (!selectionActs())
        return false;
    const int other = selected_ + offset;
    if (other < 0 || other >= size())
        return false;
    std::swap(lines_[static_cast<std::size_t>(selected_)], lines_[static_cast<std::size_t>(other)]);
    selected_ = other;
    return true;
}

bool EditedList::moveUp()
{
    return swapSelected(-1);
}

bool EditedList::moveDown()
{
    return swapSelected(1);
}

bool EditedList::removeSelected()
{
    if (!selectionActs())
        return false;
    lines_.erase(lines_.begin() + selected_);
    selected_ = -1;
    return true;
}

}  // namespace ostrivo
