// The command line against the real hotel database: print to PDF with the binary, then read the
// PDF back with pdftotext and find every expected text on its page, in order, at its place.
#include "db/DbTestSupport.h"
#include "support/PdfText.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

using namespace ostrivo;
using test::PdfWord;

namespace {

class CliPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::havePdfToText())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        if (test::testDataDir().isEmpty())
            GTEST_SKIP() << "shared test data not found (expected ../shared/data next to the repository); skipping";
        // The template names the database without a folder, as the designer writes it.
        ASSERT_TRUE(QFile::link(test::testDataFile(QStringLiteral("hotel.mdb")), dir.file(QStringLiteral("hotel.mdb"))));
    }

    test::RunResult print(const QStringList& lines, const QStringList& options = {})
    {
        test::writeTemplate(dir.file(QStringLiteral("t.vn3")), lines);
        return test::runBinary(QStringList{QStringLiteral("print"), QStringLiteral("t.vn3"), QStringLiteral("--output"),
                                           QStringLiteral("out.pdf")} +
                                   options,
                               dir.path());
    }

    std::vector<PdfWord> words() const { return test::pdfWords(dir.file(QStringLiteral("out.pdf"))); }

    // Finds text (one or more words) on a page at or after index `from` of words; returns the index
    // of its first word, or -1.
    static int find(const std::vector<PdfWord>& words, const QString& text, int page, int from = 0)
    {
        const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int i = from; i + parts.size() <= static_cast<int>(words.size()); ++i) {
            bool match = true;
            for (int k = 0; k < parts.size() && match; ++k) {
                const PdfWord& w = words[static_cast<std::size_t>(i + k)];
                match = w.page == page && w.text == parts[k];
            }
            if (match)
                return i;
        }
        return -1;
    }

    // The text's top-left corner is within half a unit of (x, y) in page units.
    void expectAt(const PdfWord& word, double x, double y) const
    {
        EXPECT_NEAR(word.xMin, map.x(x), map.unitWidth() / 2) << word.text.toStdString();
        EXPECT_NEAR(word.yMin, map.y(y), map.unitHeight() / 2) << word.text.toStdString();
    }

    static std::vector<test::db::CsvRow> csv(const char* table)
    {
        auto rows = test::db::readCsv(test::testDataFile(QStringLiteral("csv/hotel/%1.csv").arg(QString::fromLatin1(table))));
        rows.erase(rows.begin());  // the header
        return rows;
    }

    test::ScopedCurrentDir dir;
    test::PdfPageMap map;
};

}  // namespace

TEST_F(CliPrint, ClientTableOnePageEveryRowAtItsPlace)
{
    const test::RunResult run = print({
        QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("hotel.mdb,Clienti,"),
        QStringLiteral("[PARAMETRI]"), QStringLiteral("[TABELLA]"), QStringLiteral("Clienti,2,10,70,Arial,8,"),
        QStringLiteral("hotel.mdb,Clienti,CodiceCliente,,"), QStringLiteral("Cod.,CodiceCliente,4,Num,N,,3,"),
        QStringLiteral("Cognome,Cognome,34,Str,N,,40,"), QStringLiteral("Citta,Citta,16,Str,N,,20,"),
        QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto w = words();

    // Title at (2, 10), header two units below; columns at x = 2, 7, 42.
    int at = find(w, QStringLiteral("Clienti"), 1);
    ASSERT_GE(at, 0);
    expectAt(w[static_cast<std::size_t>(at)], 2, 10);
    at = find(w, QStringLiteral("Cognome"), 1, at);
    ASSERT_GE(at, 0);
    expectAt(w[static_cast<std::size_t>(at)], 7, 12);

    // Hotel 1's clients in CodiceCliente order; rows at 14.5, 15.6, then every 2 units.
    std::vector<test::db::CsvRow> clients;
    for (const auto& row : csv("Clienti")) {
        if (row[0].text == QLatin1String("1"))
            clients.push_back(row);
    }
    std::sort(clients.begin(), clients.end(),
              [](const auto& a, const auto& b) { return a[1].text.toInt() < b[1].text.toInt(); });
    ASSERT_EQ(clients.size(), 24u);
    double y = 14.5;
    for (std::size_t k = 0; k < clients.size(); ++k) {
        at = find(w, clients[k][2].text, 1, at + 1);
        ASSERT_GE(at, 0) << clients[k][2].text.toStdString();
        expectAt(w[static_cast<std::size_t>(at)], 7, y);
        if (!clients[k][4].isNull()) {
            const int city = find(w, clients[k][4].text, 1, at);
            ASSERT_GE(city, 0) << clients[k][4].text.toStdString();
            expectAt(w[static_cast<std::size_t>(city)], 42, y);
        }
        y = (k == 0 ? 15.6 : y + 2);
    }
    EXPECT_EQ(w.back().page, 1);
}

TEST_F(CliPrint, BookingsOfAYearRunOverPagesWithTotals)
{
    const test::RunResult run = print(
        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("hotel.mdb,Prenotazioni,"),
         QStringLiteral("[PARAMETRI]"), QStringLiteral("DataArrivo,>=,Date,<nessuno>,Dal,"),
         QStringLiteral("DataArrivo,<=,Date,<nessuno>,Al,"), QStringLiteral("[TESTO]"),
         QStringLiteral("Prenotazioni dal <PARAM1> al <PARAM2>,2,2,Arial,10,0,"), QStringLiteral("[TABELLA]"),
         QStringLiteral("Elenco,2,10,40,Arial,8,"), QStringLiteral("hotel.mdb,Prenotazioni,DataArrivo-NumeroPrenotazione,,"),
         QStringLiteral("N.,NumeroPrenotazione,4,Num,N,,4,"), QStringLiteral("Arrivo,DataArrivo,10,Date,N,,10,"),
         QStringLiteral("Importo,Importo,12,Cur,S,,12,"), QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")},
        {QStringLiteral("--values"), QStringLiteral("01/01/2025,31/12/2025,")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const auto w = words();

    // The ground truth: hotel 1, arrivals in 2025, by date and number; null amounts count as 0.
    std::vector<test::db::CsvRow> rows;
    for (const auto& row : csv("Prenotazioni")) {
        if (row[0].text == QLatin1String("1") && row[5].text >= QLatin1String("20250101") &&
            row[5].text <= QLatin1String("20251231"))
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return a[5].text != b[5].text ? a[5].text < b[5].text : a[1].text.toInt() < b[1].text.toInt();
    });
    ASSERT_GT(rows.size(), 15u);
    qint64 cents = 0;
    for (const auto& row : rows)
        cents += row[8].isNull() ? 0 : qRound64(row[8].text.toDouble() * 100);

    // Every row in order; a page holds rows from 14.5 to 38, so the table runs over pages, each
    // with the fixed text, the title and the header again.
    int at = -1;
    int page = 1;
    for (const auto& row : rows) {
        const QString date =
            row[5].text.mid(6, 2) + QLatin1Char('/') + row[5].text.mid(4, 2) + QLatin1Char('/') + row[5].text.left(4);
        int next = find(w, row[1].text, page, at + 1);
        if (next < 0 || find(w, date, page, next) != next + 1) {
            ++page;
            ASSERT_GE(find(w, QStringLiteral("Prenotazioni dal 01/01/2025 al 31/12/2025"), page), 0) << page;
            ASSERT_GE(find(w, QStringLiteral("Elenco"), page), 0) << page;
            next = find(w, row[1].text, page);
            ASSERT_GE(next, 0) << row[1].text.toStdString();
            // The number stands right-aligned after spaces; the date starts its column.
            expectAt(w[static_cast<std::size_t>(next) + 1], 7, 14.5);
        }
        EXPECT_EQ(find(w, date, page, next), next + 1) << date.toStdString();
        at = next;
    }
    EXPECT_GE(page, 2);
    QString whole = QString::number(cents / 100);
    QString grouped;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped += QLatin1Char('.');
        grouped += whole[i];
    }
    grouped += QLatin1Char(',') + QString::number(cents % 100).rightJustified(2, QLatin1Char('0'));
    const int totalAt = find(w, grouped, w.back().page);
    ASSERT_GE(totalAt, 0) << grouped.toStdString();
    EXPECT_GT(w[static_cast<std::size_t>(totalAt)].xMin, map.x(18));  // right-aligned in the third column
}

TEST_F(CliPrint, FieldsFindTextParametersWhateverTheirCase)
{
    const test::RunResult run = print(
        {QStringLiteral("[TESTA]"), QStringLiteral("2"), QStringLiteral("80,75,"), QStringLiteral("hotel.mdb,Clienti,"),
         QStringLiteral("[PARAMETRI]"), QStringLiteral("Cognome,=,Str,<nessuno>,Cognome,"), QStringLiteral("[CAMPI]"),
         QStringLiteral("hotel.mdb,Clienti,Nome,Str,10,10,30,Arial,10,,"),
         QStringLiteral("hotel.mdb,Clienti,Citta,Str,10,12,30,Arial,10,,"),
         QStringLiteral("hotel.mdb,Clienti,Nome,Str,10,14,30,Arial,10,CodiceCliente = 1,"),
         QStringLiteral("hotel.mdb,Hotel,Nome,Str,10,16,40,Arial,10,NumeroHotel = 1,"), QStringLiteral("[TESTO]"),
         QStringLiteral("Cliente <PARAM1>,10,5,Arial,12,0,"), QStringLiteral("Data_oggi,60,5,Arial,10,0,"),
         QStringLiteral("[FINE]")},
        {QStringLiteral("--values"), QStringLiteral(" mancini ,"), QStringLiteral("--date"), QStringLiteral("07/12/2026 10:30")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    map.landscape = true;
    const auto w = words();
    const std::vector<std::pair<QString, std::pair<double, double>>> expected = {
        {QStringLiteral("Maria"), {10, 10}},          {QStringLiteral("Cantù"), {10, 12}},
        {QStringLiteral("Niccolò"), {10, 14}},        {QStringLiteral("Hotel Bellavista"), {10, 16}},
        {QStringLiteral("Cliente mancini"), {10, 5}}, {QStringLiteral("07/12/2026"), {60, 5}},
    };
    for (const auto& [text, place] : expected) {
        const int at = find(w, text, 1);
        ASSERT_GE(at, 0) << text.toStdString();
        expectAt(w[static_cast<std::size_t>(at)], place.first, place.second);
    }
}

TEST_F(CliPrint, ExitStatusesAndNoOutputLeftOnFailure)
{
    // A missing database fails the print: status 1, the line named, no PDF left behind.
    test::RunResult run = print({QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"),
                                 QStringLiteral("x,y,"), QStringLiteral("[PARAMETRI]"), QStringLiteral("[CAMPI]"),
                                 QStringLiteral("manca.mdb,Clienti,Nome,Str,10,10,30,Arial,10,,"), QStringLiteral("[FINE]")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("riga 7"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("manca.mdb"))) << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("hotel.mdb"), QStringLiteral("t.vn3")}));

    // A missing template fails; unknown options, printers and dates are bad usage.
    run = test::runBinary({QStringLiteral("print"), QStringLiteral("nessuno.vn3")}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    run = test::runBinary({QStringLiteral("print"), QStringLiteral("t.vn3"), QStringLiteral("--colore")}, dir.path());
    EXPECT_EQ(run.exitCode, 2);
    run = test::runBinary({QStringLiteral("print"), QStringLiteral("t.vn3"), QStringLiteral("--printer"), QStringLiteral("Nessuna")},
                          dir.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("PDF"))) << run.err.toStdString();
    run = test::runBinary({QStringLiteral("print"), QStringLiteral("t.vn3"), QStringLiteral("--date"), QStringLiteral("ieri")},
                          dir.path());
    EXPECT_EQ(run.exitCode, 2);
}
