#include "db/AccessText.h"

#include <QString>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <algorithm>
#include <string>
#include <vector>

using namespace ostrivo::db;

namespace {
int cmp(const char* a, const char* b)
{
    return compareAccessText(a, b);
}
bool like(const char* pattern, const char* text, char32_t escape = 0)
{
    return likeAccessText(pattern, text, escape);
}
}  // namespace

TEST(AccessText, CaseIsIgnoredAccentedLettersIncluded)
{
    EXPECT_EQ(cmp("ROSSI", "Rossi"), 0);
    EXPECT_EQ(cmp("NICCOLÒ", "Niccolò"), 0);
    EXPECT_EQ(cmp("FORLÌ", "forlì"), 0);
    EXPECT_EQ(cmp("ΩΜΈΓΑ", "ωμέγα"), 0);
    EXPECT_EQ(cmp("ПРИВЕТ", "привет"), 0);
    EXPECT_EQ(cmp("", ""), 0);
}

TEST(AccessText, AccentsStillTellTextsApartAndSortNextToTheirLetter)
{
    EXPECT_NE(cmp("Citta", "Città"), 0);
    EXPECT_LT(cmp("Citta", "Città"), 0);
    EXPECT_LT(cmp("Città", "Cittadella"), 0);
    EXPECT_LT(cmp("Cittadella", "Cittb"), 0);
    EXPECT_LT(cmp("Nicolò", "Nicolo z"), 0);  // "ò" sorts with "o", before what follows
    EXPECT_LT(cmp("èa", "eb"), 0);           // the letters decide before the accent
    EXPECT_LT(cmp("Rossi", "ROSSINI"), 0);
    EXPECT_GT(cmp("b", "A"), 0);
    EXPECT_LT(cmp("20240101", "20250101"), 0);
}

TEST(AccessText, OrderIsConsistent)
{
    std::vector<std::string> words = {"città", "Citta", "CITTÀ", "cittadella", "Zeta", "ábaco", "abaco",
                                      "Abaco", "b", "", "Ωμέγα", "é", "E", "e", "\xff\xfe bad"};
    for (const auto& a : words) {
        EXPECT_EQ(compareAccessText(a, a), 0) << a;
        for (const auto& b : words) {
            const int ab = compareAccessText(a, b);
            EXPECT_EQ((ab > 0) - (ab < 0), -((compareAccessText(b, a) > 0) - (compareAccessText(b, a) < 0))) << a << " " << b;
            for (const auto& c : words) {
                if (ab <= 0 && compareAccessText(b, c) <= 0) {
                    EXPECT_LE(compareAccessText(a, c), 0) << a << " " << b << " " << c;
                }
            }
        }
    }
}

TEST(AccessText, ACommonBeginningDoesNotChangeTheOrder)
{
    // Texts that begin alike, as an index's keys do: the beginning, ASCII or not, never decides.
    const std::vector<std::string> prefixes = {"", "2025", "Città ", "NICCOLÒ ", "Ωμέγα ", "x"};
    const std::vector<std::string> tails = {"", "a", "A", "b", "à", "á", "ab", "àb", "é", "e", "E", "0101",
                                            "0102", "Ω", "ω", "\xc3", "\xc3\xa9", "\xe2\x82" "A", "\xe2\x82" "B", "\x80"};
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& p : prefixes) {
        for (const auto& a : tails) {
            for (const auto& b : tails) {
                EXPECT_EQ(sign(compareAccessText(p + a, p + b)), sign(compareAccessText(a, b))) << p << a << " " << p << b;
            }
        }
    }
    // A character split by the end of the common bytes is compared whole.
    EXPECT_LT(cmp("citt\xc3\xa0" "a", "citt\xc3\xa1" "a"), 0);  // "à" and "á": only the accent differs
    EXPECT_LT(cmp("citt\xc3\xa0" "a", "citt\xc3\xa1" "b"), 0);  // the letters decide before the accent
    EXPECT_GT(cmp("citt\xc3\xa0" "b", "citt\xc3\xa1" "a"), 0);
    EXPECT_EQ(cmp("citt\xc3\xa0", "CITT\xc3\x80"), 0);    // "à" and "À"
    EXPECT_GT(cmp("\xc3" "A", "\xc3\xa9"), 0);              // a malformed byte counts as U+FFFD, after "é"
    EXPECT_LT(cmp("\xe2\x82" "A", "\xe2\x82" "B"), 0);
    EXPECT_EQ(cmp("\xe2\x82" "a", "\xe2\x82" "A"), 0);
}

TEST(AccessText, TextsThatCompareEqualHashEqual)
{
    const std::vector<std::string> words = {"Rossi", "ROSSI", "rossi", "Città", "CITTÀ", "Citta", "NICCOLÒ", "Niccolò",
                                            "Ωμέγα", "ΩΜΈΓΑ", "", "\xc3" "A", "\xc3" "a", "\xff", "\xfe", "K", "\xe2\x84\xaa"};
    for (const auto& a : words) {
        for (const auto& b : words) {
            if (compareAccessText(a, b) == 0) {
                EXPECT_EQ(hashAccessText(a), hashAccessText(b)) << a << " " << b;
            }
        }
    }
    // Different texts differ in their hash, as a rule.
    EXPECT_NE(hashAccessText("Citta"), hashAccessText("Città"));
    EXPECT_NE(hashAccessText("ab"), hashAccessText("ba"));
    EXPECT_NE(hashAccessText(""), hashAccessText("a"));
}

TEST(AccessText, LikeWildcardsAndClasses)
{
    EXPECT_TRUE(like("ROSS%", "Rossi"));
    EXPECT_TRUE(like("%colò", "NICCOLÒ"));
    EXPECT_TRUE(like("R_ssi", "rossi"));
    EXPECT_FALSE(like("R_ssi", "Rosssi"));
    EXPECT_TRUE(like("[A-C]%", "bianchi"));
    EXPECT_FALSE(like("[!A-C]%", "Bianchi"));
    EXPECT_TRUE(like("[!A-C]%", "Rossi"));
    EXPECT_TRUE(like("[0-9][0-9]%", "2024"));
    EXPECT_FALSE(like("[0-9][0-9]%", "2a24"));
    EXPECT_TRUE(like("50[%]", "50%"));
    EXPECT_FALSE(like("50[%]", "500"));
    EXPECT_TRUE(like("a[[]b", "a[b"));
    EXPECT_TRUE(like("a[b", "a[b"));  // no closing bracket: a plain character
    EXPECT_TRUE(like("%", ""));
    EXPECT_FALSE(like("_", ""));
    EXPECT_TRUE(like("%a%b%c%", "xxaxxbxxcxx"));
    EXPECT_FALSE(like("%a%b%c%", "xxaxxcxxbxx"));
    EXPECT_TRUE(like("10!%", "10%", U'!'));
    EXPECT_FALSE(like("10!%", "100", U'!'));
    EXPECT_FALSE(like("Citta", "Città"));  // accents count
}

TEST(AccessText, LikeStaysFastOnAdversarialPatterns)
{
    const std::string text(5000, 'a');
    const std::string pattern = std::string(50, '%') + "%a%a%a%a%a%a%a%a%b";
    EXPECT_FALSE(likeAccessText(pattern, text));
}

namespace {
// An in-memory database with the collation and like() of Access text.
struct Memory {
    sqlite3* db = nullptr;
    Memory()
    {
        sqlite3_open(":memory:", &db);
        registerAccessText(db);
        exec("CREATE TABLE c (name TEXT COLLATE ACCESS)");
        exec("INSERT INTO c VALUES ('Rossi'), ('Niccolò'), ('Città'), ('Citta'), ('bianchi'), ('Àlberto'), ('zeta'), (NULL)");
    }
    ~Memory() { sqlite3_close(db); }
    void exec(const char* sql) { ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db); }
    std::vector<std::string> names(const char* sql)
    {
        std::vector<std::string> out;
        sqlite3_stmt* s = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        while (s && sqlite3_step(s) == SQLITE_ROW)
            out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        return out;
    }
};
using Names = std::vector<std::string>;
}  // namespace

TEST(AccessText, QueryEngineComparesEqualsInLikeAndOrderThisWay)
{
    Memory m;
    EXPECT_EQ(m.names("SELECT name FROM c WHERE name = 'ROSSI'"), Names({"Rossi"}));
    EXPECT_EQ(m.names("SELECT name FROM c WHERE 'NICCOLÒ' = name"), Names({"Niccolò"}));
    EXPECT_EQ(m.names("SELECT name FROM c WHERE name IN ('CITTÀ', 'ZETA') ORDER BY name"), Names({"Città", "zeta"}));
    EXPECT_EQ(m.names("SELECT name FROM c WHERE name LIKE 'CITT%' ORDER BY name"), Names({"Citta", "Città"}));
    EXPECT_EQ(m.names("SELECT name FROM c WHERE name <> 'rossi' AND name > 'B' AND name < 'D' ORDER BY name"),
              Names({"bianchi", "Citta", "Città"}));
    EXPECT_EQ(m.names("SELECT name FROM c WHERE name IS NOT NULL ORDER BY name"),
              Names({"Àlberto", "bianchi", "Citta", "Città", "Niccolò", "Rossi", "zeta"}));
    EXPECT_EQ(m.names("SELECT name FROM c WHERE name LIKE NULL"), Names());
    EXPECT_EQ(m.names("SELECT name FROM c WHERE name LIKE 'r%' ESCAPE '!'"), Names({"Rossi"}));
}
