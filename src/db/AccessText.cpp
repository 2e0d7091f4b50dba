#include "db/AccessText.h"

#include <QChar>
#include <QString>
#include <algorithm>
#include <array>
#include <cstring>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace ostrivo::db {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i], advancing i.
char32_t nextCodePoint(std::string_view text, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char c = byte(i + static_cast<std::size_t>(k));
        if ((c & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += static_cast<std::size_t>(length);
    return cp;
}

char32_t foldSlow(char32_t c)
{
    return QChar::toCaseFolded(c);
}

// The letter under the accents: the first character of the canonical decomposition, repeated.
char32_t baseSlow(char32_t c)
{
    for (int depth = 0; depth < 4; ++depth) {
        if (QChar::decompositionTag(c) != QChar::Canonical)
            break;
        const QString d = QChar::decomposition(c);
        if (d.isEmpty())
            break;
        const char32_t first = d.at(0).isHighSurrogate() && d.size() > 1
                                   ? QChar::surrogateToUcs4(d.at(0), d.at(1))
                                   : d.at(0).unicode();
        c = foldSlow(first);
    }
    return c;
}

// Latin letters are looked up; the rest of Unicode asks Qt.
constexpr char32_t kTableSize = 0x250;
struct Tables {
    std::array<char32_t, kTableSize> fold{};
    std::array<char32_t, kTableSize> base{};
    Tables()
    {
        for (char32_t c = 0; c < kTableSize; ++c) {
            fold[c] = foldSlow(c);
            base[c] = baseSlow(fold[c]);
        }
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

inline char32_t fold(char32_t c)
{
    return c < kTableSize ? tables().fold[c] : foldSlow(c);
}

// Base of an already folded character.
inline char32_t baseOfFolded(char32_t f)
{
    return f < kTableSize ? tables().base[f] : baseSlow(f);
}

inline unsigned char asciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

}  // namespace

int compareAccessText(std::string_view a, std::string_view b)
{
    // Equal bytes are equal text, so a common beginning is skipped, up to its last ASCII byte:
    // a character never spans one, so the comparison goes on from the start of a character in
    // both texts, however malformed what comes before. (Indexes sort many texts that begin
    // alike, such as dates.)
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t same = 0;
    while (same + 8 <= common && std::memcmp(a.data() + same, b.data() + same, 8) == 0)
        same += 8;
    while (same < common && a[same] == b[same])
        ++same;
    if (same == a.size() && same == b.size())
        return 0;
    while (same > 0 && static_cast<unsigned char>(a[same - 1]) >= 0x80)
        --same;
    std::size_t i = same;
    std::size_t j = same;
    int secondary = 0;  // first accent difference, used only when the letters are all equal
    while (i < a.size() && j < b.size()) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[j]);
        if ((x | y) < 0x80) {
            const unsigned char fx = asciiLower(x);
            const unsigned char fy = asciiLower(y);
            if (fx != fy)
                return fx < fy ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        const char32_t fx = fold(nextCodePoint(a, i));
        const char32_t fy = fold(nextCodePoint(b, j));
        if (fx == fy)
            continue;
        const char32_t bx = baseOfFolded(fx);
        const char32_t by = baseOfFolded(fy);
        if (bx != by)
            return bx < by ? -1 : 1;
        if (secondary == 0)
            secondary = fx < fy ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return secondary;
}

std::uint64_t hashAccessText(std::string_view text)
{
    // Texts compare equal exactly when their folded characters are the same.
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const char32_t folded = c < 0x80 ? (++i, asciiLower(c)) : fold(nextCodePoint(text, i));
        h = (h ^ folded) * 0x100000001b3ULL;
    }
    return h;
}

QString foldAccessText(const QString& text)
{
    std::u32string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t c : text.toStdU32String())
        out.push_back(fold(c));
    return QString::fromStdU32String(out);
}

AccessTextTables accessTextTables()
{
    AccessTextTables t;
    std::u32string baseLater, toLater;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || (c >= 0xAC00 && c <= 0xD7A3))
            continue;
        const char32_t f = fold(c);
        if (f != c) {
            t.foldFrom.push_back(c);
            t.foldTo.push_back(f);
        } else if (const char32_t b = baseOfFolded(c); b != c) {
            // Folded characters are their own folding; the common ones first, as the server
            // looks each character up from the start of the list.
            (c < 0x250 ? t.baseFrom : baseLater).push_back(c);
            (c < 0x250 ? t.baseTo : toLater).push_back(b);
        }
    }
    t.baseFrom += baseLater;
    t.baseTo += toLater;
    return t;
}

namespace {

struct PatternItem {
    enum class Kind { Literal, AnyOne, AnyRun, Class } kind = Kind::Literal;
    char32_t literal = 0;                               // folded
    std::u32string ranges;                              // pairs lo, hi (folded)
    bool negated = false;
};

std::u32string foldedText(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        out.push_back(fold(nextCodePoint(text, i)));
    return out;
}

std::vector<PatternItem> parsePattern(std::string_view pattern, char32_t escape)
{
    std::u32string cps;
    for (std::size_t i = 0; i < pattern.size();)
        cps.push_back(nextCodePoint(pattern, i));
    std::vector<PatternItem> items;
    for (std::size_t k = 0; k < cps.size(); ++k) {
        const char32_t c = cps[k];
        PatternItem item;
        if (escape != 0 && c == escape && k + 1 < cps.size()) {
            item.literal = fold(cps[++k]);
        } else if (c == U'%') {
            if (!items.empty() && items.back().kind == PatternItem::Kind::AnyRun)
                continue;
            item.kind = PatternItem::Kind::AnyRun;
        } else if (c == U'_') {
            item.kind = PatternItem::Kind::AnyOne;
        } else if (c == U'[') {
            // A class runs to the next "]"; "[" with no "]" after it is a plain character.
            std::size_t end = k + 1;
            if (end < cps.size() && cps[end] == U'!')
                ++end;
            if (end < cps.size() && cps[end] == U']')
                ++end;  // "[]]" holds a "]"
            while (end < cps.size() && cps[end] != U']')
                ++end;
            if (end >= cps.size()) {
                item.literal = U'[';
            } else {
                item.kind = PatternItem::Kind::Class;
                std::size_t m = k + 1;
                if (cps[m] == U'!') {
                    item.negated = true;
                    ++m;
                }
                for (; m < end; ++m) {
                    char32_t lo = fold(cps[m]);
                    char32_t hi = lo;
                    if (m + 2 < end && cps[m + 1] == U'-') {
                        hi = fold(cps[m + 2]);
                        m += 2;
                    }
                    item.ranges.push_back(lo);
                    item.ranges.push_back(hi);
                }
                k = end;
            }
        } else {
            item.literal = fold(c);
        }
        items.push_back(std::move(item));
    }
    return items;
}

bool matchesOne(const PatternItem& item, char32_t c)
{
    switch (item.kind) {
    case PatternItem::Kind::Literal:
        return item.literal == c;
    case PatternItem::Kind::AnyOne:
        return true;
    case PatternItem::Kind::Class: {
        bool in = false;
        for (std::size_t r = 0; r + 1 < item.ranges.size(); r += 2) {
            if (c >= item.ranges[r] && c <= item.ranges[r + 1]) {
                in = true;
                break;
            }
        }
        return in != item.negated;
    }
    case PatternItem::Kind::AnyRun:
        return false;
    }
    return false;
}

}  // namespace

bool likeAccessText(std::string_view pattern, std::string_view text, char32_t escape)
{
    const std::vector<PatternItem> items = parsePattern(pattern, escape);
    const std::u32string s = foldedText(text);
    // Greedy matching that backtracks only to the last "%": linear in practice, never exponential.
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t starP = std::string::npos;
    std::size_t starT = 0;
    while (t < s.size()) {
        if (p < items.size() && items[p].kind == PatternItem::Kind::AnyRun) {
            starP = p++;
            starT = t;
        } else if (p < items.size() && matchesOne(items[p], s[t])) {
            ++p;
            ++t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < items.size() && items[p].kind == PatternItem::Kind::AnyRun)
        ++p;
    return p == items.size();
}

namespace {

int collate(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return compareAccessText(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lengthA)),
                             std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lengthB)));
}

std::string_view textArgument(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value))) : std::string_view();
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    // like(pattern, text[, escape]), as SQLite calls it for "text LIKE pattern".
    for (int k = 0; k < argc; ++k) {
        if (sqlite3_value_type(argv[k]) == SQLITE_NULL)
            return;  // NULL result
    }
    const std::string_view pattern = textArgument(argv[0]);
    if (pattern.size() > 50000) {
        sqlite3_result_error(context, "LIKE pattern too long", -1);
        return;
    }
    char32_t escape = 0;
    if (argc == 3) {
        const std::string_view e = textArgument(argv[2]);
        std::size_t i = 0;
        if (!e.empty())
            escape = nextCodePoint(e, i);
        if (e.empty() || i != e.size()) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
    }
    sqlite3_result_int(context, likeAccessText(pattern, textArgument(argv[1]), escape) ? 1 : 0);
}

}  // namespace

void registerAccessText(sqlite3* db)
{
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_collation_v2(db, kAccessCollation, SQLITE_UTF8, nullptr, collate, nullptr);
    sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
}

}  // namespace ostrivo::db
