#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;

namespace ostrivo::db {

// Access compares text without regard to case, accented letters included: "ROSSI" = "Rossi",
// "NICCOLÒ" = "Niccolò". Accents still tell texts apart ("Citta" <> "Città") and order them
// after the plain letter, next to it: "Citta" < "Città" < "Cittadella" < "Cittb".
// Texts are UTF-8; a malformed byte counts as U+FFFD.
int compareAccessText(std::string_view a, std::string_view b);

// A hash of a text that agrees with compareAccessText: texts that compare equal hash equal.
std::uint64_t hashAccessText(std::string_view text);

// SQL LIKE as the translator emits it from an Access pattern: % any run, _ any one character,
// [abc], [a-z] and [!abc] character classes, and an optional escape character; letters match
// without regard to case, as in compareAccessText.
bool likeAccessText(std::string_view pattern, std::string_view text, char32_t escape = 0);

// The text in the folded form that compareAccessText compares for equality.
QString foldAccessText(const QString& text);

// The character tables behind compareAccessText, for a database server that must compare the
// same way: each code point whose case folding differs from it, with its folding; each folded
// code point whose letter under the accents differs from it, with that letter. Latin letters
// come first. Hangul syllables are left out (their letter under the accents is a jamo).
struct AccessTextTables {
    std::u32string foldFrom, foldTo;
    std::u32string baseFrom, baseTo;
};
AccessTextTables accessTextTables();

// The collation named by kAccessCollation, and like() replaced by likeAccessText, on a
// connection. Text columns of the query engine are declared "COLLATE ACCESS".
inline constexpr const char* kAccessCollation = "ACCESS";
void registerAccessText(sqlite3* db);

}  // namespace ostrivo::db
