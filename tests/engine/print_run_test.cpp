#include "engine/PrintRun.h"
#include "db/Backend.h"
#include "print/RecordingPrinter.h"

#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QImage>
#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

const char* kDatabase = R"(
CREATE TABLE Hotel (NumeroHotel INTEGER, Nome TEXT, Citta TEXT);
INSERT INTO Hotel VALUES (1, 'Hotel Bellavista', 'Rimini'), (2, 'Albergo Città di Forlì', 'Forlì');
CREATE TABLE Clienti (NumeroHotel INTEGER, CodiceCliente INTEGER, Cognome TEXT, Note TEXT, Saldo NUMERIC, Nato TEXT);
INSERT INTO Clienti VALUES
  (2, 1, 'Verdi', 'hotel due', 5, '19700101'),
  (1, 1, 'Rossi', 'abcdefghijklmnopqrstuvwxy', 1234.5, '19800115'),
  (1, 2, 'D''Angelo', NULL, -3, NULL);
CREATE TABLE Righe (NumeroHotel INTEGER, N INTEGER, Descrizione TEXT, Importo NUMERIC, Quantita INTEGER, Giorno TEXT);
)";

// A template: the page block, the parameters, then the body lines and "[FINE]".
QStringList templ(const QStringList& parameters, const QStringList& body, const char* orientation = "1")
{
    QStringList lines = {QStringLiteral("[TESTA]"), QString::fromLatin1(orientation), QStringLiteral("80,75,"),
                         QStringLiteral("test.db,Righe,"), QStringLiteral("[PARAMETRI]")};
    lines << parameters << body << QStringLiteral("[FINE]");
    return lines;
}

class PrintRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::createSqliteDatabase(QStringLiteral("test.db"), QString::fromUtf8(kDatabase));
    }

    void addRows(int count, const QString& description = QStringLiteral("riga"))
    {
        QString sql;
        for (int i = 1; i <= count; ++i) {
            sql += QStringLiteral("INSERT INTO Righe VALUES (1, %1, '%2 %1', %1.25, %1, '202401%3');")
                       .arg(i)
                       .arg(description)
                       .arg(i, 2, 10, QLatin1Char('0'));
        }
        sql += QStringLiteral("INSERT INTO Righe VALUES (2, 99, 'altro hotel', 1000, 1, '20240101');");
        test::createSqliteDatabase(QStringLiteral("test.db"), sql);
    }

    // Prints the template; the printer keeps what was drawn.
    void print(const QStringList& lines, const QString& values = QString())
    {
        test::writeTemplate(QStringLiteral("t.vn3"), lines);
        PrintSettings settings;
        settings.now = QDateTime(QDate(2026, 12, 7), QTime(9, 5));
        settings.onElementError = [this](const Error& e) { elementErrors << elementErrorText(e); };
        settings.onWarning = [this](int line, const QString& w) { warnings << QString::number(line) + QStringLiteral(": ") + w; };
        PrintRun run(printer, QStringLiteral("t.vn3"), values, settings);
        run.run();
    }

    // The failure of a print that must fail.
    PrintFailure failure(const QStringList& lines, const QString& values = QString())
    {
        try {
            print(lines, values);
        } catch (const PrintFailure& f) {
            return f;
        }
        ADD_FAILURE() << "the print did not fail";
        return PrintFailure(Error(0, QString()), QString(), 0);
    }

    std::vector<PrintOp> texts(const QString& text) const { return printer.findText(text); }

    test::ScopedCurrentDir dir;
    RecordingPrinter printer{QStringLiteral("PDF")};
    QStringList elementErrors;
    QStringList warnings;
};

}  // namespace

TEST_F(PrintRunTest, OnlyPageBlockAndParametersSetOrientationAndScaleAndPrintOnePage)
{
    print(templ({}, {}, "2"));
    ASSERT_EQ(printer.ops().size(), 3u);
    EXPECT_EQ(printer.ops()[0], PrintOp::orientation(1, 2));
    EXPECT_EQ(printer.ops()[1], PrintOp::scale(1, 80, 75));
    EXPECT_EQ(printer.ops()[2], PrintOp::end(1));
}

TEST_F(PrintRunTest, TextsDatesPlaceholdersAndColors)
{
    print(templ({QStringLiteral("Cognome,=,Str,<nessuno>,Cognome,"), QStringLiteral("Camera,=,Num,<nessuno>,Camera,")},
                {QStringLiteral("[TESTO]"), QStringLiteral("Data_oggi,60,2,Arial,10,0,"),
                 QStringLiteral("ora_adesso,70,2.5,Arial,10,255,"), QStringLiteral("Oggi Data_oggi,1,1,Arial,10,0,"),
                 QStringLiteral("<PARAM1> <PARAM2> <PARAM1>,1,3,Times New Roman,12,0,"),
                 QStringLiteral("ultimo,1,4,Arial,10,0,")}),
          QStringLiteral("d'Angelo,12,"));
    EXPECT_EQ(texts(QStringLiteral("07/12/2026")).at(0), PrintOp::textAt(1, 60, 2, QStringLiteral("07/12/2026"), QStringLiteral("Arial"), 10, 0));
    EXPECT_EQ(texts(QStringLiteral("09:05")).at(0), PrintOp::textAt(1, 70, 2.5, QStringLiteral("09:05"), QStringLiteral("Arial"), 10, 255));
    EXPECT_EQ(texts(QStringLiteral("Oggi Data_oggi")).size(), 1u);
    // Placeholders take the raw value, first occurrence only.
    EXPECT_EQ(texts(QStringLiteral("d'Angelo 12 <PARAM1>")).at(0).font, QStringLiteral("Times New Roman"));
    EXPECT_EQ(printer.pageCount(), 1);
}

TEST_F(PrintRunTest, DatabaseFieldsByTypeWord)
{
    print(templ({QStringLiteral("Cognome,=,Str,<nessuno>,Cognome,")},
                {QStringLiteral("[CAMPI]"),
                 QStringLiteral("test.db,Clienti,Saldo,Cur,10,10,12,Arial,9,CodiceCliente = 1,"),
                 QStringLiteral("test.db,Clienti,Saldo,Num,10,12,3,Arial,9,CodiceCliente = 1,"),
                 QStringLiteral("test.db,Clienti,Note,Str,10,14,10,Arial,9,CodiceCliente = 1,"),
                 QStringLiteral("test.db,Clienti,Nato,Date,10,20,10,Arial,9,CodiceCliente = 1,"),
                 QStringLiteral("test.db,Clienti,Cognome,Str,10,22,30,Arial,9,CodiceCliente = 99,"),
                 QStringLiteral("test.db,Clienti,Note,Str,10,24,30,Arial,9,CodiceCliente = 2,"),
                 QStringLiteral("test.db,Clienti,Saldo,Cur,10,25,8,Arial,9,Cognome = <PARAM1>,"),
                 QStringLiteral("test.db,Clienti,Nato,Date,10,26,30,Arial,9,Cognome = <PARAM1>,"),
                 QStringLiteral("test.db,Clienti,Cognome,Boh,10,27,30,Arial,9,CodiceCliente = 1,")}),
          QStringLiteral("D'Angelo,"));
    EXPECT_EQ(printer.textsOnPage(1),
              QStringList({QStringLiteral("    1.234,50"), QStringLiteral("1234,5"), QStringLiteral("abcdefghij"),
                           QStringLiteral("klmnopqrst"), QStringLiteral("uvwxy"), QStringLiteral("15/01/1980"),
                           QString(), QStringLiteral("   -3,00"), QString()}));
    const auto wrapped = printer.opsOfKind(PrintOp::Kind::Text);
    EXPECT_EQ(wrapped[2].y, 14);
    EXPECT_EQ(wrapped[3].y, 15.2);
    EXPECT_EQ(wrapped[4].y, 16.4);
    EXPECT_EQ(wrapped[0].font, QStringLiteral("Arial"));
    EXPECT_EQ(wrapped[0].size, 9);
}

TEST_F(PrintRunTest, TheParameterFilterSelectsTheRecord)
{
    addRows(5);
    print(templ({QStringLiteral("N,>=,Num,<nessuno>,Dal numero,"), QStringLiteral("Giorno,<=,Date,<nessuno>,Al giorno,")},
                {QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Righe,Descrizione,Str,1,1,30,Arial,9,,"),
                 QStringLiteral("test.db,Righe,Importo,Cur,1,2,30,Arial,9, ,")}),
          QStringLiteral("3,04/01/2024,"));
    EXPECT_EQ(printer.textsOnPage(1).value(0), QStringLiteral("riga 3"));
}

TEST_F(PrintRunTest, ComputedProductsMultiplyTheFoundFactors)
{
    addRows(3);
    print(templ({QStringLiteral("N,=,Num,<nessuno>,Numero,")},
                {QStringLiteral("[*]"), QStringLiteral(",,,Cur,40,10,12,Arial,9,"), QStringLiteral("test.db,Righe,Importo,"),
                 QStringLiteral("test.db,Righe,Quantita,"), QStringLiteral("[/*]"),
                 // After "[/*]" the section stays "[*]": another block follows directly.
                 QStringLiteral(",,,Num,41,12,2,Courier New,8,"), QStringLiteral("test.db,Righe,Quantita,"),
                 QStringLiteral("test.db,Righe,Quantita,"), QStringLiteral("[/*]")}),
          QStringLiteral("2,"));
    EXPECT_EQ(printer.opsOfKind(PrintOp::Kind::Text),
              std::vector<PrintOp>({PrintOp::textAt(1, 40, 10, QStringLiteral("        4,50"), QStringLiteral("Arial"), 9, 0),
                                    PrintOp::textAt(1, 41, 12, QStringLiteral(" 4"), QStringLiteral("Courier New"), 8, 0)}));
}

TEST_F(PrintRunTest, ComputedProductsOfMissingRecordsOrZeroPrintNothing)
{
    addRows(3);
    test::createSqliteDatabase(QStringLiteral("test.db"), QStringLiteral("INSERT INTO Righe VALUES (1, 7, 'zero', 0, 5, '');"));
    print(templ({QStringLiteral("N,>=,Num,<nessuno>,Numero,")},
                {QStringLiteral("[*]"), QStringLiteral(",,,Cur,40,10,12,Arial,9,"), QStringLiteral("test.db,Righe,Importo,"),
                 QStringLiteral("[/*]"), QStringLiteral("[TESTO]"), QStringLiteral("fine,1,1,Arial,9,0,")}),
          QStringLiteral("7,"));
    EXPECT_EQ(printer.textsOnPage(1), QStringList{QStringLiteral("fine")});
}

TEST_F(PrintRunTest, ComputedProductsWithoutRecordsPrintNothing)
{
    addRows(3);
    print(templ({QStringLiteral("N,>=,Num,<nessuno>,Numero,")},
                {QStringLiteral("[*]"), QStringLiteral(",,,Num,40,10,12,Arial,9,"), QStringLiteral("test.db,Righe,Importo,"),
                 QStringLiteral("test.db,Righe,Quantita,"), QStringLiteral("[/*]"), QStringLiteral("[TESTO]"),
                 QStringLiteral("fine,1,1,Arial,9,0,")}),
          QStringLiteral("8,"));
    EXPECT_EQ(printer.textsOnPage(1), QStringList{QStringLiteral("fine")});
}

TEST_F(PrintRunTest, RectanglesLinesAndPictures)
{
    QImage logo(20, 10, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(QStringLiteral("Logo.JPG"), "JPG"));
    print(templ({}, {QStringLiteral("[IMMAGINI]"), QStringLiteral("manca.jpg,1.00,1.00,5.00,5.00,"),
                     QStringLiteral("logo.jpg,2.00,1.50,10.00,5.25,"), QStringLiteral("[GRIGLIA]"),
                     QStringLiteral("R,1.00,8.00,79.00,12.00,"), QStringLiteral("L,1.00,13.00,79.00,13.00,"),
                     QStringLiteral("X,1.00,14.00,79.00,14.00,")}));
    EXPECT_EQ(printer.opsOfKind(PrintOp::Kind::Picture),
              std::vector<PrintOp>{PrintOp::picture(1, QStringLiteral("logo.jpg"), 2, 1.5, 10, 5.25)});
    EXPECT_EQ(printer.opsOfKind(PrintOp::Kind::Box), std::vector<PrintOp>{PrintOp::box(1, 1, 8, 79, 12, 0)});
    EXPECT_EQ(printer.opsOfKind(PrintOp::Kind::Line), std::vector<PrintOp>{PrintOp::line(1, 1, 13, 79, 13, 0)});
}

namespace {

// A table of two columns from Righe, 3 rows a page, between a red heading and a green footer.
QStringList tableTemplate(const QString& bottom = QStringLiteral("30"))
{
    return templ({QStringLiteral("N,>=,Num,<nessuno>,Dal numero,")},
                 {QStringLiteral("[TESTO]"), QStringLiteral("Intestazione,1,1,Arial,10,255,"), QStringLiteral("[TABELLA]"),
                  QStringLiteral("Elenco,2,20,%1,Arial,8,").arg(bottom), QStringLiteral("test.db,Righe,N,,"),
                  QStringLiteral("N,N,4,Num,N,,3,"), QStringLiteral("Importo,Importo,10,Cur,S,,10,"),
                  QStringLiteral("[FINE TABELLA]"), QStringLiteral("[TESTO]"), QStringLiteral("Piede,1,74,Arial,10,65280,")});
}

}  // namespace

TEST_F(PrintRunTest, TableRowsPagesAndTotals)
{
    addRows(7);
    print(tableTemplate(), QStringLiteral("1,"));
    ASSERT_EQ(printer.pageCount(), 3);
    EXPECT_EQ(printer.textsOnPage(1), QStringList({QStringLiteral("Intestazione"), QStringLiteral("Elenco"), QStringLiteral("N"),
                                                   QStringLiteral("Importo"), QStringLiteral("  1"), QStringLiteral("      1,25"),
                                                   QStringLiteral("  2"), QStringLiteral("      2,25"), QStringLiteral("  3"),
                                                   QStringLiteral("      3,25")}));
    // A page added between rows receives the fixed elements, then title and header again. The
    // footer after the table is drawn there by the redraw, and not a second time by the run.
    EXPECT_EQ(printer.textsOnPage(3), QStringList({QStringLiteral("Intestazione"), QStringLiteral("Piede"), QStringLiteral("Elenco"),
                                                   QStringLiteral("N"), QStringLiteral("Importo"), QStringLiteral("  7"),
                                                   QStringLiteral("      7,25"), QStringLiteral("     29,75")}));
    EXPECT_EQ(texts(QStringLiteral("Piede")).size(), 2u);
    const PrintOp total = texts(QStringLiteral("     29,75")).at(0);
    EXPECT_EQ(total.x, 7);
    EXPECT_EQ(total.y, 26.6);  // the row after 24.5 would be at 25.6; totals one unit below
    // Rows: black cells; the grey rule one unit under each cell.
    EXPECT_EQ(texts(QStringLiteral("  2")).at(0).y, 25.6);
    EXPECT_EQ(texts(QStringLiteral("  2")).at(0).color, 0);
    const auto lines = printer.opsOfKind(PrintOp::Kind::Line);
    EXPECT_TRUE(std::count(lines.begin(), lines.end(), PrintOp::line(1, 1.5, 26.6, 6.5, 26.6, 12632256)) == 1);
}

TEST_F(PrintRunTest, TitleHeaderAndTotalsTakeTheColorOfTheLastTextPrinted)
{
    addRows(4);
    print(tableTemplate(), QStringLiteral("1,"));
    // Page 1: the red heading came last; page 2: the green footer drawn by the redraw came last.
    EXPECT_EQ(texts(QStringLiteral("Elenco")).at(0).color, 255);
    EXPECT_EQ(texts(QStringLiteral("Importo")).at(0).color, 255);
    EXPECT_EQ(texts(QStringLiteral("Elenco")).at(1).color, 65280);
    // Totals follow the last cell, printed in black.
    EXPECT_EQ(texts(QStringLiteral("     11,00")).at(0).color, 0);
}

TEST_F(PrintRunTest, EmptyQueryStillPrintsFrameHeaderAndZeroTotals)
{
    addRows(2);
    print(tableTemplate(), QStringLiteral("50,"));
    EXPECT_EQ(printer.pageCount(), 1);
    const auto zero = texts(QStringLiteral("      0,00"));
    ASSERT_EQ(zero.size(), 1u);
    EXPECT_EQ(zero[0].y, 25.5);
}

TEST_F(PrintRunTest, CellThatOverflowsContinuesOnAPageWithOnlyTheTable)
{
    addRows(1, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    print(templ({}, {QStringLiteral("[TESTO]"), QStringLiteral("Intestazione,1,1,Arial,10,0,"), QStringLiteral("[TABELLA]"),
                     QStringLiteral(",2,20,30,Arial,8,"), QStringLiteral("test.db,Righe,,,"),
                     QStringLiteral("Descrizione,Descrizione,4,Str,N,,4,"), QStringLiteral("[FINE TABELLA]")}));
    // Lines at 24.5, 26.1, 27.7; the next would pass 28: the cell goes on on page 2 at 24.5.
    EXPECT_EQ(printer.textsOnPage(1).mid(1), QStringList({QStringLiteral("Desc"), QStringLiteral("abcd"), QStringLiteral("efgh"),
                                                         QStringLiteral("ijkl")}));
    EXPECT_EQ(printer.textsOnPage(2), QStringList({QStringLiteral("Desc"), QStringLiteral("mnop"), QStringLiteral("qrst"),
                                                   QStringLiteral("uvwx")}));
    EXPECT_FALSE(printer.textsOnPage(2).contains(QStringLiteral("Intestazione")));
    // "yz 1" fills a line of its own; the empty rest is the cell's last line.
    EXPECT_EQ(printer.textsOnPage(3), QStringList({QStringLiteral("Desc"), QStringLiteral("yz 1"), QString()}));
}

TEST_F(PrintRunTest, FailuresNameTheLineAndDiscardTheJob)
{
    const PrintFailure f = failure(templ({}, {QStringLiteral("[TESTO]"), QStringLiteral("prima,1,1,Arial,9,0,"),
                                              QStringLiteral("[CAMPI]"),
                                              QStringLiteral("manca.mdb,Clienti,Cognome,Str,1,2,30,Arial,9,,")}));
    EXPECT_EQ(f.line(), 9);
    EXPECT_EQ(f.number(), err::DatabaseNotFound);
    EXPECT_TRUE(f.description().contains(QStringLiteral("t.vn3, riga 9"))) << f.what();
    EXPECT_TRUE(f.description().contains(QStringLiteral("manca.mdb"))) << f.what();
    EXPECT_TRUE(printer.aborted());
    EXPECT_FALSE(printer.ended());
}

TEST_F(PrintRunTest, TooManyParametersOrColumnsStopBeforeAnythingIsPrinted)
{
    QStringList parameters;
    for (int i = 1; i <= 11; ++i)
        parameters << QStringLiteral("N,=,Num,1,P%1,").arg(i);
    PrintFailure f = failure(templ(parameters, {QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,9,0,")}),
                             QStringLiteral("1,1,1,1,1,1,1,1,1,1,1,"));
    EXPECT_EQ(f.line(), 16);
    EXPECT_TRUE(printer.ops().empty());

    QStringList body = {QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,9,0,"), QStringLiteral("[TABELLA]"),
                        QStringLiteral("T,1,1,70,Arial,8,"), QStringLiteral("test.db,Righe,,,")};
    for (int i = 0; i < 55; ++i)
        body << QStringLiteral("N,N,1,Num,N,,1,");
    body << QStringLiteral("[FINE TABELLA]");
    f = failure(templ({}, body));
    EXPECT_TRUE(f.description().contains(QStringLiteral("54"))) << f.what();
    EXPECT_TRUE(printer.ops().empty());
}

TEST_F(PrintRunTest, ValuesThatCannotStandInSqlStopBeforeAnyQuery)
{
    PrintFailure f = failure(templ({QStringLiteral("Camera,=,Boh,<nessuno>,Camera,")},
                                   {QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,9,0,")}),
                             QStringLiteral("1 or 1=1,"));
    EXPECT_TRUE(f.description().contains(QStringLiteral("Camera"))) << f.what();
    EXPECT_TRUE(printer.ops().empty());
    f = failure(templ({QStringLiteral("N,In,Num,<nessuno>,Numeri,")}, {QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,9,0,")}),
                QStringLiteral(";;,"));
    EXPECT_TRUE(f.description().contains(QStringLiteral("N"))) << f.what();
    EXPECT_TRUE(printer.ops().empty());
}

TEST_F(PrintRunTest, InAndNoFilterRowsAndAnEmptyOrderingIsLeftOut)
{
    addRows(6);
    print(templ({QStringLiteral("N,In,Num,<nessuno>,Numeri,"), QStringLiteral("N,No,Num,<nessuno>,Non,")},
                {QStringLiteral("[TABELLA]"), QStringLiteral(",2,20,70,Arial,8,"), QStringLiteral("test.db,Righe,,,"),
                 QStringLiteral("N,N,4,Num,N,,3,"), QStringLiteral("[FINE TABELLA]")}),
          QStringLiteral("2;5; 4,5,"));
    EXPECT_EQ(printer.textsOnPage(1), QStringList({QStringLiteral("N"), QStringLiteral("  2"), QStringLiteral("  4")}));
}

TEST_F(PrintRunTest, ElementErrorsOfAContinuationPageAreReportedAndTheTableGoesOn)
{
    addRows(5);
    QStringList lines = tableTemplate();
    lines.insert(lines.size() - 1, QStringLiteral("[CAMPI]"));
    lines.insert(lines.size() - 1, QStringLiteral("test.db,Nessuna,Nome,Str,1,2,30,Arial,9,,"));
    const PrintFailure f = failure(lines, QStringLiteral("1,"));
    // The redraw of page 2 reported the field; the run then met the same field after the table.
    ASSERT_EQ(elementErrors.size(), 1);
    EXPECT_TRUE(elementErrors[0].endsWith(QStringLiteral(" n. 3078"))) << elementErrors[0].toStdString();
    EXPECT_EQ(f.number(), err::TableNotFound);
    EXPECT_EQ(f.line(), 18);
    EXPECT_TRUE(f.description().contains(QStringLiteral("Nessuna"))) << f.what();
}

// A picture left out is said once a print, however many pages receive the fixed elements again.
TEST_F(PrintRunTest, PicturesLeftOutAreReportedOncePerPrint)
{
    addRows(7);
    test::writeFile(QStringLiteral("rotta.png"), "\x89PNG\r\n\x1a\n non davvero");
    QStringList lines = tableTemplate();
    lines.insert(lines.size() - 1, QStringLiteral("[IMMAGINI]"));
    lines.insert(lines.size() - 1, QStringLiteral("manca.png,1.00,1.00,5.00,5.00,"));  // line 18
    lines.insert(lines.size() - 1, QStringLiteral("rotta.png,1.00,1.00,5.00,5.00,"));
    print(lines, QStringLiteral("1,"));
    ASSERT_EQ(printer.pageCount(), 3);
    ASSERT_EQ(warnings.size(), 1) << warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(warnings[0].startsWith(QStringLiteral("18: ")) && warnings[0].contains(QStringLiteral("\"manca.png\"")));
    ASSERT_EQ(elementErrors.size(), 1) << elementErrors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(elementErrors[0].contains(QStringLiteral("rotta.png")));
}

// Whatever the print refuses in a template, the check refuses on the same line, naming the text
// as written; what the check accepts, the print prints.
TEST_F(PrintRunTest, TheCheckRefusesWhatThePrintRefuses)
{
    const QString parameter = QStringLiteral("Cognome,=,Str,<nessuno>,Cognome,");
    const struct {
        QStringList body;
        const char* refused;  // null: accepted and printed
    } cases[] = {
        {{QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,0,0,")}, "dimensione del carattere \"0\""},
        {{QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,-3,0,")}, "dimensione del carattere \"-3\""},
        {{QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,5000,0,")}, "dimensione del carattere \"5000\""},
        {{QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,NaN,0,")}, "dimensione del carattere \"NaN\""},
        {{QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,1e308,0,")}, "dimensione del carattere \"1e308\""},
        {{QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Clienti,Cognome,Str,1,1,30,Arial,0,CodiceCliente = 9,")},
         "dimensione del carattere \"0\""},
        {{QStringLiteral("[TABELLA]"), QStringLiteral("T,1,1,70,Arial,inf,"), QStringLiteral("test.db,Righe,,,"),
          QStringLiteral("N,N,4,Num,N,,3,")},
         "dimensione del carattere \"inf\""},
        {{QStringLiteral("[TABELLA]"), QStringLiteral("T,1,1,70,Arial,8,"), QStringLiteral("test.db,Righe,,,"),
          QStringLiteral("N,N,500000000000000,Num,N,,3,"), QStringLiteral("N,N,500000000000000,Num,N,,3,")},
         "Overflow"},
        {{QStringLiteral("[*]"), QStringLiteral(",,,Num,1,1,10,Arial,9999,"), QStringLiteral("test.db,Clienti,Saldo,"),
          QStringLiteral("[/*]")},
         "dimensione del carattere \"9999\""},
        // The program quotes a text value itself: quotes around its placeholder would double them.
        {{QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Clienti,Note,Str,1,1,30,Arial,9,Cognome = '<PARAM1>',")},
         "<PARAM1> sta tra apici"},
        {{QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Clienti,Note,Str,1,1,30,Arial,9,Cognome Like \"%<PARAM1>%\",")},
         "<PARAM1> sta tra apici"},
        {{QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Clienti,Note,Str,1,1,30,Arial,9,Note <> 'it''s' and Cognome = <PARAM1>,")},
         nullptr},
        // Quotes and brackets are read as the SQL translator reads them.
        {{QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Clienti,Note,Str,1,1,30,Arial,9,(SELECT 1 AS [a'b]) = 1 AND Cognome = '<PARAM1>',")},
         "<PARAM1> sta tra apici"},
        {{QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Clienti,Note,Str,1,1,30,Arial,9,(SELECT 1 AS [a'b]) = 1 AND Cognome = <PARAM1>,")},
         nullptr},
        {{QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Clienti,Note,Str,1,1,30,Arial,9,Cognome = [<PARAM1>],")},
         "<PARAM1> sta tra parentesi quadre"},
        {{QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Clienti,Note,Str,1,1,30,Arial,9,Cognome = #<PARAM1>#,")},
         "non si legge"},
        {{QStringLiteral("[CAMPI]"), QStringLiteral("test.db,Clienti,Note,Str,1,1,30,Arial,9,Note = 'x and Cognome = <PARAM1>,")},
         "non si legge"},
    };
    for (const auto& c : cases) {
        const QStringList lines = templ({parameter}, c.body);
        const int line = 8;  // the first record after the body's section line
        const std::vector<TemplateProblem> problems = checkForPrint(QStringLiteral("t.vn3"), lines);
        printer = RecordingPrinter(QStringLiteral("PDF"));
        if (!c.refused) {
            EXPECT_TRUE(problems.empty()) << c.body.join(QLatin1Char('|')).toStdString();
            print(lines, QStringLiteral("Rossi' or 1=1 --,"));  // the value's own quote cannot end the literal
            EXPECT_TRUE(printer.ended());
            EXPECT_TRUE(printer.opsOfKind(PrintOp::Kind::Text).empty());
            continue;
        }
        ASSERT_EQ(problems.size(), 1u) << c.body.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(problems[0].line, line);
        EXPECT_TRUE(problems[0].message.contains(QString::fromUtf8(c.refused))) << problems[0].message.toStdString();
        const PrintFailure f = failure(lines, QStringLiteral("Rossi,"));
        EXPECT_EQ(f.line(), line) << f.what();
        EXPECT_TRUE(printer.ops().empty()) << f.what();
    }
}

TEST_F(PrintRunTest, AQueryPastTheTimeLimitFailsNamingItsSql)
{
    struct Case {
        const char* name;
        const char* tableAndField;
        const char* relation;
        int limitMs;
        int number;
    };
    const Case cases[] = {
        // A recursive relation that never finds its row.
        {"endless", "Clienti,Cognome", "CodiceCliente IN (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c WHERE x < 0)", 200, err::QueryTimeout},
        // Few rows, each slow: the limit holds whatever a row costs (all of them take tens of seconds).
        {"slow rows", "Righe,Descrizione", "length(hex(randomblob(10000000))) < 0", 1000, err::QueryTimeout},
        // A value too large to build, which would hold its row for seconds and gigabytes, is refused.
        {"huge values", "Righe,Descrizione", "length(hex(randomblob(300000000))) < 0", 1000, err::Overflow},
    };
    addRows(40);
    const auto limit = db::queryTimeLimit();
    for (const Case& c : cases) {
        const QString relation = QString::fromUtf8(c.relation);
        db::setQueryTimeLimit(std::chrono::milliseconds(c.limitMs));
        QElapsedTimer clock;
        clock.start();
        const PrintFailure f = failure(templ({}, {QStringLiteral("[CAMPI]"),
                                                  QStringLiteral("test.db,%1,Str,1,1,30,Arial,9,%2,").arg(QString::fromUtf8(c.tableAndField), relation)}));
        const qint64 elapsed = clock.elapsed();
        db::setQueryTimeLimit(limit);
        EXPECT_EQ(f.number(), c.number) << c.name << ": " << f.what();
        EXPECT_LT(elapsed, c.limitMs + 8000) << c.name;
        EXPECT_EQ(f.line(), 7) << c.name;
        EXPECT_TRUE(f.description().contains(relation)) << f.what();
        EXPECT_TRUE(printer.aborted()) << c.name;
        printer = RecordingPrinter(QStringLiteral("PDF"));
    }
}
