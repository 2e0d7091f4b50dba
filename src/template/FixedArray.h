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

}  // namespace ostrivo
