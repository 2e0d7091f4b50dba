#include "template/Helpers.h"

#include <gtest/gtest.h>

using namespace ostrivo;

namespace {
QString norm(QString value, int mode)
{
    return NormalizzaValore(value, mode);
}
}  // namespace

TEST(EstraiCampo, FieldsAreTakenUnchangedBetweenCommas)
{
    const QString page = QStringLiteral("80,75,");
    EXPECT_EQ(EstraiCampo(page, 1), QStringLiteral("80"));
    EXPECT_EQ(EstraiCampo(page, 2), QStringLiteral("75"));
    EXPECT_THROW(EstraiCampo(page, 3), MissingFieldError);
    EXPECT_EQ(EstraiCampo(QStringLiteral(",x,"), 1), QString());
    EXPECT_EQ(EstraiCampo(QStringLiteral(",x,"), 2), QStringLiteral("x"));
    EXPECT_EQ(EstraiCampo(QStringLiteral("a ,b,"), 1), QStringLiteral("a "));
    EXPECT_EQ(EstraiCampo(QStringLiteral("a,b,tail"), 2), QStringLiteral("b"));
    EXPECT_THROW(EstraiCampo(QStringLiteral("a,b,tail"), 3), MissingFieldError);
}

TEST(EstraiCampo, LineWithoutCommaFailsForEveryPositiveFieldAndCarriesTheLine)
{
    const QString line = QStringLiteral("senza virgole");
    EXPECT_EQ(EstraiCampo(line, 0), QString());
    EXPECT_EQ(EstraiCampo(line, -3), QString());
    for (int n = 1; n <= 3; ++n) {
        try {
            EstraiCampo(line, n);
            FAIL() << n;
        } catch (const MissingFieldError& e) {
            EXPECT_EQ(e.line(), line);
            EXPECT_EQ(e.field(), n);
            EXPECT_EQ(e.number(), err::InvalidArgument);
        }
    }
}

TEST(NormalizzaValore, TextModeUpperCasesAndTurnsApostrophes)
{
    EXPECT_EQ(norm(QStringLiteral("l'albergo"), 0), QStringLiteral("L´ALBERGO"));
    EXPECT_EQ(norm(QString(), 0), QStringLiteral(" "));
    EXPECT_EQ(norm(QStringLiteral("   "), 0), QStringLiteral(" "));
    EXPECT_EQ(norm(QStringLiteral(" niccolò d'angelo "), 0), QStringLiteral("NICCOLÒ D´ANGELO"));
}

TEST(NormalizzaValore, NumberModesFilterCharacters)
{
    EXPECT_EQ(norm(QStringLiteral("12a,5"), 1), QStringLiteral("12,5"));
    EXPECT_EQ(norm(QStringLiteral("abc"), 1), QStringLiteral("0"));
    EXPECT_EQ(norm(QStringLiteral("1.234,50"), 4), QStringLiteral("1234.50"));
    EXPECT_EQ(norm(QStringLiteral("-3,00"), 4), QStringLiteral("-3.00"));
    EXPECT_EQ(norm(QStringLiteral("12.5"), 4), QStringLiteral("125"));
    EXPECT_EQ(norm(QStringLiteral("x"), 4), QStringLiteral("0"));
    EXPECT_EQ(norm(QStringLiteral("12"), 7), QStringLiteral("0"));  // unknown mode drops everything
}

TEST(NormalizzaValore, CurrencyAndDecimalModesFormatItalianTwoDecimals)
{
    EXPECT_EQ(norm(QStringLiteral("1234.50"), 2), QStringLiteral("1.234,50"));
    EXPECT_EQ(norm(QStringLiteral("1234,5"), 2), QStringLiteral("1.234,50"));
    EXPECT_EQ(norm(QStringLiteral("12"), 2), QStringLiteral("12,00"));
    EXPECT_EQ(norm(QStringLiteral("7"), 3), QStringLiteral("7,00"));
    EXPECT_EQ(norm(QStringLiteral("1.234,50"), 2), QStringLiteral("1.234,50"));
    EXPECT_EQ(norm(QStringLiteral("-1234567,891"), 2), QStringLiteral("-1.234.567,89"));
    EXPECT_EQ(norm(QStringLiteral("0,005"), 2), QStringLiteral("0,01"));  // halves away from zero
    EXPECT_EQ(norm(QStringLiteral("9,999"), 2), QStringLiteral("10,00"));
    EXPECT_EQ(norm(QStringLiteral(""), 2), QStringLiteral("0,00"));
    // A dot not followed by exactly two characters stays, and the result is not a number.
    EXPECT_EQ(norm(QStringLiteral("12.5"), 2), QStringLiteral("12.5"));
    EXPECT_EQ(norm(QStringLiteral("1,2,3"), 2), QStringLiteral("1,2,3"));
    // Long amounts keep every digit.
    EXPECT_EQ(norm(QStringLiteral("123456789012345678901,5"), 2), QStringLiteral("123.456.789.012.345.678.901,50"));
}

TEST(NormalizzaValore, CallerVariableReceivesTrimmedTextFormAndNullBecomesSpace)
{
    QString value = QStringLiteral("  12a ");
    EXPECT_EQ(NormalizzaValore(value, 1), QStringLiteral("12"));
    EXPECT_EQ(value, QStringLiteral("12a"));
    EXPECT_EQ(NormalizzaValore(LooseValue::null(), 1), QStringLiteral("0"));
    EXPECT_EQ(NormalizzaValore(LooseValue::null(), 0), QStringLiteral(" "));
    EXPECT_EQ(NormalizzaValore(LooseValue::number(QStringLiteral("652.5")), 1), QStringLiteral("652,5"));
    EXPECT_EQ(NormalizzaValore(LooseValue::number(QStringLiteral("1234.5")), 2), QStringLiteral("1.234,50"));
    EXPECT_EQ(NormalizzaValore(LooseValue::number(QStringLiteral("-0.25")), 2), QStringLiteral("-0,25"));
    EXPECT_EQ(textForm(LooseValue::fromText(QStringLiteral(" Rossi "))), QStringLiteral("Rossi"));
}

TEST(CompletaData, CompletesByLength)
{
    auto complete = [](QString text) { return CompletaData(text); };
    EXPECT_EQ(complete(QStringLiteral("010524")), QStringLiteral("01/05/2024"));
    EXPECT_EQ(complete(QStringLiteral("010599")), QStringLiteral("01/05/1999"));
    EXPECT_EQ(complete(QStringLiteral("311224")), QStringLiteral("31/12/2024"));
    EXPECT_EQ(complete(QStringLiteral("010125")), QStringLiteral("01/01/1925"));
    EXPECT_EQ(complete(QStringLiteral("010124")), QStringLiteral("01/01/2024"));
    EXPECT_EQ(complete(QStringLiteral("0101ab")), QStringLiteral("01/01/20ab"));
    EXPECT_EQ(complete(QStringLiteral("01052024")), QStringLiteral("01/05/2024"));
    EXPECT_EQ(complete(QStringLiteral("1/5/2024")), QStringLiteral("1//5//2024"));
    EXPECT_EQ(complete(QStringLiteral("0105202")), QStringLiteral("0105202"));
    EXPECT_EQ(complete(QString()), QString());
    QString variable = QStringLiteral("010524");
    CompletaData(variable);
    EXPECT_EQ(variable, QStringLiteral("01/05/2024"));
}

TEST(NomeFileDaPercorso, KeepsTheTextAfterTheLastSeparator)
{
    EXPECT_EQ(NomeFileDaPercorso(QStringLiteral("C:\\Dati\\archivio.mdb")), QStringLiteral("archivio.mdb"));
    EXPECT_EQ(NomeFileDaPercorso(QStringLiteral("logo.jpg")), QStringLiteral("logo.jpg"));
    EXPECT_EQ(NomeFileDaPercorso(QStringLiteral("C:\\Dati\\")), QString());
    EXPECT_EQ(NomeFileDaPercorso(QStringLiteral("/home/anna/Immagini/logo.jpg")), QStringLiteral("logo.jpg"));
    EXPECT_EQ(NomeFileDaPercorso(QStringLiteral("C:\\a/b\\c.mdb")), QStringLiteral("c.mdb"));
}

TEST(SostituisciCarattere, ReplacesEveryOccurrenceKeepingTheLength)
{
    EXPECT_EQ(SostituisciCarattere(QStringLiteral("DataArrivo-Camera-Nome"), QStringLiteral("-"), QStringLiteral(",")),
              QStringLiteral("DataArrivo,Camera,Nome"));
    EXPECT_EQ(SostituisciCarattere(QStringLiteral("a-b"), QStringLiteral("-"), QString()), QStringLiteral("a-b"));
    EXPECT_EQ(SostituisciCarattere(QStringLiteral("a--b"), QStringLiteral("--"), QStringLiteral(",")), QStringLiteral("a--b"));
    EXPECT_EQ(SostituisciCarattere(QStringLiteral("a-b"), QStringLiteral("-"), QStringLiteral("xy")), QStringLiteral("axb"));
}
