#include "dialogs/PropertyValues.h"

#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include "support/TestSupport.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

struct TypeCase {
    int code;
    const char* fieldText;
    const char* listText;
    const char* listCode;
};

class TypeTexts : public ::testing::TestWithParam<TypeCase> {};

}  // namespace

TEST_P(TypeTexts, FieldDialogAndListDialogs)
{
    const TypeCase& c = GetParam();
    EXPECT_EQ(fieldTypeText(c.code), QString::fromLatin1(c.fieldText));
    EXPECT_EQ(listTypeText(c.code), QString::fromLatin1(c.listText));
    EXPECT_EQ(typeCodeOfText(listTypeText(c.code)), QString::fromLatin1(c.listCode));
}

INSTANTIATE_TEST_SUITE_P(Codes, TypeTexts,
                         ::testing::Values(TypeCase{1, "  1 - boolean", "  1 - boolean", "1"},
                                           TypeCase{2, "  2 - byte", "  3 - byte", "3"},
                                           TypeCase{3, "  3 - integer", "  3 - integer", "3"},
                                           TypeCase{4, "  4 - long integer", "  4 - long integer", "4"},
                                           TypeCase{5, "  5 - currency", "  5 - currency", "5"},
                                           TypeCase{6, "  6 - single", "  6 - single", "6"},
                                           TypeCase{7, "  7 - double", "  7 - double", "7"},
                                           TypeCase{8, "  8 - date", "  8 - date", "8"},
                                           TypeCase{9, "9", "9", "9"},
                                           TypeCase{10, " 10 - text", " 10 - text", "10"},
                                           TypeCase{11, " 11 - long binary", " 11 - long binary", "11"},
                                           TypeCase{12, " 12 - memo", " 12 - memo", "12"},
                                           TypeCase{15, "15", "15", "15"},
                                           TypeCase{20, "20", "20", "20"},
                                           TypeCase{0, "0", "0", "0"}));

TEST(FieldLists, NamesArePaddedTo50AndLongerOnesListedWhole)
{
    EXPECT_EQ(paddedFieldName(QStringLiteral("Cognome")), QStringLiteral("Cognome").leftJustified(50));
    EXPECT_EQ(paddedFieldName(QStringLiteral("Cognome")).size(), 50);
    const QString long55(55, QLatin1Char('n'));
    EXPECT_EQ(paddedFieldName(long55), long55);
}

TEST(Ordering, APickedFieldIsAppendedUnlessTheTextHoldsIt)
{
    const struct {
        const char* ordering;
        const char* picked;
        const char* result;
    } cases[] = {
        {"", "Ordine       ", "Ordine"},          {"Ordine", "Cliente", "Ordine-Cliente"},
        {"Ordine-Cliente", "Ordine", "Ordine-Cliente"}, {"Ordine-Cliente", "Ord", "Ordine-Cliente"},
        {"   ", "Camera", "Camera"},              {"Camera ", "Persone", "Camera -Persone"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(appendToOrdering(QString::fromLatin1(c.ordering), QString::fromLatin1(c.picked)),
                  QString::fromLatin1(c.result))
            << c.ordering << " + " << c.picked;
}

TEST(FieldPosition, TwoDecimalsWithAPointWhateverTheLocale)
{
    const struct {
        double value;
        const char* stored;
    } cases[] = {{12.5, "12.50"}, {12, "12.00"}, {-3, "-3.00"}, {0, "0.00"}, {1234.567, "1234.57"}, {0.125, "0.13"}};
    for (const QLocale& locale : {QLocale(QLocale::C), QLocale(QLocale::Italian, QLocale::Italy), QLocale(QLocale::German)}) {
        QLocale::setDefault(locale);
        for (const auto& c : cases)
            EXPECT_EQ(storedPosition(c.value), QString::fromLatin1(c.stored)) << c.value << " in " << locale.name().toStdString();
    }
    QLocale::setDefault(QLocale::system());
}

TEST(TextColor, OnlyWholeNumbersWithin32BitsAreColours)
{
    const struct {
        const char* text;
        std::optional<qint64> color;
    } cases[] = {{"255", 255},           {" 65280 ", 65280},       {"0", 0},
                 {"-2147483633", -2147483633LL}, {"16777215", 16777215}, {"", std::nullopt},
                 {"rosso", std::nullopt}, {"12abc", std::nullopt}, {"1.5", std::nullopt},
                 {"2147483648", std::nullopt}, {"99999999999", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(colorFromText(QString::fromLatin1(c.text)), c.color) << c.text;
}

TEST(Refusals, OkIsRefusedOnlyForWhatCannotBeStored)
{
    const FieldProperties field{"hotel.mdb", "Clienti", "Cognome   ", " 10 - text", "12", "Arial", "10", ""};
    auto withField = [&](auto change) {
        FieldProperties p = field;
        change(p);
        return fieldRefusal(p);
    };
    EXPECT_EQ(fieldRefusal(field), QString());
    EXPECT_EQ(withField([](FieldProperties& p) { p.width = QStringLiteral("12a"); }), QString());
    EXPECT_TRUE(withField([](FieldProperties& p) { p.database.clear(); }).contains(QStringLiteral("database")));
    EXPECT_TRUE(withField([](FieldProperties& p) { p.database = QStringLiteral("  "); }).contains(QStringLiteral("database")));
    EXPECT_FALSE(withField([](FieldProperties& p) { p.table.clear(); }).isEmpty());
    EXPECT_FALSE(withField([](FieldProperties& p) { p.field = QStringLiteral("   "); }).isEmpty());
    EXPECT_TRUE(withField([](FieldProperties& p) { p.width = QStringLiteral("abc"); }).contains(QStringLiteral("abc")));

    TableProperties table;
    table.title = QStringLiteral("Elenco");
    EXPECT_EQ(tableRefusal(table), QString());
    table.title = QStringLiteral("  ");
    EXPECT_FALSE(tableRefusal(table).isEmpty());
    EXPECT_EQ(textRefusal({QString(), QString(), QString(), QStringLiteral("255")}), QString());
    EXPECT_TRUE(textRefusal({QString(), QString(), QString(), QStringLiteral("blu")}).contains(QStringLiteral("blu")));
}

namespace {

// The record made, or a refusal or warning holding the given word.
void expectOutcome(const LineOutcome& out, const QStringList& values, const char* refusal, const char* warning)
{
    EXPECT_EQ(out.values, values);
    EXPECT_EQ(out.refusal.isEmpty(), !refusal);
    if (refusal) {
        EXPECT_TRUE(out.refusal.contains(QString::fromUtf8(refusal))) << out.refusal.toStdString();
    }
    EXPECT_EQ(out.warning.isEmpty(), !warning);
    if (warning) {
        EXPECT_TRUE(out.warning.contains(QString::fromUtf8(warning))) << out.warning.toStdString();
    }
}

struct ColumnCase {
    const char* name;
    ColumnBoxes boxes;
    int linesAfter;
    QStringList values;
    const char* refusal = nullptr;  // a word of the message
    const char* warning = nullptr;
};

class ColumnEntry : public ::testing::TestWithParam<ColumnCase> {};

ColumnBoxes column(const char* field, const char* type)
{
    return {"Camera", paddedFieldName(QString::fromLatin1(field)), type, "6", "4", "N", ""};
}

}  // namespace

TEST_P(ColumnEntry, TheLineTheInsertButtonMakes)
{
    const ColumnCase& c = GetParam();
    expectOutcome(columnFromBoxes(c.boxes, c.linesAfter), c.values, c.refusal, c.warning);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColumnEntry,
    ::testing::Values(
        ColumnCase{"integer", column("Camera", "  3 - integer"), 1, {"Camera", "Camera", "6", "4", "3", "N", ""}},
        ColumnCase{"byte_as_integer", column("Persone", "  3 - byte"), 1, {"Camera", "Persone", "6", "4", "3", "N", ""}},
        ColumnCase{"named_like_a_date", column("DataArrivo", " 10 - text"), 1, {"Camera", "DataArrivo", "6", "4", "8", "N", ""}},
        ColumnCase{"lower_case_data_keeps_its_type", column("dataArrivo", " 10 - text"), 1,
                   {"Camera", "dataArrivo", "6", "4", "10", "N", ""}},
        ColumnCase{"bare_code", column("Note", "12"), 1, {"Camera", "Note", "6", "4", "12", "N", ""}},
        ColumnCase{"trimmed",
                   {"  Totale  ", "Importo  ", "  5 - currency", " 8", "6 ", "S", "  a = 1 "},
                   1,
                   {"Totale", "Importo", "8", "6", "5", "S", "a = 1"}},
        ColumnCase{"empty_title", {"   ", "Camera", "  3 - integer", "6", "4", "N", ""}, 1, {}, "titolo"},
        ColumnCase{"field_over_20", column("CodiceClienteMoltoLungo", " 10 - text"), 1, {}, "CodiceClienteMoltoLungo"},
        ColumnCase{"field_of_20", column("CodiceClienteLungo20", "  4 - long integer"), 1,
                   {"Camera", "CodiceClienteLungo20", "6", "4", "4", "N", ""}},
        ColumnCase{"column_61", column("Camera", "  3 - integer"), 61, {}, "60"},
        ColumnCase{"column_60", column("Camera", "  3 - integer"), 60, {"Camera", "Camera", "6", "4", "3", "N", ""},
                   nullptr, "54"},
        ColumnCase{"column_55", column("Camera", "  3 - integer"), 55, {"Camera", "Camera", "6", "4", "3", "N", ""},
                   nullptr, "54"},
        ColumnCase{"column_54", column("Camera", "  3 - integer"), 54, {"Camera", "Camera", "6", "4", "3", "N", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct ParameterCase {
    const char* name;
    ParameterBoxes boxes;
    int rowsAfter;
    QStringList values;
    const char* refusal = nullptr;
    const char* warning = nullptr;
};

class ParameterEntry : public ::testing::TestWithParam<ParameterCase> {};

ParameterBoxes parameter(const QString& column, const QString& prompt, const char* defaultValue = "<nessuno>")
{
    return {paddedFieldName(column), prompt, ">=  maggiore o uguale a", defaultValue, "  8 - date", "Prenotazioni",
            "hotel.mdb"};
}

const QStringList kArrival = {"DataArrivo", "Dalla data", ">=", "<nessuno>", "8", "Prenotazioni", "hotel.mdb"};

}  // namespace

TEST_P(ParameterEntry, TheRowTheInsertButtonMakes)
{
    const ParameterCase& c = GetParam();
    expectOutcome(parameterFromBoxes(c.boxes, c.rowsAfter), c.values, c.refusal, c.warning);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParameterEntry,
    ::testing::Values(
        ParameterCase{"arrival", parameter("DataArrivo", "Dalla data"), 1, kArrival},
        ParameterCase{"default_cut_to_10", parameter("DataArrivo", "Dalla data", "20240101 e oltre"), 1,
                      {"DataArrivo", "Dalla data", ">=", "20240101 e", "8", "Prenotazioni", "hotel.mdb"}},
        ParameterCase{"no_column", parameter("", "Dalla data"), 1, {}, "campo"},
        ParameterCase{"column_over_20", parameter("DataArrivoPrevistaCliente", "Dalla data"), 1, {}, "DataArrivoPrevistaCliente"},
        ParameterCase{"prompt_over_50", parameter("DataArrivo", QString(51, QLatin1Char('p'))), 1, {}, "51"},
        ParameterCase{"prompt_of_50", parameter("DataArrivo", QString(50, QLatin1Char('p'))), 1,
                      {"DataArrivo", QString(50, QLatin1Char('p')), ">=", "<nessuno>", "8", "Prenotazioni", "hotel.mdb"}},
        ParameterCase{"no_operator",
                      {"Camera", "Camera", "", "1", "  3 - integer", "Prenotazioni", "hotel.mdb"},
                      1,
                      {},
                      "operatore"},
        ParameterCase{"row_31", parameter("DataArrivo", "Dalla data"), 31, {}, "30"},
        ParameterCase{"row_30", parameter("DataArrivo", "Dalla data"), 30, kArrival, nullptr, "10"},
        ParameterCase{"row_11", parameter("DataArrivo", "Dalla data"), 11, kArrival, nullptr, "10"},
        ParameterCase{"row_10", parameter("DataArrivo", "Dalla data"), 10, kArrival}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Store, TableOkWritesItsRowAndColumnsAndEmptiesTheRowsAfterThem)
{
    VN3Routine model;
    for (int j = 1; j <= 5; ++j) {
        for (const ColumnAttr a : everyColumn<ColumnAttr>())
            model.ColonneTabella(2, j, a) = QStringLiteral("old %1.%2").arg(j).arg(static_cast<int>(a));
    }
    model.Tabelle(1, TableAttr::Title) = QStringLiteral("Altra");
    model.ColonneTabella(1, 3, ColumnAttr::Title) = QStringLiteral("altra colonna");

    const std::vector<QStringList> columns = {{"Camera", "Camera", "6", "4", "3", "N", ""},
                                              {"Importo", "Importo", "10", "8", "5", "S", "a = 1"}};
    storeTable(model, 2, {"Elenco", "Arial", "9", "hotel.mdb", "Prenotazioni", "Camera-Persone", "Pagato = True"}, columns);
    EXPECT_EQ(storedColumns(model, 2), columns);
    const QStringList row = {"Elenco", "Arial", "9", "hotel.mdb", "Prenotazioni", "Camera-Persone", "Pagato = True"};
    for (const TableAttr c : everyColumn<TableAttr>())
        EXPECT_EQ(model.Tabelle(2, c), row[static_cast<int>(c) - 1]);
    for (int j = 3; j <= VN3Routine::MaxColonne; ++j) {
        for (const ColumnAttr a : everyColumn<ColumnAttr>())
            EXPECT_EQ(model.ColonneTabella(2, j, a), QString()) << j << "." << static_cast<int>(a);
    }
    EXPECT_EQ(model.Tabelle(1, TableAttr::Title), QStringLiteral("Altra"));
    EXPECT_EQ(model.ColonneTabella(1, 3, ColumnAttr::Title), QStringLiteral("altra colonna"));
}

TEST(Store, FieldOkWritesTheRowAndTheLabelWidth)
{
    VN3Routine model;
    CanvasControl label;
    label.left = 12.5;
    label.top = 3;
    label.width = 21.86;
    storeFieldProperties(model, 7, label,
                         {"/dati/hotel.mdb", "Clienti", "Cognome" + QString(43, QLatin1Char(' ')), " 10 - text", "12a",
                          "Arial", "10", "CodiceCliente = <PARAM1>"});
    const QStringList row = {"/dati/hotel.mdb", "Clienti", "Cognome", " 10 - text", "12.50", "3.00", "12", "Arial",
                             "10", "CodiceCliente = <PARAM1>"};
    for (const FieldAttr c : everyColumn<FieldAttr>())
        EXPECT_EQ(model.CampiDB(7, c), row[static_cast<int>(c) - 1]) << static_cast<int>(c);
    EXPECT_EQ(label.width, 12);
    EXPECT_EQ(label.left, 12.5);
}

TEST(Store, ParameterOkReplacesTheListAndTheReferences)
{
    VN3Routine model;
    for (int i = 1; i <= 12; ++i)
        model.ElencoParametri(i, ParameterAttr::FieldName) = QStringLiteral("Vecchio%1").arg(i);
    const std::vector<QStringList> rows = {{"DataArrivo", "Dalla data", ">=", "<nessuno>", "8"},
                                           {"Camera", "Camera", "=", "1", "3"}};
    storeParameters(model, QStringLiteral("hotel.mdb"), QStringLiteral("Prenotazioni"), rows);
    EXPECT_EQ(storedParameters(model), rows);
    EXPECT_EQ(model.ElencoParametri(3, ParameterAttr::FieldName), QString());
    EXPECT_EQ(model.ElencoParametri(12, ParameterAttr::FieldName), QString());
    EXPECT_EQ(model.DatabaseRif, QStringLiteral("hotel.mdb"));
    EXPECT_EQ(model.TabellaRif, QStringLiteral("Prenotazioni"));
}

TEST(Store, TextOkWritesTheLabelButNotItsPlace)
{
    CanvasControl label;
    label.left = 4;
    label.top = 5;
    label.width = 9;
    storeTextProperties(label, {"Data_oggi", "Times New Roman", "22", "-2147483633"});
    EXPECT_EQ(label.caption, QStringLiteral("Data_oggi"));
    EXPECT_EQ(label.fontName, QStringLiteral("Times New Roman"));
    EXPECT_EQ(label.fontSize, 22);
    EXPECT_EQ(label.foreColor.value(), -2147483633LL);
    EXPECT_EQ(label.left, 4);
    EXPECT_EQ(label.top, 5);
    EXPECT_EQ(label.width, 9);
}
