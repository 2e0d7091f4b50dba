#include "engine/PrintRun.h"
#include "print/Printer.h"
#include "print/PrinterTestSupport.h"
#include "print/QtPrintSink.h"

#include "support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

struct StopCase {
    const char* name;
    int stopAt;        // the page whose start the user stops at; 0: never
    bool oldOutput;    // a PDF of that name is already there
};

const StopCase stopCases[] = {
    {"at_the_second_page", 2, false},
    {"later_over_an_old_file", 4, true},
    {"never", 0, true},
};

class PrintStop : public ::testing::TestWithParam<StopCase> {
protected:
    void SetUp() override { test::ensureGuiApplication(); }
    test::ScopedCurrentDir dir;
};

}  // namespace

// The run reports every page after the first as it begins; a stop there discards the job: no
// PDF appears, and a file already there is left as it was.
TEST_P(PrintStop, AStoppedPrintWritesAndReplacesNothing)
{
    const StopCase& c = GetParam();
    QString rows;
    for (int i = 1; i <= 300; ++i)
        rows += QStringLiteral("(1, %1, 'riga %1'),").arg(i);
    rows.chop(1);
    test::createSqliteDatabase(QStringLiteral("t.db"), QStringLiteral("CREATE TABLE Righe (NumeroHotel INTEGER, N INTEGER, Testo TEXT);"
                                                                      "INSERT INTO Righe VALUES ") + rows + QLatin1Char(';'));
    test::writeTemplate(QStringLiteral("t.vn3"),
                        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("t.db,Righe,"),
                         QStringLiteral("[PARAMETRI]"), QStringLiteral("[TABELLA]"), QStringLiteral("Righe,2,2,40,Arial,9,"),
                         QStringLiteral("t.db,Righe,N,,"), QStringLiteral("N.,N,4,Num,N,,4,"),
                         QStringLiteral("Testo,Testo,20,Str,N,,20,"), QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")});
    if (c.oldOutput)
        test::writeFile(QStringLiteral("out.pdf"), "vecchio");

    Printer printer(std::make_unique<QtPrintSink>(QStringLiteral("out.pdf")));
    std::vector<int> begun;
    PrintSettings settings;
    settings.onPage = [&](int page) {
        begun.push_back(page);
        return page != c.stopAt;
    };
    PrintRun run(printer, QStringLiteral("t.vn3"), QString(), settings);
    if (c.stopAt == 0) {
        run.run();
        ASSERT_GE(run.pages(), 5);
        EXPECT_EQ(int(begun.size()), run.pages() - 1);
        EXPECT_TRUE(test::readFile(QStringLiteral("out.pdf")).startsWith("%PDF"));
        return;
    }
    try {
        run.run();
        ADD_FAILURE() << "the print was not stopped";
    } catch (const PrintFailure& f) {
        EXPECT_EQ(f.number(), err::UserInterrupt) << f.description().toStdString();
    }
    std::vector<int> expected;
    for (int page = 2; page <= c.stopAt; ++page)
        expected.push_back(page);
    EXPECT_EQ(begun, expected);
    EXPECT_EQ(QFile::exists(QStringLiteral("out.pdf")), c.oldOutput);
    if (c.oldOutput) {
        EXPECT_EQ(test::readFile(QStringLiteral("out.pdf")), "vecchio");
    }
}

INSTANTIATE_TEST_SUITE_P(Stops, PrintStop, ::testing::ValuesIn(stopCases),
                         [](const auto& info) { return std::string(info.param.name); });
