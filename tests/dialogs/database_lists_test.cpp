#include "dialogs/DatabaseLists.h"

#include "core/Errors.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace ostrivo;

TEST(DatabaseLists, HotelTablesWithoutTheEngineOwnButWithMsysdata)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    QStringList tables = databaseTables(test::testDataFile(QStringLiteral("hotel.mdb")));
    tables.sort();
    EXPECT_EQ(tables, QStringList({"Catering", "Clienti", "Hotel", "Prenotazioni", "Tipi", "msysdata"}));
}

TEST(DatabaseLists, FieldsInTheTableOrderWithTheEngineTypeCodes)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    std::vector<std::pair<QString, int>> fields;
    for (const DatabaseField& f : tableFields(test::testDataFile(QStringLiteral("hotel.mdb")), QStringLiteral("Tipi")))
        fields.emplace_back(f.name, f.type);
    const std::vector<std::pair<QString, int>> expected = {
        {"ID", 4},     {"SiNo", 1},  {"Byte", 2},  {"Intero", 3}, {"Lungo", 4},    {"Valuta", 5},
        {"Singolo", 6}, {"Doppio", 7}, {"DataOra", 8}, {"Testo", 10}, {"TestoNonCompresso", 10},
        {"Memo", 12},  {"Binario", 9}, {"Oggetto", 11}, {"Guid", 15}, {"Decimale", 20}};
    EXPECT_EQ(fields, expected);
}

TEST(DatabaseLists, OnlyNamesBeginningExactlyWithMSysAreLeftOut)
{
    test::ScopedCurrentDir dir;
    test::createSqliteDatabase(dir.file(QStringLiteral("t.db")), QStringLiteral(R"(
        CREATE TABLE MSysObjects (a INTEGER); CREATE TABLE msysdata (a INTEGER); CREATE TABLE MSYSx (a INTEGER);
        CREATE TABLE MSy (a INTEGER); CREATE TABLE Clienti (a INTEGER); CREATE TABLE MSysACEs (a INTEGER);)"));
    QStringList tables = databaseTables(QStringLiteral("t.db"));
    tables.sort();
    EXPECT_EQ(tables, QStringList({"Clienti", "MSYSx", "MSy", "msysdata"}));
}

TEST(DatabaseLists, FailuresNameTheFileOrTheTable)
{
    test::ScopedCurrentDir dir;
    try {
        databaseTables(QStringLiteral("manca.mdb"));
        FAIL() << "a missing database was read";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("manca.mdb"))) << e.description().toStdString();
    }
    test::createSqliteDatabase(dir.file(QStringLiteral("t.db")), QStringLiteral("CREATE TABLE Clienti (a INTEGER);"));
    try {
        tableFields(QStringLiteral("t.db"), QStringLiteral("Ospiti"));
        FAIL() << "a missing table was read";
    } catch (const Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("Ospiti"))) << e.description().toStdString();
    }
}
