#include "app/PrintCommand.h"

#include "support/PdfText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

struct UsageCase {
    std::vector<const char*> arguments;
    int exitCode;
    const char* message;  // on stderr, in Italian
};

void PrintTo(const UsageCase& c, std::ostream* os)
{
    for (const char* a : c.arguments)
        *os << a << ' ';
}

class CommandLineUsage : public ::testing::TestWithParam<UsageCase> {};

}  // namespace

TEST_P(CommandLineUsage, SaysWhatIsWrongInItalian)
{
    test::ScopedCurrentDir dir;
    test::writeTemplate(dir.file(QStringLiteral("t.vn3")), {QStringLiteral("[TESTA]"), QStringLiteral("1"),
                                                            QStringLiteral("80,75,"), QStringLiteral("a.mdb,T,"),
                                                            QStringLiteral("[PARAMETRI]"), QStringLiteral("ARRIVO,>=,Date,<nessuno>,Dal,"),
                                                            QStringLiteral("N,=,Num,<nessuno>,Numero,"), QStringLiteral("[FINE]")});
    QStringList arguments;
    for (const char* a : GetParam().arguments)
        arguments << QString::fromUtf8(a);
    const test::RunResult run = test::runBinary(arguments, dir.path());
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(GetParam().message))) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("catering.pdf"))));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, CommandLineUsage,
    ::testing::Values(
        UsageCase{{"stampa"}, 2, "comando sconosciuto \"stampa\""},
        UsageCase{{"print"}, 2, "manca il modello di stampa"},
        UsageCase{{"print", "t.vn3", "--colore"}, 2, "opzione sconosciuta --colore"},
        UsageCase{{"print", "t.vn3", "--values"}, 2, "--values richiede un valore"},
        UsageCase{{"print", "t.vn3", "altro.vn3"}, 2, "un solo modello di stampa (c'è anche altro.vn3)"},
        UsageCase{{"print", "t.vn3", "--date", "ieri"}, 2, "--date \"ieri\": data non valida"},
        UsageCase{{"print", "t.vn3", "--output", "x.pdf", "--printer", "Ufficio"}, 2, "si usa solo con --printer PDF"},
        UsageCase{{"print", "t.vn3", "--printer", "Nessuna"}, 2, "Stampante \"Nessuna\" non trovata. Stampanti disponibili: PDF"},
        UsageCase{{"print", "t.vn3", "--query-timeout", "0"}, 2, "--query-timeout \"0\": servono i secondi"},
        UsageCase{{"print", "t.vn3", "--output", "t.vn3"}, 2, "l'uscita \"t.vn3\" è lo stesso file di \"t.vn3\""},
        UsageCase{{"print", "nessuno.vn3"}, 1, "nessuno.vn3: il modello di stampa non esiste"},
        UsageCase{{"print", "t.vn3", "--values", "32/13/2024,1,"}, 2, "\"32/13/2024\" del parametro 1 (ARRIVO, \"Dal\") non è una data"},
        UsageCase{{"print", "t.vn3", "--values", "01/05/2024,abc,"}, 2, "\"abc\" del parametro 2 (N, \"Numero\") non è un numero"},
        UsageCase{{"check"}, 2, "serve esattamente un modello di stampa"}));

TEST(PrintCommand, ValuesAsGivenAndDefaultsAsTheDialogsOkHandsThemOn)
{
    test::ScopedCurrentDir dir;
    test::writeTemplate(QStringLiteral("t.vn3"),
                        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("a.mdb,T,"),
                         QStringLiteral("[PARAMETRI]"), QStringLiteral("IMPORTO,>=,Cur,1.500,Importo,"),
                         QStringLiteral("ARRIVO,>=,Date,010524,Arrivo,"), QStringLiteral("NOME,=,Str,l'albergo,Nome,"),
                         QStringLiteral("N,=,Num,<nessuno>,Numero,"), QStringLiteral("[FINE]")});
    const QString path = QStringLiteral("t.vn3");
    EXPECT_EQ(valuesWithDefaults(path, nullptr), QStringLiteral("1500.00,01/05/2024,l'albergo,0,"));
    // Given values travel as they are: "1.5" is one and a half.
    const QString given = QStringLiteral(" 1.5 ,31/12/2024,");
    EXPECT_EQ(valuesWithDefaults(path, &given), QStringLiteral("1.5,31/12/2024,l'albergo,0,"));
}

// --help speaks Italian as every other message does, and bad usage is answered with the commands.
TEST(CommandLine, HelpIsInItalianAndNamesEveryCommand)
{
    test::ScopedCurrentDir dir;
    const test::RunResult help = test::runBinary({QStringLiteral("--help")}, dir.path());
    const test::RunResult wrong = test::runBinary({QStringLiteral("stampa")}, dir.path());
    EXPECT_EQ(help.exitCode, 0);
    for (const char* english : {"Usage", "Exit status", " the ", " and ", " with ", " of "})
        EXPECT_FALSE(help.out.contains(QString::fromLatin1(english))) << english;
    for (const char* command : {"print", "check", "resave", "import"}) {
        EXPECT_TRUE(help.out.contains(QStringLiteral("ostrivo-report %1 ").arg(command))) << command;
        EXPECT_TRUE(wrong.err.contains(QStringLiteral("ostrivo-report %1 ").arg(command))) << command;
    }
}
