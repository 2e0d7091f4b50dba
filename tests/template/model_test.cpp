#include "template/TypeTable.h"
#include "template/VN3Routine.h"

#include <gtest/gtest.h>

using namespace ostrivo;

TEST(TypeTable, CodesToWordsAndBack)
{
    for (const char* code : {"1", "2", "3", "4", "6", "7", "11"})
        EXPECT_EQ(typeWordForCode(QString::fromLatin1(code)), QStringLiteral("Num")) << code;
    EXPECT_EQ(typeWordForCode(QStringLiteral("5")), QStringLiteral("Cur"));
    EXPECT_EQ(typeWordForCode(QStringLiteral("10")), QStringLiteral("Str"));
    EXPECT_EQ(typeWordForCode(QStringLiteral("12")), QStringLiteral("Str"));
    EXPECT_EQ(typeWordForCode(QStringLiteral("8")), QStringLiteral("Date"));
    // Numbers no type code can be, however large ("1e74" once overflowed the conversion to int).
    for (const char* code : {"", "0", "9", "15", "20", "x", "4.5", "1e74", "-1e300", "4294967306", "-4294967286"})
        EXPECT_EQ(typeWordForCode(QString::fromLatin1(code)), QString()) << code;
    // A byte column and a double column both read back as code 2.
    EXPECT_EQ(typeCodeForWord(typeWordForCode(QStringLiteral("2"))), QStringLiteral("2"));
    EXPECT_EQ(typeCodeForWord(typeWordForCode(QStringLiteral("7"))), QStringLiteral("2"));
    EXPECT_EQ(typeCodeForWord(QStringLiteral("Cur")), QStringLiteral("5"));
    EXPECT_EQ(typeCodeForWord(QStringLiteral("Str")), QStringLiteral("10"));
    EXPECT_EQ(typeCodeForWord(QStringLiteral("Date")), QStringLiteral("8"));
    EXPECT_EQ(typeCodeForWord(QStringLiteral("num")), QString());
    EXPECT_EQ(typeCodeForWord(QStringLiteral("Null")), QString());
}

TEST(TypeTable, ColumnsNamedDataAreDates)
{
    EXPECT_EQ(typeCodeForColumn(QStringLiteral("DataArrivo"), QStringLiteral("10")), QStringLiteral("8"));
    EXPECT_EQ(typeCodeForColumn(QStringLiteral("Data"), QString()), QStringLiteral("8"));
    EXPECT_EQ(typeCodeForColumn(QStringLiteral("dataArrivo"), QStringLiteral("10")), QStringLiteral("10"));
    EXPECT_EQ(typeCodeForColumn(QStringLiteral("Dat"), QStringLiteral("4")), QStringLiteral("4"));
}

TEST(VN3Routine, ListsAreIndexedFromOneAndBoundsChecked)
{
    VN3Routine m;
    m.TestoAttivo(500) = QStringLiteral("S");
    EXPECT_THROW(m.TestoAttivo(501) = QStringLiteral("S"), Error);
    EXPECT_THROW(m.TestoAttivo(0), Error);
    m.CampiDB(200, FieldAttr::Relation) = QStringLiteral("x");
    EXPECT_THROW(m.CampiDB(201, FieldAttr::Database), Error);
    EXPECT_THROW(m.CampiDB(1, static_cast<FieldAttr>(11)), Error);
    m.ColonneTabella(10, 60, ColumnAttr::Relation) = QStringLiteral("rel");
    EXPECT_EQ(m.ColonneTabella(10, 60, ColumnAttr::Relation), QStringLiteral("rel"));
    EXPECT_THROW(m.ColonneTabella(10, 61, ColumnAttr::Title), Error);
    EXPECT_THROW(m.ColonneTabella(11, 1, ColumnAttr::Title), Error);
    EXPECT_THROW(m.ElencoParametri(31, ParameterAttr::FieldName), Error);
    EXPECT_THROW(m.ValoriRichiesta(31), Error);
    EXPECT_THROW(m.Immagini(101), Error);
    try {
        m.Tabelle(11, TableAttr::Title);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::SubscriptOutOfRange);
    }
    // Distinct cells do not alias.
    m.ColonneTabella(1, 2, ColumnAttr::ColumnWidth) = QStringLiteral("a");
    m.ColonneTabella(1, 3, ColumnAttr::FieldName) = QStringLiteral("b");
    EXPECT_EQ(m.ColonneTabella(1, 2, ColumnAttr::ColumnWidth), QStringLiteral("a"));
}

TEST(VN3Routine, ClearingTheCanvasKeepsActiveFlagsAndReferences)
{
    VN3Routine m;
    m.NumTesti = 3;
    m.NumCampi = 2;
    m.NumImmagini = 1;
    m.NumRettangoli = 4;
    m.NumTabelle = 1;
    m.NumParametri = 2;
    m.DatabaseRif = QStringLiteral("archivio.mdb");
    m.TestoAttivo(3) = QStringLiteral("S");
    m.RettangoloAttivo(4) = QStringLiteral("S");
    m.Immagini(1) = QStringLiteral("logo.jpg");
    m.CampiDB(2, FieldAttr::FieldName) = QStringLiteral("Cognome");
    m.ElencoParametri(1, ParameterAttr::FieldName) = QStringLiteral("DataArrivo");
    m.Tabelle(1, TableAttr::Title) = QStringLiteral("Elenco");
    m.ColonneTabella(1, 1, ColumnAttr::Title) = QStringLiteral("Camera");
    m.clearCanvasLists();
    EXPECT_EQ(m.NumTesti + m.NumCampi + m.NumImmagini + m.NumRettangoli + m.NumTabelle, 0);
    EXPECT_EQ(m.Immagini(1), QString());
    EXPECT_EQ(m.CampiDB(2, FieldAttr::FieldName), QString());
    EXPECT_EQ(m.ElencoParametri(1, ParameterAttr::FieldName), QString());
    EXPECT_EQ(m.Tabelle(1, TableAttr::Title), QString());
    EXPECT_EQ(m.ColonneTabella(1, 1, ColumnAttr::Title), QString());
    EXPECT_EQ(m.TestoAttivo(3), QStringLiteral("S"));
    EXPECT_EQ(m.RettangoloAttivo(4), QStringLiteral("S"));
    EXPECT_EQ(m.DatabaseRif, QStringLiteral("archivio.mdb"));
    EXPECT_EQ(m.NumParametri, 2);
}
