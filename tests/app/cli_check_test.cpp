#include "support/PdfText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace ostrivo;

TEST(CliCheck, ListsEachProblemWithItsLine)
{
    test::ScopedCurrentDir dir;
    QStringList lines = {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("a.mdb,T,"),
                         QStringLiteral("[PARAMETRI]")};
    for (int i = 1; i <= 11; ++i)
        lines << QStringLiteral("C%1,=,Num,1,P,").arg(i);                 // the 11th is line 16
    lines << QStringLiteral("[TESTO]") << QStringLiteral("corto,1,2,")     // line 18: 3 fields of 6
          << QStringLiteral("buono,1,2,Arial,10,0,") << QStringLiteral("[CAMPI]")
          << QStringLiteral("a.mdb,T,C,Str,1,1,5,Arial,8,")                // line 21: 9 fields of 10
          << QStringLiteral("[TABELLA]") << QStringLiteral("T,1,1,40,Arial,8,") << QStringLiteral("a.mdb,T,,,")
          << QStringLiteral("C,C,5,Str,N,,5,") << QStringLiteral("[FINE]");  // no [FINE TABELLA]: ends at 26
    test::writeTemplate(QStringLiteral("rotto.vn3"), lines);
    const test::RunResult run = test::runBinary({QStringLiteral("check"), QStringLiteral("rotto.vn3")}, dir.path());
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const QStringList out = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), 4) << run.out.toStdString();
    EXPECT_TRUE(out[0].startsWith(QStringLiteral("rotto.vn3:16: "))) << out[0].toStdString();
    EXPECT_TRUE(out[1].startsWith(QStringLiteral("rotto.vn3:18: "))) << out[1].toStdString();
    EXPECT_TRUE(out[2].startsWith(QStringLiteral("rotto.vn3:21: "))) << out[2].toStdString();
    EXPECT_TRUE(out[3].startsWith(QStringLiteral("rotto.vn3:24: "))) << out[3].toStdString();  // no a.mdb
    // A table whose column records run to the end of the file never ends: named where they stop.
    test::writeTemplate(QStringLiteral("tabella.vn3"),
                        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("a.mdb,T,"),
                         QStringLiteral("[PARAMETRI]"), QStringLiteral("[TABELLA]"), QStringLiteral("T,1,1,40,Arial,8,"),
                         QStringLiteral("a.mdb,T,,,"), QStringLiteral("C,C,5,Str,N,,5,"), QStringLiteral("D,D,5,Str,N,,5,")});
    const test::RunResult second = test::runBinary({QStringLiteral("check"), QStringLiteral("tabella.vn3")}, dir.path());
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.out.startsWith(QStringLiteral("tabella.vn3:10: "))) << second.out.toStdString();
    EXPECT_TRUE(second.out.contains(QStringLiteral("[FINE TABELLA]"))) << second.out.toStdString();
}

TEST(CliCheck, AGoodTemplateHasNoProblemAndAMissingOneIsOne)
{
    test::ScopedCurrentDir dir;
    test::writeTemplate(QStringLiteral("buono.vn3"),
                        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("a.mdb,T,"),
                         QStringLiteral("[PARAMETRI]"), QStringLiteral("DataArrivo,>=,Date,<nessuno>,Dal,"),
                         QStringLiteral("[TESTO]"), QStringLiteral("Data_oggi,60,2,Arial,10,0,"), QStringLiteral("[FINE]")});
    test::RunResult run = test::runBinary({QStringLiteral("check"), QStringLiteral("buono.vn3")}, dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("buono.vn3: nessun problema\n"));
    run = test::runBinary({QStringLiteral("check"), QStringLiteral("manca.vn3")}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("manca.vn3"))) << run.out.toStdString();
    run = test::runBinary({QStringLiteral("check")}, dir.path());
    EXPECT_EQ(run.exitCode, 2);
}

// The files a template names are opened as the print opens them: what the print would fail on is
// a problem, a picture it would leave out a warning.
TEST(CliCheck, ChecksTheFilesTheTemplateNames)
{
    test::ScopedCurrentDir dir;
    test::createSqliteDatabase(QStringLiteral("dati.db"),
                               QStringLiteral("CREATE TABLE Clienti (NumeroHotel INTEGER, Nome TEXT, Conto REAL);"));
    test::writeFile(QStringLiteral("testo.db"), "non un database");
    const QString field = QStringLiteral("[CAMPI]\n%1,%2,%3,Str,1,1,5,Arial,8,,");
    const QString table = QStringLiteral("[TABELLA]\nT,1,1,40,Arial,8,\n%1,%2,,,\nC,%3,5,Str,N,,5,\n[FINE TABELLA]");
    const QString ordered = QStringLiteral("[TABELLA]\nT,1,1,40,Arial,8,\ndati.db,Clienti,%1,,\nC,Nome,5,Str,N,,5,\n[FINE TABELLA]");
    const struct {
        QString body;  // from line 6
        int exitCode;
        int line;        // of the first line listed; 0: none but the summary
        const char* says;
    } cases[] = {
        {field.arg(QStringLiteral("dati.db"), QStringLiteral("clienti"), QStringLiteral("nome")), 0, 0, ""},
        {field.arg(QStringLiteral("manca.db"), QStringLiteral("Clienti"), QStringLiteral("Nome")), 1, 7, "manca.db"},
        {field.arg(QStringLiteral("testo.db"), QStringLiteral("Clienti"), QStringLiteral("Nome")), 1, 7, "testo.db"},
        {field.arg(QStringLiteral("dati.db"), QStringLiteral("Ospiti"), QStringLiteral("Nome")), 1, 7, "Ospiti"},
        {field.arg(QStringLiteral("dati.db"), QStringLiteral("Clienti"), QStringLiteral("Cognome")), 1, 7, "Cognome"},
        {table.arg(QStringLiteral("manca.db"), QStringLiteral("Clienti"), QStringLiteral("Nome")), 1, 8, "manca.db"},
        {table.arg(QStringLiteral("dati.db"), QStringLiteral("Clienti"), QStringLiteral("Cognome")), 1, 9, "Cognome"},
        {ordered.arg(QStringLiteral("nome DESC-[Conto]")), 0, 0, ""},
        {ordered.arg(QStringLiteral("Nome-Cognome")), 1, 8, "Cognome"},
        {QStringLiteral("[*]\np,p,p,Num,1,1,5,Arial,8,\ndati.db,Clienti,Conto,\ndati.db,Clienti,Sconto,\n[/*]"), 1, 9, "Sconto"},
        {QStringLiteral("[IMMAGINI]\nmanca.png,1,1,5,5,"), 0, 7, "avviso: l'immagine \"manca.png\""},
        {QStringLiteral("[IMMAGINI]\ntesto.db,1,1,5,5,"), 1, 7, "testo.db"},
    };
    for (const auto& c : cases) {
        test::writeTemplate(QStringLiteral("t.vn3"), QStringLiteral("[TESTA]\n1\n80,75,\ndati.db,Clienti,\n[PARAMETRI]\n%1\n[FINE]")
                                                         .arg(c.body)
                                                         .split(QLatin1Char('\n')));
        const test::RunResult run = test::runBinary({QStringLiteral("check"), QStringLiteral("t.vn3")}, dir.path());
        EXPECT_EQ(run.exitCode, c.exitCode) << c.body.toStdString() << "\n" << run.out.toStdString();
        const QStringList out = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_FALSE(out.isEmpty()) << c.body.toStdString();
        if (c.line > 0) {
            EXPECT_TRUE(out[0].startsWith(QStringLiteral("t.vn3:%1: ").arg(c.line))) << out[0].toStdString();
            EXPECT_TRUE(out[0].contains(QString::fromUtf8(c.says))) << out[0].toStdString();
        }
        EXPECT_EQ(out.last() == QStringLiteral("t.vn3: nessun problema"), c.exitCode == 0) << run.out.toStdString();
    }
}
