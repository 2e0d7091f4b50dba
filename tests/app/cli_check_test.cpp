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
    ASSERT_EQ(out.size(), 3) << run.out.toStdString();
    EXPECT_TRUE(out[0].startsWith(QStringLiteral("rotto.vn3:16: "))) << out[0].toStdString();
    EXPECT_TRUE(out[1].startsWith(QStringLiteral("rotto.vn3:18: "))) << out[1].toStdString();
    EXPECT_TRUE(out[2].startsWith(QStringLiteral("rotto.vn3:21: "))) << out[2].toStdString();
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
    EXPECT_TRUE(run.out.isEmpty());
    run = test::runBinary({QStringLiteral("check"), QStringLiteral("manca.vn3")}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("manca.vn3"))) << run.out.toStdString();
    run = test::runBinary({QStringLiteral("check")}, dir.path());
    EXPECT_EQ(run.exitCode, 2);
}
