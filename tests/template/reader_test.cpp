#include "template/TemplateReader.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <map>

using namespace ostrivo;

namespace {

const QStringList kWorkedExample = test::workedExampleTemplate();

// Reads like the designer does: the page block and tables read their further lines themselves.
std::multimap<QString, Record> readAll(TemplateReader& reader, std::vector<TableBlock>* tables = nullptr)
{
    std::multimap<QString, Record> records;
    reader.forEachRecord([&](const QString& section, const Record& record) {
        records.emplace(section, record);
        if (section == QLatin1String("[TESTA]")) {
            records.emplace(section, reader.nextLine(QStringLiteral("line 2")));
            records.emplace(section, reader.nextLine(QStringLiteral("line 3")));
        } else if (section == QLatin1String("[TABELLA]")) {
            TableBlock block = reader.readTableBlock(record, TableEnd::FineTabella, 60);
            if (tables)
                tables->push_back(block);
        }
    });
    return records;
}

QString errorOf(const std::function<void()>& action, int* line = nullptr)
{
    try {
        action();
    } catch (const TemplateError& e) {
        if (line)
            *line = e.line();
        return e.description();
    }
    return {};
}

}  // namespace

TEST(TemplateReader, WorkedExampleReadsIntoItsSectionsAndRecords)
{
    TemplateReader reader(QStringLiteral("esempio.vn3"), kWorkedExample);
    std::vector<TableBlock> tables;
    const auto records = readAll(reader, &tables);
    EXPECT_EQ(records.count(QStringLiteral("[TESTA]")), 3u);
    ASSERT_EQ(records.count(QStringLiteral("[PARAMETRI]")), 1u);
    const Record parameter = records.find(QStringLiteral("[PARAMETRI]"))->second;
    EXPECT_EQ(parameter.line, 6);
    EXPECT_EQ(reader.field(parameter, 3), QStringLiteral("Date"));
    EXPECT_EQ(reader.field(parameter, 5), QStringLiteral("Dalla data"));
    EXPECT_EQ(reader.field(records.find(QStringLiteral("[IMMAGINI]"))->second, 1), QStringLiteral("logo.jpg"));
    EXPECT_EQ(reader.field(records.find(QStringLiteral("[GRIGLIA]"))->second, 4), QStringLiteral("79.00"));
    const Record field = records.find(QStringLiteral("[CAMPI]"))->second;
    EXPECT_EQ(reader.field(field, 10), QString());
    EXPECT_EQ(reader.field(records.find(QStringLiteral("[TESTO]"))->second, 1), QStringLiteral("Data_oggi"));
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(reader.field(tables[0].placement, 1), QStringLiteral("Elenco"));
    EXPECT_EQ(reader.field(tables[0].source, 3), QStringLiteral("DataArrivo"));
    ASSERT_EQ(tables[0].columns.size(), 1u);
    EXPECT_EQ(tables[0].columns[0].line, 18);
    EXPECT_EQ(reader.field(tables[0].columns[0], 7), QStringLiteral("4"));
    EXPECT_EQ(tables[0].terminator.text, QStringLiteral("[FINE TABELLA]"));
    EXPECT_EQ(records.count(QStringLiteral("[FINE]")), 0u);
}

TEST(TemplateReader, SectionsAreWholeLinesComparedExactly)
{
    TemplateReader reader(QStringLiteral("t.vn3"), {QStringLiteral("[TESTO] "), QStringLiteral("a,1,2,Arial,10,0,"),
                                                    QStringLiteral("[testo]"), QStringLiteral("b,1,2,Arial,10,0,"),
                                                    QStringLiteral("[TESTO]"), QStringLiteral("[Che inizia con parentesi,"),
                                                    QStringLiteral("c,1,2,Arial,10,0,")});
    const auto records = readAll(reader);
    EXPECT_EQ(records.count(QStringLiteral("[TESTO]")), 0u);  // the record starting with "[" opened a section
    EXPECT_EQ(records.count(QStringLiteral("[TESTO] ")), 1u);
    EXPECT_EQ(records.count(QStringLiteral("[testo]")), 1u);
    EXPECT_EQ(records.count(QStringLiteral("[Che inizia con parentesi,")), 1u);
}

TEST(TemplateReader, TablesFollowOneSectionLineAndMayHaveNoColumns)
{
    TemplateReader reader(QStringLiteral("t.vn3"),
                          {QStringLiteral("[TABELLA]"), QStringLiteral("A,1,1,40,Arial,8,"), QStringLiteral("a.mdb,T,,,"),
                           QStringLiteral("[FINE TABELLA]"), QStringLiteral("B,1,1,40,Arial,8,"),
                           QStringLiteral("a.mdb,T,,,"), QStringLiteral("C,C,5,Str,N,,5,"),
                           QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")});
    std::vector<TableBlock> tables;
    readAll(reader, &tables);
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_TRUE(tables[0].columns.empty());
    EXPECT_EQ(tables[1].columns.size(), 1u);
}

TEST(TemplateReader, MalformedFilesNameFileLineAndWhatWasExpected)
{
    int line = 0;
    // Missing "[FINE TABELLA]".
    TemplateReader noEnd(QStringLiteral("rotto.vn3"), {QStringLiteral("[TABELLA]"), QStringLiteral("A,1,1,40,Arial,8,"),
                                                       QStringLiteral("a.mdb,T,,,"), QStringLiteral("C,C,5,Str,N,,5,")});
    QString message = errorOf([&] { readAll(noEnd); }, &line);
    EXPECT_TRUE(message.contains(QStringLiteral("rotto.vn3"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("[FINE TABELLA]"))) << message.toStdString();
    EXPECT_EQ(line, 4);  // the last line, not one past it

    // Too few fields.
    TemplateReader shortRecord(QStringLiteral("corto.vn3"), {QStringLiteral("[TESTO]"), QStringLiteral("testo,1,2,")});
    shortRecord.forEachRecord([&](const QString&, const Record& r) {
        message = errorOf([&] { shortRecord.field(r, 6); }, &line);
    });
    EXPECT_EQ(line, 2);
    EXPECT_TRUE(message.contains(QStringLiteral("6"))) << message.toStdString();

    // More columns than the list holds.
    QStringList wide = {QStringLiteral("[TABELLA]"), QStringLiteral("A,1,1,40,Arial,8,"), QStringLiteral("a.mdb,T,,,")};
    for (int i = 0; i < 61; ++i)
        wide << QStringLiteral("C,C,1,Num,N,,1,");
    wide << QStringLiteral("[FINE TABELLA]");
    TemplateReader tooWide(QStringLiteral("largo.vn3"), wide);
    message = errorOf([&] { readAll(tooWide); }, &line);
    EXPECT_EQ(line, 3 + 61);
    EXPECT_TRUE(message.contains(QStringLiteral("60"))) << message.toStdString();

    // A product block without "[/*]".
    TemplateReader product(QStringLiteral("p.vn3"), {QStringLiteral("[*]"), QStringLiteral(",,,Num,1,1,5,Arial,8,"),
                                                     QStringLiteral("a.mdb,T,C,")});
    message = errorOf([&] {
        product.forEachRecord([&](const QString&, const Record& r) { product.readProductBlock(r, 49); });
    });
    EXPECT_TRUE(message.contains(QStringLiteral("[/*]"))) << message.toStdString();

    // A file that cannot be opened.
    test::ScopedCurrentDir dir;
    message = errorOf([] { TemplateReader missing(QStringLiteral("manca.vn3")); });
    EXPECT_TRUE(message.contains(QStringLiteral("manca.vn3")));
}

TEST(TemplateReader, PrintRunNeverInterpretsTheLastLineAndEndsColumnsAtAnySectionLine)
{
    TemplateReader reader(QStringLiteral("t.vn3"), {QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,8,0,"),
                                                    QStringLiteral("[TABELLA]"), QStringLiteral("A,1,1,40,Arial,8,"),
                                                    QStringLiteral("a.mdb,T,,,"), QStringLiteral("C,C,5,Str,N,,5,"),
                                                    QStringLiteral("[ALTRO]"), QStringLiteral("B,1,1,40,Arial,8,"),
                                                    QStringLiteral("b.mdb,T,,,"), QStringLiteral("[FINE TABELLA]"),
                                                    QStringLiteral("[TESTO]"), QStringLiteral("b,1,1,Arial,8,0,"),
                                                    QStringLiteral("c,1,1,Arial,8,0,")});
    QStringList seen;
    reader.forEachRecord(
        [&](const QString& section, const Record& r) {
            seen << section + QLatin1Char(':') + r.text;
            if (section == QLatin1String("[TABELLA]")) {
                const TableBlock block = reader.readTableBlock(r, TableEnd::AnySection, 54);
                EXPECT_TRUE(block.terminator.text.startsWith(QLatin1Char('[')));
            }
        },
        LastLine::NeverInterpreted);
    // The "[ALTRO]" line was consumed by the table, so the next record is still a table's line A;
    // the very last line is never handed over.
    EXPECT_EQ(seen, QStringList({QStringLiteral("[TESTO]:a,1,1,Arial,8,0,"), QStringLiteral("[TABELLA]:A,1,1,40,Arial,8,"),
                                 QStringLiteral("[TABELLA]:B,1,1,40,Arial,8,"), QStringLiteral("[TESTO]:b,1,1,Arial,8,0,")}));
}

TEST(TemplateReader, ReadsWindows1252FilesWithLfOrCrLf)
{
    test::ScopedCurrentDir dir;
    test::writeFile(QStringLiteral("a.vn3"), "[TESTO]\nCitt\xE0 d\xB4Italia,1,2,Arial,10,0,\r\n[FINE]");
    TemplateReader reader(QStringLiteral("a.vn3"));
    QString text;
    reader.forEachRecord([&](const QString&, const Record& r) { text = reader.field(r, 1); });
    EXPECT_EQ(text, QStringLiteral("Città d´Italia"));
    EXPECT_EQ(reader.lineCount(), 3);
}
