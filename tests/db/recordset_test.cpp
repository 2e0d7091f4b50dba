// Record sets on hotel.mdb and movimenti_medio.mdb: filters, orderings, the Access forms and the
// searches, each checked against what the CSV ground truth says the rows must be.

#include "DbTestSupport.h"
#include "db/Cache.h"

#include <QDir>
#include <algorithm>
#include <functional>

using namespace ostrivo;
using namespace ostrivo::db;

namespace {

// A table of the ground truth as rows of named text values (Null: no entry).
using Row = QHash<QString, QString>;
std::vector<Row> groundTruth(const QString& relative)
{
    const auto csv = test::db::readCsv(test::testDataFile(relative));
    std::vector<Row> rows;
    for (std::size_t r = 1; r < csv.size(); ++r) {
        Row row;
        for (std::size_t c = 0; c < csv[0].size(); ++c) {
            if (!csv[r][c].isNull())
                row.insert(csv[0][c].text, csv[r][c].text);
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<Row> where(const std::vector<Row>& rows, const std::function<bool(const Row&)>& keep)
{
    std::vector<Row> out;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(out), keep);
    return out;
}

QStringList column(const std::vector<Row>& rows, const QString& name)
{
    QStringList out;
    for (const Row& r : rows)
        out << r.value(name);
    return out;
}

// Access's text order, computed independently: letters without accents and case first, then
// the accented forms.
QString primaryKey(const QString& s)
{
    QString out;
    for (QChar c : s.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            out += c;
    }
    return out.toCaseFolded();
}
bool accessLess(const QString& a, const QString& b)
{
    const int primary = primaryKey(a).compare(primaryKey(b));
    return primary != 0 ? primary < 0 : a.toCaseFolded() < b.toCaseFolded();
}

int number(const Row& r, const char* name)
{
    return r.value(QString::fromUtf8(name)).toInt();
}

QString hotelFile()
{
    return test::testDataFile(QStringLiteral("hotel.mdb"));
}

}  // namespace

TEST(Recordset, TextFiltersIgnoreCaseAsAccessDoes)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(hotelFile());
    const auto count = [&](const QString& sql) {
        auto rs = db->OpenRecordset(sql);
        return test::db::walk(*rs, QStringLiteral("True"), QStringLiteral("Cognome")).size();
    };
    EXPECT_EQ(count(QStringLiteral("Select * From Clienti Where Cognome = 'ROSSI'")), 1);
    EXPECT_EQ(count(QStringLiteral("Select * From Clienti Where Cognome = 'rossi'")), 1);
    EXPECT_EQ(count(QStringLiteral("Select * From Clienti Where Nome = 'NICCOLÒ'")), 1);
    EXPECT_EQ(count(QStringLiteral("Select * From Clienti Where Nome = 'NICCOLO'")), 0);  // accents count
    EXPECT_EQ(count(QStringLiteral("Select * From Clienti Where Cognome = 'D''ANGELO'")), 1);
    EXPECT_EQ(count(QStringLiteral("Select * From Clienti Where Cognome <> 'ESPOSITO' And NumeroHotel = 1")),
              where(groundTruth(QStringLiteral("csv/hotel/Clienti.csv")), [](const Row& r) {
                  return r.value(QStringLiteral("Cognome")) != QLatin1String("Esposito") && number(r, "NumeroHotel") == 1;
              }).size());
    EXPECT_EQ(count(QStringLiteral("Select * From Clienti Where Citta In ('FORLÌ', 'CANTÙ', 'mondovì')")),
              where(groundTruth(QStringLiteral("csv/hotel/Clienti.csv")), [](const Row& r) {
                  return QStringList({QStringLiteral("Forlì"), QStringLiteral("Cantù"), QStringLiteral("Mondovì")})
                      .contains(r.value(QStringLiteral("Citta")));
              }).size());
    EXPECT_EQ(count(QStringLiteral("Select * From Clienti Where Cognome Like 'ri*'")), 4);  // Ricci x2, Rizzo, Rinaldi
    EXPECT_EQ(count(QStringLiteral("Select * From Clienti Where Cognome > 'y'")), 0);
    // The print run upper-cases every text parameter; the searches compare the same way.
    auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti"));
    EXPECT_EQ(test::db::walk(*rs, QStringLiteral("Citta = 'FORLÌ' and NumeroHotel = 1"), QStringLiteral("Nome")),
              QStringList({QStringLiteral("Niccolò")}));
}

TEST(Recordset, OrderByTextFollowsAccessOrder)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(hotelFile());
    auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti Where Nome Is Not Null Order by Nome, NumeroHotel, CodiceCliente"));
    const QStringList names = test::db::walk(*rs, QStringLiteral("True"), QStringLiteral("Nome"));
    auto rows = where(groundTruth(QStringLiteral("csv/hotel/Clienti.csv")), [](const Row& r) { return r.contains(QStringLiteral("Nome")); });
    QStringList expected = column(rows, QStringLiteral("Nome"));
    std::stable_sort(expected.begin(), expected.end(), accessLess);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(names.first(), QString());  // "" before every letter
}

TEST(Recordset, FiltersAndOrderingsReturnTheRightRows)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(hotelFile());
    auto rs = db->OpenRecordset(QStringLiteral(
        "Select * From Prenotazioni where NumeroHotel = 1 and DataArrivo >= '20250101' Order by DataArrivo,NumeroPrenotazione;"));
    auto rows = where(groundTruth(QStringLiteral("csv/hotel/Prenotazioni.csv")), [](const Row& r) {
        return number(r, "NumeroHotel") == 1 && r.value(QStringLiteral("DataArrivo")) >= QLatin1String("20250101");
    });
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return std::pair(a.value(QStringLiteral("DataArrivo")), number(a, "NumeroPrenotazione")) <
               std::pair(b.value(QStringLiteral("DataArrivo")), number(b, "NumeroPrenotazione"));
    });
    ASSERT_GT(rows.size(), 10u);
    EXPECT_EQ(test::db::walk(*rs, QStringLiteral("NumeroHotel = 1"), QStringLiteral("NumeroPrenotazione")),
              column(rows, QStringLiteral("NumeroPrenotazione")));
}

TEST(Recordset, SearchesVisitExactlyTheMatchingRowsInTheRecordSetsOrder)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(hotelFile());
    auto all = groundTruth(QStringLiteral("csv/hotel/Prenotazioni.csv"));
    // Importo descending (Null last), then NumeroPrenotazione, then hotel.
    std::stable_sort(all.begin(), all.end(), [](const Row& a, const Row& b) {
        const bool an = !a.contains(QStringLiteral("Importo"));
        const bool bn = !b.contains(QStringLiteral("Importo"));
        if (an != bn)
            return bn;
        const double ai = a.value(QStringLiteral("Importo")).toDouble();
        const double bi = b.value(QStringLiteral("Importo")).toDouble();
        if (ai != bi)
            return ai > bi;
        return std::pair(number(a, "NumeroPrenotazione"), number(a, "NumeroHotel")) <
               std::pair(number(b, "NumeroPrenotazione"), number(b, "NumeroHotel"));
    });
    const auto expected = column(where(all, [](const Row& r) {
                                     return number(r, "NumeroHotel") == 2 && r.value(QStringLiteral("Pagato")) == QLatin1String("1");
                                 }),
                                 QStringLiteral("NumeroPrenotazione"));
    ASSERT_GT(expected.size(), 5);
    const QString criteria = QStringLiteral("NumeroHotel = 2 and Pagato = True");
    // One statement for a simple query; row by row for one that is not (a subquery in FROM).
    for (const char* sql : {"Select * From Prenotazioni Order by Importo Desc, NumeroPrenotazione, NumeroHotel",
                            "Select * From (Select * From Prenotazioni) As p Order by Importo Desc, NumeroPrenotazione, NumeroHotel"}) {
        auto rs = db->OpenRecordset(QString::fromUtf8(sql));
        EXPECT_EQ(test::db::walk(*rs, criteria, QStringLiteral("NumeroPrenotazione")), expected) << sql;
        // A second walk on the same record set gives the same rows.
        EXPECT_EQ(test::db::walk(*rs, criteria, QStringLiteral("NumeroPrenotazione")), expected) << sql;
    }
}

TEST(Recordset, SearchesOnAJoinTestEachRow)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(hotelFile());
    auto rs = db->OpenRecordset(QStringLiteral(
        "Select p.NumeroPrenotazione, c.Cognome, p.Importo From Prenotazioni As p Inner Join Clienti As c "
        "On p.NumeroHotel = c.NumeroHotel And p.CodiceCliente = c.CodiceCliente Where p.NumeroHotel = 1 "
        "Order by c.Cognome, p.NumeroPrenotazione"));
    const auto clients = groundTruth(QStringLiteral("csv/hotel/Clienti.csv"));
    std::vector<std::pair<QString, int>> expected;
    for (const Row& p : groundTruth(QStringLiteral("csv/hotel/Prenotazioni.csv"))) {
        if (number(p, "NumeroHotel") != 1)
            continue;
        for (const Row& c : clients) {
            if (number(c, "NumeroHotel") == 1 && number(c, "CodiceCliente") == number(p, "CodiceCliente") &&
                c.value(QStringLiteral("Cognome")).startsWith(QLatin1Char('R'), Qt::CaseInsensitive) &&
                p.contains(QStringLiteral("Importo")))
                expected.emplace_back(c.value(QStringLiteral("Cognome")), number(p, "NumeroPrenotazione"));
        }
    }
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
        return accessLess(a.first, b.first) || (a.first == b.first && a.second < b.second);
    });
    QStringList want;
    for (const auto& e : expected)
        want << QString::number(e.second);
    ASSERT_FALSE(want.isEmpty());
    EXPECT_EQ(test::db::walk(*rs, QStringLiteral("Cognome Like 'r*' And Importo Is Not Null"), QStringLiteral("NumeroPrenotazione")), want);
}

TEST(Recordset, FindNextGoesOnFromTheCurrentRowWhateverFoundIt)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(hotelFile());
    auto rows = where(groundTruth(QStringLiteral("csv/hotel/Prenotazioni.csv")),
                      [](const Row& r) { return number(r, "NumeroHotel") == 1; });
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return number(a, "NumeroPrenotazione") < number(b, "NumeroPrenotazione"); });
    auto rs = db->OpenRecordset(QStringLiteral("Select * From Prenotazioni Where NumeroHotel = 1 Order By NumeroPrenotazione"));

    // A fresh record set stands on its first row; FindNext starts after it.
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("NumeroPrenotazione")).Value().text(), QStringLiteral("1"));
    rs->FindNext(QStringLiteral("NumeroHotel = 1"));
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("NumeroPrenotazione")).Value().text(), QStringLiteral("2"));

    rs->FindFirst(QStringLiteral("NumeroPrenotazione = 10"));
    ASSERT_FALSE(rs->NoMatch());
    rs->FindNext(QStringLiteral("Pagato = False"));
    ASSERT_FALSE(rs->NoMatch());
    const auto next = std::find_if(rows.begin(), rows.end(), [](const Row& r) {
        return number(r, "NumeroPrenotazione") > 10 && r.value(QStringLiteral("Pagato")) == QLatin1String("0");
    });
    ASSERT_NE(next, rows.end());
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("NumeroPrenotazione")).Value().text(), next->value(QStringLiteral("NumeroPrenotazione")));
    rs->FindNext(QStringLiteral("NumeroPrenotazione = 5"));  // behind the current row
    EXPECT_TRUE(rs->NoMatch());
}

TEST(Recordset, NoMatchLeavesNoCurrentRecord)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(hotelFile());
    auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti Order By Cognome"));
    EXPECT_FALSE(rs->NoMatch());
    rs->FindFirst(QStringLiteral("Cognome = 'Nessuno'"));
    EXPECT_TRUE(rs->NoMatch());
    const DatabaseError e = test::db::expectDatabaseError([&] { rs->Fields().Item(QStringLiteral("Cognome")).Value(); });
    EXPECT_EQ(e.number(), err::NoCurrentRecord);
    EXPECT_TRUE(e.description().contains(QStringLiteral("Cognome")));
    rs->FindNext(QStringLiteral("True"));
    EXPECT_TRUE(rs->NoMatch());
    rs->FindFirst(QStringLiteral("True"));  // starts again from the top
    EXPECT_FALSE(rs->NoMatch());

    auto empty = db->OpenRecordset(QStringLiteral("Select * From Clienti Where 1 = 0"));
    EXPECT_EQ(test::db::expectDatabaseError([&] { empty->Fields().Item(0).Value(); }).number(), err::NoCurrentRecord);
    empty->FindFirst(QStringLiteral("True"));
    EXPECT_TRUE(empty->NoMatch());
}

TEST(Recordset, AccessFormsInQueries)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(hotelFile());
    const auto values = [&](const QString& sql, const QString& field) {
        auto rs = db->OpenRecordset(sql);
        return test::db::walk(*rs, QStringLiteral("True"), field);
    };
    const auto bookings = groundTruth(QStringLiteral("csv/hotel/Prenotazioni.csv"));
    const auto paid = where(bookings, [](const Row& r) { return r.value(QStringLiteral("Pagato")) == QLatin1String("1"); });
    EXPECT_EQ(values(QStringLiteral("Select * From [Prenotazioni] Where [Pagato] = True"), QStringLiteral("Pagato")).size(),
              static_cast<qsizetype>(paid.size()));
    EXPECT_EQ(values(QStringLiteral("Select * From Prenotazioni Where Pagato = False"), QStringLiteral("Pagato")).size(),
              static_cast<qsizetype>(bookings.size() - paid.size()));
    EXPECT_EQ(values(QStringLiteral("Select * From Clienti Where Cognome = \"D'Angelo\""), QStringLiteral("Nome")),
              QStringList({QStringLiteral("Niccolò")}));
    EXPECT_EQ(values(QStringLiteral("Select * From Clienti Where Cognome Like \"?icc*\" Order By NumeroHotel"), QStringLiteral("Cognome")),
              QStringList({QStringLiteral("Ricci"), QStringLiteral("Ricci")}));
    EXPECT_EQ(values(QStringLiteral("Select * From Clienti Where Cognome Like 'ROS' & '*'"), QStringLiteral("Cognome")),
              QStringList({QStringLiteral("Rossi")}));
    EXPECT_EQ(values(QStringLiteral("Select * From Clienti Where Cognome Like Citta & '%'"), QStringLiteral("Cognome")),
              QStringList());  // % is a plain character in an Access pattern
    EXPECT_EQ(values(QStringLiteral("Select ID From Tipi Where DataOra < #1/1/1900# Order By ID"), QStringLiteral("ID")),
              QStringList({QStringLiteral("2"), QStringLiteral("4")}));
    EXPECT_EQ(values(QStringLiteral("Select ID From Tipi Where DataOra = #2024-02-29 13:45:30#"), QStringLiteral("ID")),
              QStringList({QStringLiteral("1")}));
    EXPECT_EQ(values(QStringLiteral("Select ID From Tipi Where Testo Like '*#*'"), QStringLiteral("ID")), QStringList());
    // "--" is two minus signs, not a comment that drops the rest.
    EXPECT_EQ(values(QStringLiteral("Select * From Clienti Where CodiceCliente = 5--3 And NumeroHotel = 1"), QStringLiteral("CodiceCliente")),
              QStringList({QStringLiteral("8")}));
    // & reads Null as "": client 1/6 has no Nome.
    EXPECT_EQ(values(QStringLiteral("Select Cognome & ', ' & Nome As Intestatario From Clienti Where NumeroHotel = 1 And CodiceCliente = 6"),
                     QStringLiteral("Intestatario")),
              QStringList({QStringLiteral("Società Agricola Colli Romagnoli s.r.l., ")}));
    // Booleans come back as Access gives them: -1 and 0.
    auto rs = db->OpenRecordset(QStringLiteral("Prenotazioni"));  // a table's name alone
    rs->FindFirst(QStringLiteral("Pagato = True"));
    ASSERT_FALSE(rs->NoMatch());
    const Variant pagato = rs->Fields().Item(QStringLiteral("pagato")).Value();  // names ignore case
    EXPECT_TRUE(pagato.isBoolean());
    EXPECT_EQ(pagato.text(), QStringLiteral("-1"));
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("PAGATO")).Type(), 1);
    EXPECT_EQ(rs->Fields().Item(QStringLiteral("Importo")).Type(), 5);
}

TEST(Recordset, TableNamesWithSpacesAndUmlauts)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    const QString nwind = test::testDataFile(QStringLiteral("real/nwind.mdb"));
    const auto exported = test::db::runTool(QStringLiteral("mdb-export"), {nwind, QStringLiteral("Order Details")});
    if (!exported)
        GTEST_SKIP() << "mdb-export is not installed";
    int details = 0;
    for (const auto& row : test::db::parseCsv(QString::fromUtf8(*exported)))
        details += row[0].text == QLatin1String("10248") ? 1 : 0;
    ASSERT_GT(details, 0);

    auto db = dbEngine().OpenDatabase(nwind);
    auto rs = db->OpenRecordset(QStringLiteral("Select * From [Order Details] Where [Order Details].OrderID = 10248"));
    EXPECT_EQ(test::db::walk(*rs, QStringLiteral("True"), QStringLiteral("ProductID")).size(), details);
    QStringList stored;
    for (const char* name : {"Select * From [Umsätze]", "Select * From [UMSÄTZE]", "Select * From Umsätze"}) {
        auto u = db->OpenRecordset(QString::fromUtf8(name));
        const QStringList ids = test::db::walk(*u, QStringLiteral("True"), QStringLiteral("OrderID"));
        EXPECT_EQ(ids.size(), 830) << name;
        if (stored.isEmpty())
            stored = ids;
        EXPECT_EQ(ids, stored) << name;  // the same rows in the same order, whatever the spelling
        u->FindFirst(QStringLiteral("OrderID = ") + stored.at(10));
        u->FindNext(QStringLiteral("OrderID > 0"));
        ASSERT_FALSE(u->NoMatch()) << name;
        EXPECT_EQ(u->Fields().Item(QStringLiteral("OrderID")).Value().text(), stored.at(11)) << name;
    }
    EXPECT_EQ(db->TableDefs().Item(QStringLiteral("umsätze")).Name(), QStringLiteral("Umsätze"));
}

TEST(Recordset, RecordSetsStayValidWhileOthersDecodeAndIndexTables)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    dropCache();
    auto db = dbEngine().OpenDatabase(test::testDataFile(QStringLiteral("movimenti_medio.mdb")));
    auto truth = groundTruth(QStringLiteral("csv/movimenti_medio/Movimenti.csv"));
    auto hotel1 = where(truth, [](const Row& r) { return number(r, "NumeroHotel") == 1; });
    std::sort(hotel1.begin(), hotel1.end(), [](const Row& a, const Row& b) {
        return std::pair(a.value(QStringLiteral("DataMovimento")), number(a, "Progressivo")) <
               std::pair(b.value(QStringLiteral("DataMovimento")), number(b, "Progressivo"));
    });
    auto byProgressivo = truth;
    std::sort(byProgressivo.begin(), byProgressivo.end(), [](const Row& a, const Row& b) {
        return std::pair(number(a, "Progressivo"), number(a, "NumeroHotel")) < std::pair(number(b, "Progressivo"), number(b, "NumeroHotel"));
    });

    // The first record set is half-way through when the second one orders the same table (an
    // index is made for it) and a third one decodes another database's table.
    auto first = db->OpenRecordset(QStringLiteral("Select * From Movimenti Order By Progressivo, NumeroHotel"));
    QStringList seen;
    first->FindFirst(QStringLiteral("True"));
    for (int i = 0; i < 100; ++i, first->FindNext(QStringLiteral("True")))
        seen << first->Fields().Item(QStringLiteral("Progressivo")).Value().text() + QLatin1Char('/') +
                    first->Fields().Item(QStringLiteral("NumeroHotel")).Value().text();

    auto second = db->OpenRecordset(QStringLiteral("Select * From Movimenti Where NumeroHotel = 1 Order By DataMovimento, Progressivo"));
    EXPECT_EQ(test::db::walk(*second, QStringLiteral("NumeroHotel = 1"), QStringLiteral("Progressivo")),
              column(hotel1, QStringLiteral("Progressivo")));
    auto other = dbEngine().OpenDatabase(hotelFile());
    auto third = other->OpenRecordset(QStringLiteral("Select * From Catering"));
    third->FindFirst(QStringLiteral("True"));
    EXPECT_FALSE(third->NoMatch());

    for (; !first->NoMatch(); first->FindNext(QStringLiteral("True")))
        seen << first->Fields().Item(QStringLiteral("Progressivo")).Value().text() + QLatin1Char('/') +
                    first->Fields().Item(QStringLiteral("NumeroHotel")).Value().text();
    QStringList expected;
    for (const Row& r : byProgressivo)
        expected << r.value(QStringLiteral("Progressivo")) + QLatin1Char('/') + r.value(QStringLiteral("NumeroHotel"));
    EXPECT_EQ(seen, expected);
}

TEST(Recordset, TablesAreDecodedOnceAndOnlyWhenAQueryNeedsThem)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    dropCache();
    {
        auto db = dbEngine().OpenDatabase(hotelFile());
        EXPECT_EQ(db->TableDefs().Count(), 11);
        EXPECT_EQ(db->TableDefs().Item(QStringLiteral("Clienti")).Fields().Count(), 6);
        EXPECT_EQ(cacheStatistics().tablesDecoded, 0);  // listing decodes nothing
        auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti Where NumeroHotel = 1"));
        EXPECT_EQ(cacheStatistics().tablesDecoded, 1);
        db->Close();
    }
    for (int i = 0; i < 3; ++i) {
        auto db = dbEngine().Workspaces().Item(0).OpenDatabase(hotelFile());
        auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti Where Citta In (Select Citta From Hotel)"));
        rs->FindFirst(QStringLiteral("True"));
        db->Close();
    }
    const CacheStatistics s = cacheStatistics();
    EXPECT_EQ(s.files, 1);
    EXPECT_EQ(s.tablesDecoded, 2);
    EXPECT_EQ(s.decodeRuns, 2);
}

TEST(Recordset, AChangedFileIsDecodedAgain)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    dropCache();
    test::ScopedCurrentDir dir;
    ASSERT_TRUE(QFile::copy(hotelFile(), QStringLiteral("Archivio.mdb")));
    const auto hotels = [] {
        auto db = dbEngine().OpenDatabase(QStringLiteral("archivio.MDB"));  // relative, other case
        auto rs = db->OpenRecordset(QStringLiteral("Select * From Hotel"));
        return test::db::walk(*rs, QStringLiteral("True"), QStringLiteral("Nome")).size();
    };
    EXPECT_EQ(hotels(), 2);
    ASSERT_TRUE(QFile::remove(QStringLiteral("Archivio.mdb")));
    ASSERT_TRUE(QFile::copy(test::testDataFile(QStringLiteral("real/nwind.mdb")), QStringLiteral("Archivio.mdb")));
    EXPECT_EQ(test::db::expectDatabaseError(hotels).number(), err::TableNotFound);  // not the old copy
}

TEST(Recordset, FailuresNameTheFileTheTableOrColumnAndTheSql)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    test::ScopedCurrentDir dir;
    {
        const DatabaseError e = test::db::expectDatabaseError([] { dbEngine().OpenDatabase(QStringLiteral("manca.mdb")); });
        EXPECT_EQ(e.number(), err::DatabaseNotFound);
        EXPECT_TRUE(e.description().contains(QStringLiteral("manca.mdb")));
    }
    test::writeFile(QStringLiteral("note.mdb"), "Questo non è un database.\r\n");
    test::writeFile(QStringLiteral("vuoto.mdb"), QByteArray());
    for (const char* name : {"note.mdb", "vuoto.mdb"}) {
        const DatabaseError e = test::db::expectDatabaseError([&] { dbEngine().OpenDatabase(QString::fromUtf8(name)); });
        EXPECT_EQ(e.number(), err::NotADatabase) << name;
        EXPECT_TRUE(e.description().contains(QString::fromUtf8(name))) << e.what();
    }
    EXPECT_EQ(test::db::expectDatabaseError([] { dbEngine().OpenDatabase(QString()); }).number(), err::DatabaseNotFound);

    auto db = dbEngine().OpenDatabase(hotelFile());
    const auto failure = [&](const QString& sql) {
        return test::db::expectDatabaseError([&] { db->OpenRecordset(sql); });
    };
    {
        const QString sql = QStringLiteral("Select * From Clienteles Where NumeroHotel = 1");
        const DatabaseError e = failure(sql);
        EXPECT_EQ(e.number(), err::TableNotFound);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Clienteles")));
        EXPECT_TRUE(e.description().contains(QStringLiteral("hotel.mdb")));
        EXPECT_EQ(e.sql(), sql);
    }
    {
        const DatabaseError e = failure(QStringLiteral("Select * From Clienti Where Cognomen = 'x'"));
        EXPECT_EQ(e.number(), err::TooFewParameters);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Cognomen")));
        EXPECT_TRUE(e.description().contains(QStringLiteral("Select * From Clienti")));
    }
    EXPECT_EQ(failure(QStringLiteral("Select * Form Clienti")).number(), err::QuerySyntax);
    EXPECT_EQ(failure(QStringLiteral("Select * From Clienti Where")).number(), err::QuerySyntax);
    EXPECT_EQ(failure(QStringLiteral("Select * From Clienti Where Cognome = 'x")).number(), err::QuerySyntax);
    EXPECT_EQ(failure(QStringLiteral("Select * From Clienti Where [Cognome = 1")).number(), err::QuerySyntax);
    EXPECT_EQ(failure(QStringLiteral("Select Nonesiste(Cognome) From Clienti")).number(), err::QuerySyntax);
    EXPECT_EQ(failure(QStringLiteral("   ")).number(), err::QuerySyntax);
    EXPECT_EQ(test::db::expectDatabaseError([&] { db->OpenRecordset(QStringLiteral("Clienti"), 3); }).number(), err::InvalidArgument);

    auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti"));
    {
        const DatabaseError e = test::db::expectDatabaseError([&] { rs->FindFirst(QStringLiteral("Cognomen = 'x'")); });
        EXPECT_EQ(e.number(), err::TooFewParameters);
        EXPECT_EQ(e.sql(), QStringLiteral("Cognomen = 'x'"));
    }
    EXPECT_EQ(test::db::expectDatabaseError([&] { rs->FindFirst(QStringLiteral("Cognome = ")); }).number(), err::QuerySyntax);
    // Criteria cannot reach out of their parentheses into the record set's query.
    for (const char* criteria : {"1 = 1) Order By Cognome Desc --", "1) Or (1", "NumeroHotel = 1 /*"}) {
        EXPECT_EQ(test::db::expectDatabaseError([&] { rs->FindFirst(QString::fromUtf8(criteria)); }).number(), err::QuerySyntax)
            << criteria;
    }
    EXPECT_EQ(test::db::expectDatabaseError([&] { rs->FindNext(QString()); }).number(), err::QuerySyntax);
    {
        const DatabaseError e = test::db::expectDatabaseError([&] { rs->Fields().Item(QStringLiteral("Indirizzo")); });
        EXPECT_EQ(e.number(), err::ItemNotFound);
        EXPECT_TRUE(e.description().contains(QStringLiteral("Indirizzo")));
    }
    EXPECT_EQ(test::db::expectDatabaseError([&] { rs->Fields().Item(99); }).number(), err::ItemNotFound);
    EXPECT_EQ(test::db::expectDatabaseError([&] { db->TableDefs().Item(QStringLiteral("Fatture")); }).number(), err::ItemNotFound);
    EXPECT_EQ(test::db::expectDatabaseError([&] { db->TableDefs().Item(-1); }).number(), err::ItemNotFound);
    EXPECT_EQ(test::db::expectDatabaseError([&] { db->TableDefs().Item(0).Fields().Item(0).Value(); }).number(),
              err::InvalidOperation);
    EXPECT_EQ(test::db::expectDatabaseError([] { dbEngine().Workspaces().Item(1); }).number(), err::ItemNotFound);

    db->Close();
    EXPECT_EQ(test::db::expectDatabaseError([&] { rs->FindFirst(QStringLiteral("True")); }).number(), err::ObjectInvalid);
    EXPECT_EQ(test::db::expectDatabaseError([&] { db->OpenRecordset(QStringLiteral("Clienti")); }).number(), err::ObjectInvalid);
    EXPECT_EQ(test::db::expectDatabaseError([&] { db->Close(); }).number(), err::ObjectInvalid);
}

TEST(Recordset, NothingCanWriteThroughAQuery)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(hotelFile());
    auto count = [&] {
        auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti"));
        return test::db::walk(*rs, QStringLiteral("True"), QStringLiteral("Cognome")).size();
    };
    const qsizetype before = count();
    ASSERT_EQ(before, 40);
    test::ScopedCurrentDir dir;
    for (const char* sql : {"Delete From Clienti", "Update Clienti Set Cognome = 'x'", "Insert Into Clienti (Cognome) Values ('x')",
                            "Drop Table Clienti", "Create Table Nuova (a Integer)", "Select * From Clienti; Delete From Clienti",
                            "Attach Database 'copia.db' As copia", "Vacuum Into 'copia.db'", "Pragma writable_schema = 1",
                            "Create Index i On Clienti (Cognome)", "Select * From Clienti Where load_extension('x') = 1"}) {
        const DatabaseError e = test::db::expectDatabaseError([&] { db->OpenRecordset(QString::fromUtf8(sql)); });
        EXPECT_TRUE(e.number() == err::InvalidOperation || e.number() == err::QuerySyntax) << sql << ": " << e.what();
    }
    auto rs = db->OpenRecordset(QStringLiteral("Select * From Clienti"));
    EXPECT_EQ(test::db::expectDatabaseError([&] { rs->FindFirst(QStringLiteral("1 = 1); Delete From Clienti; Select (1")); }).number(),
              err::QuerySyntax);
    EXPECT_EQ(count(), before);
    EXPECT_TRUE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());  // no file was made
}

TEST(Recordset, UnorderedRecordSetsComeInStoredOrderWhateverIndexesExist)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(test::testDataFile(QStringLiteral("movimenti_medio.mdb")));
    const auto stored = where(groundTruth(QStringLiteral("csv/movimenti_medio/Movimenti.csv")),
                              [](const Row& r) { return number(r, "NumeroHotel") == 2; });
    const QStringList expected = column(stored, QStringLiteral("Progressivo"));
    // An ordering indexes the table on NumeroHotel first...
    auto ordered = db->OpenRecordset(QStringLiteral("Select * From Movimenti Where NumeroHotel = 2 Order By DataMovimento Desc"));
    ordered->FindFirst(QStringLiteral("NumeroHotel = 2"));
    ASSERT_FALSE(ordered->NoMatch());
    // ...which must not reorder a record set that asks for no order, nor its searches.
    auto plain = db->OpenRecordset(QStringLiteral("Select * From Movimenti Where NumeroHotel = 2"));
    EXPECT_EQ(test::db::walk(*plain, QStringLiteral("NumeroHotel = 2"), QStringLiteral("Progressivo")), expected);
    auto first = db->OpenRecordset(QStringLiteral("Select * From Movimenti Where NumeroHotel = 2"));
    EXPECT_EQ(first->Fields().Item(QStringLiteral("Progressivo")).Value().text(), expected.first());
}

TEST(Recordset, TiesComeInStoredOrderWhicheverIndexServesTheOrdering)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    dropCache();
    auto db = dbEngine().OpenDatabase(test::testDataFile(QStringLiteral("movimenti_medio.mdb")));
    const auto truth = groundTruth(QStringLiteral("csv/movimenti_medio/Movimenti.csv"));
    const auto pair = [](const Row& r) { return r.value(QStringLiteral("NumeroHotel")) + QLatin1Char('/') + r.value(QStringLiteral("Progressivo")); };
    const auto sorted = [&](std::vector<Row> rows, const std::function<bool(const Row&, const Row&)>& less) {
        std::stable_sort(rows.begin(), rows.end(), less);  // ties keep the stored order
        QStringList out;
        for (const Row& r : rows)
            out << pair(r);
        return out;
    };
    const auto walkPairs = [&](const QString& sql, const QString& criteria) {
        auto rs = db->OpenRecordset(sql);
        QStringList out;
        for (rs->FindFirst(criteria); !rs->NoMatch(); rs->FindNext(criteria))
            out << rs->Fields().Item(QStringLiteral("NumeroHotel")).Value().text() + QLatin1Char('/') +
                       rs->Fields().Item(QStringLiteral("Progressivo")).Value().text();
        return out;
    };
    const auto byDate = [](const Row& a, const Row& b) { return a.value(QStringLiteral("DataMovimento")) < b.value(QStringLiteral("DataMovimento")); };
    const auto hotel1 = where(truth, [](const Row& r) { return number(r, "NumeroHotel") == 1; });
    const QStringList hotel1ByDate = sorted(hotel1, byDate);
    const QString tied = QStringLiteral("Select * From Movimenti Where NumeroHotel = 1 Order By DataMovimento");

    // Many movements share a date: those come in stored order through the plain index.
    EXPECT_EQ(walkPairs(tied, QStringLiteral("NumeroHotel = 1")), hotel1ByDate);

    // Hotel and number are the file's key: ordered by date and number within one hotel, no two
    // rows tie, and the table gets an index of every column for that ordering.
    EXPECT_EQ(walkPairs(QStringLiteral("Select * From Movimenti Where NumeroHotel = 1 Order By DataMovimento, Progressivo"),
                        QStringLiteral("NumeroHotel = 1")),
              sorted(hotel1, [](const Row& a, const Row& b) {
                  return std::pair(a.value(QStringLiteral("DataMovimento")), number(a, "Progressivo")) <
                         std::pair(b.value(QStringLiteral("DataMovimento")), number(b, "Progressivo"));
              }));

    // That index begins with the same columns as the tied ordering's: the ties keep their order,
    // searched or read from the first row.
    EXPECT_EQ(walkPairs(tied, QStringLiteral("NumeroHotel = 1")), hotel1ByDate);
    EXPECT_EQ(walkPairs(tied, QStringLiteral("Progressivo > 0")), hotel1ByDate);
    auto first = db->OpenRecordset(tied);
    EXPECT_EQ(first->Fields().Item(QStringLiteral("Progressivo")).Value().text(), hotel1ByDate.first().section(QLatin1Char('/'), 1));

    // Numbers repeat across the hotels, so without the hotel fixed, the same ordering can tie.
    EXPECT_EQ(walkPairs(QStringLiteral("Select * From Movimenti Where NumeroHotel > 0 Order By DataMovimento Desc, Progressivo Desc"),
                        QStringLiteral("True")),
              sorted(truth, [](const Row& a, const Row& b) {
                  return std::pair(a.value(QStringLiteral("DataMovimento")), number(a, "Progressivo")) >
                         std::pair(b.value(QStringLiteral("DataMovimento")), number(b, "Progressivo"));
              }));
    EXPECT_EQ(walkPairs(QStringLiteral("Select * From Movimenti Order By Progressivo"), QStringLiteral("True")),
              sorted(truth, [](const Row& a, const Row& b) { return number(a, "Progressivo") < number(b, "Progressivo"); }));
}
