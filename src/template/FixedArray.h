#pragma once

#include "core/Errors.h"

#include <array>
#include <cstddef>

namespace ostrivo {

// A fixed-capacity list indexed from 1 in every dimension, as the template model's lists are.
// An index outside 1..N throws "subscript out of range": nothing is ever written past a capacity.
template <typename T, int... Dims>
class FixedArray {
    static_assert(sizeof...(Dims) > 0 && ((Dims > 0) && ...));

public:
    static constexpr std::size_t kSize = (static_cast<std::size_t>(Dims) * ...);
    static constexpr std::array<int, sizeof...(Dims)> kDims = {Dims...};

    template <typename... I>
    T& operator()(I... index)
    {
        return items_[offset(index...)];
    }
    template <typename... I>
    const T& operator()(I... index) const
    {
        return items_[offset(index...)];
    }

    // Capacity of dimension d (counted from 1).
    static constexpr int capacity(int d = 1) { return kDims[static_cast<std::size_t>(d - 1)]; }

    template <typename... I>
    static bool inRange(I... index)
    {
        static_assert(sizeof...(I) == sizeof...(Dims), "one index per dimension");
        std::size_t d = 0;
        return ((static_cast<long long>(index) >= 1 && static_cast<long long>(index) <= kDims[d++]) && ...);
    }

    // Every entry becomes the empty value.
    void clear() { items_.fill(T{}); }

    bool operator==(const FixedArray&) const = default;

private:
    template <typename... I>
    static std::size_t offset(I... index)
    {
        static_assert(sizeof...(I) == sizeof...(Dims), "one index per dimension");
        if (!inRange(index...))
            throw Error(err::SubscriptOutOfRange);
        std::size_t result = 0;
        std::size_t d = 0;
        ((result = result * static_cast<std::size_t>(kDims[d++]) + static_cast<std::size_t>(index - 1)), ...);
        return result;
    }

    std::array<T, kSize> items_{};
};

// The columns of a list's rows are named by an enum numbered from 1, whose name Last is its last.
template <typename Column>
constexpr int columnCount()
{
    return static_cast<int>(Column::Last);
}

// Every name of a column enum, in order.
template <typename Column>
constexpr std::array<Column, columnCount<Column>()> everyColumn()
{
    std::array<Column, columnCount<Column>()> names{};
    for (int c = 1; c <= columnCount<Column>(); ++c)
        names[static_cast<std::size_t>(c - 1)] = static_cast<Column>(c);
    return names;
}

// A fixed-capacity list of rows, indexed from 1 like FixedArray (one index, or a table's and a
// row's): each row holds one text for each name of Column, as the file format fixes them, and beside
// them what the program keeps with the row (Kept), which clears with the row.
template <typename T, typename Column, typename Kept, int... Rows>
class RecordList {
    static_assert(sizeof...(Rows) == 1 || sizeof...(Rows) == 2);

public:
    static constexpr int kColumns = columnCount<Column>();

    T& operator()(int row, Column column) requires(sizeof...(Rows) == 1) { return text(rows_(row), column); }
    const T& operator()(int row, Column column) const requires(sizeof...(Rows) == 1)
    {
        return text(rows_(row), column);
    }
    T& operator()(int table, int row, Column column) requires(sizeof...(Rows) == 2)
    {
        return text(rows_(table, row), column);
    }
    const T& operator()(int table, int row, Column column) const requires(sizeof...(Rows) == 2)
    {
        return text(rows_(table, row), column);
    }

    template <typename... I>
    Kept& kept(I... row)
    {
        return rows_(row...).kept;
    }
    template <typename... I>
    const Kept& kept(I... row) const
    {
        return rows_(row...).kept;
    }

    // Every text becomes empty, and nothing is kept.
    void clear() { rows_.clear(); }

    bool operator==(const RecordList&) const = default;

private:
    struct Row {
        std::array<T, static_cast<std::size_t>(kColumns)> texts{};
        Kept kept{};
        bool operator==(const Row&) const = default;
    };

    template <typename R>
    static auto& text(R& row, Column column)
    {
        const int c = static_cast<int>(column);
        if (c < 1 || c > kColumns)
            throw Error(err::SubscriptOutOfRange);
        return row.texts[static_cast<std::size_t>(c - 1)];
    }

    FixedArray<Row, Rows...> rows_;
};

}  // namespace ostrivo
