#pragma once

#include "db/Variant.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace ostrivo::db {

// Recent values of one column of a record set. A report's columns repeat their values (dates,
// descriptions, rooms, amounts, codes): a value met again is handed out shared, its text already
// made, instead of being converted and formatted anew. Bounded: a few hundred short values.
class ValueMemo {
public:
    // The slot where the value belongs; it holds the value when `holds` says so.
    struct Slot {
        int type = SQLITE_NULL;  // what the slot holds: SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT
        std::uint64_t bits = 0;  // the integer, or the double's bits
        std::string utf8;        // the text
        Variant value;
    };
    static constexpr std::size_t kLongestText = 64;

    Slot& number(int type, std::uint64_t bits) { return slots_[spread(bits ^ static_cast<std::uint64_t>(type))]; }
    Slot& text(std::string_view utf8)
    {
        // Eight bytes at a time; the length joins in, so that texts of zeros differ.
        std::uint64_t h = utf8.size();
        std::size_t i = 0;
        for (; i + 8 <= utf8.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, utf8.data() + i, 8);
            h = (h ^ word) * 0x9E3779B97F4A7C15ULL;
        }
        std::uint64_t tail = 0;
        std::memcpy(&tail, utf8.data() + i, utf8.size() - i);
        return slots_[spread(h ^ tail)];
    }
    static bool holds(const Slot& slot, int type, std::uint64_t bits)
    {
        return slot.type == type && slot.bits == bits;
    }
    static bool holds(const Slot& slot, std::string_view utf8)
    {
        return slot.type == SQLITE_TEXT && std::string_view(slot.utf8) == utf8;
    }

private:
    static constexpr int kBits = 8;
    static std::size_t spread(std::uint64_t h) { return static_cast<std::size_t>((h * 0x9E3779B97F4A7C15ULL) >> (64 - kBits)); }
    std::array<Slot, std::size_t{1} << kBits> slots_;
};

}  // namespace ostrivo::db
