#pragma once

#include <cstdint>
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

// The collation named by kAccessCollation, and like() replaced by likeAccessText, on a
// connection. Text columns of the query engine are declared "COLLATE ACCESS".
inline constexpr const char* kAccessCollation = "ACCESS";
void registerAccessText(sqlite3* db);

}  // namespace ostrivo::db
