// Every value decoded from the test databases against independent truth: the CSV ground truth
// of the generated files, and what mdbtools prints for the files written by Access.

#include "DbTestSupport.h"
#include "GroundTruth.h"
#include "db/AccessFile.h"

#include <QDir>
#include <QRegularExpression>
#include <cmath>

using namespace ostrivo;
using namespace ostrivo::db;
using test::db::CsvField;
using test::db::CsvRow;
using test::db::expectTableMatchesCsv;
using test::db::plainDecimal;

namespace {

QStringList lines(const QByteArray& output)
{
    QStringList out = QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : out)
        line = line.trimmed();
    out.removeAll(QString());
    return out;
}

const char* const kRealFiles[] = {"real/nwind.mdb", "real/DateTestDatabase.mdb", "real/ASampleDatabase.accdb"};

}  // namespace

TEST(AccessFiles, HotelEveryValueOfEveryTableEqualsTheGroundTruth)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(test::testDataFile(QStringLiteral("hotel.mdb")));
    const QDir csvDir(test::testDataFile(QStringLiteral("csv/hotel")));
    const QStringList files = csvDir.entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 6);
    for (const QString& file : files)
        expectTableMatchesCsv(*db, QFileInfo(file).completeBaseName(), csvDir.filePath(file));
}

TEST(AccessFiles, NullEmptyTextAndEmptyBinaryStayApart)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(test::testDataFile(QStringLiteral("hotel.mdb")));
    auto rs = db->OpenRecordset(QStringLiteral("Select Testo, Memo, Binario, Oggetto From Tipi Where ID = 3"));
    rs->FindFirst(QStringLiteral("True"));
    ASSERT_FALSE(rs->NoMatch());
    for (const char* column : {"Testo", "Memo"}) {
        const Variant v = rs->Fields().Item(QString::fromUtf8(column)).Value();
        EXPECT_TRUE(v.isText() && v.text().isEmpty()) << column << ": " << describe(v).toStdString();
    }
    const Variant binary = rs->Fields().Item(QStringLiteral("Binario")).Value();
    EXPECT_TRUE(binary.isBinary() && binary.bytes().isEmpty()) << describe(binary).toStdString();

    auto nulls = db->OpenRecordset(QStringLiteral("Select * From Tipi Where ID = 5"));
    nulls->FindFirst(QStringLiteral("True"));
    ASSERT_FALSE(nulls->NoMatch());
    for (int c = 2; c < nulls->Fields().Count(); ++c)
        EXPECT_TRUE(nulls->Fields().Item(c).Value().isNull()) << nulls->Fields().Item(c).Name().toStdString();
    EXPECT_EQ(nulls->Fields().Item(QStringLiteral("SiNo")).Value(), Variant::fromBoolean(false));  // never Null

    // Client 1/10: Nome and Note are "" while client 1/6 has Nome Null.
    auto clients = db->OpenRecordset(QStringLiteral("Select * From Clienti Where NumeroHotel = 1 And CodiceCliente In (6, 10) Order By CodiceCliente"));
    clients->FindFirst(QStringLiteral("True"));
    ASSERT_FALSE(clients->NoMatch());
    EXPECT_TRUE(clients->Fields().Item(QStringLiteral("Nome")).Value().isNull());
    clients->FindNext(QStringLiteral("True"));
    ASSERT_FALSE(clients->NoMatch());
    EXPECT_EQ(clients->Fields().Item(QStringLiteral("Nome")).Value(), Variant::fromText(QString()));
    EXPECT_EQ(clients->Fields().Item(QStringLiteral("Note")).Value(), Variant::fromText(QString()));
}

TEST(AccessFiles, MovimentiMedioEveryValueEqualsTheGroundTruth)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(test::testDataFile(QStringLiteral("movimenti_medio.mdb")));
    expectTableMatchesCsv(*db, QStringLiteral("Movimenti"), test::testDataFile(QStringLiteral("csv/movimenti_medio/Movimenti.csv")));
}

TEST(AccessFiles, TypeCodesOfEveryJet4Type)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(test::testDataFile(QStringLiteral("hotel.mdb")));
    const FieldCollection& f = db->TableDefs().Item(QStringLiteral("tipi")).Fields();
    QList<int> types;
    for (int i = 0; i < f.Count(); ++i)
        types << f.Item(i).Type();
    EXPECT_EQ(types, QList<int>({4, 1, 2, 3, 4, 5, 6, 7, 8, 10, 10, 12, 9, 11, 15, 20}));
    EXPECT_EQ(f.Item(QStringLiteral("Testo")).Size(), 255);  // characters, as declared
    EXPECT_EQ(f.Item(QStringLiteral("TestoNonCompresso")).Size(), 50);
    EXPECT_EQ(f.Item(QStringLiteral("Lungo")).Size(), 4);
}

TEST(AccessFiles, TableListInOrderEqualsMdbTables)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    for (const char* file : {"hotel.mdb", "real/nwind.mdb", "real/DateTestDatabase.mdb", "real/ASampleDatabase.accdb"}) {
        const QString path = test::testDataFile(QString::fromUtf8(file));
        const auto listed = test::db::runTool(QStringLiteral("mdb-tables"), {QStringLiteral("-S"), QStringLiteral("-1"), path});
        if (!listed)
            GTEST_SKIP() << "mdb-tables is not installed";
        auto db = dbEngine().OpenDatabase(path);
        QStringList names;
        for (int i = 0; i < db->TableDefs().Count(); ++i)
            names << db->TableDefs().Item(i).Name();
        EXPECT_EQ(names, lines(*listed)) << file;
    }
}

TEST(AccessFiles, ColumnNamesAndTypesAgreeWithMdbSchema)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    // mdb-schema's words for the Access types.
    const QList<std::pair<QString, int>> words = {
        {QStringLiteral("Boolean"), 1},  {QStringLiteral("Byte"), 2},         {QStringLiteral("Integer"), 3},
        {QStringLiteral("Long Integer"), 4}, {QStringLiteral("Currency"), 5}, {QStringLiteral("Single"), 6},
        {QStringLiteral("Double"), 7},   {QStringLiteral("DateTime"), 8},     {QStringLiteral("Binary"), 9},
        {QStringLiteral("Text"), 10},    {QStringLiteral("OLE"), 11},         {QStringLiteral("Memo/Hyperlink"), 12},
        {QStringLiteral("Replication ID"), 15}, {QStringLiteral("Numeric"), 20}};
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE \\[(.*)\\]$"));
    static const QRegularExpression column(QStringLiteral("^\\[(.*)\\]\\s+([A-Za-z /]+?)\\s*(\\([^)]*\\))?\\s*(NOT NULL)?\\s*,?$"));
    for (const char* file : {"hotel.mdb", "real/nwind.mdb", "real/DateTestDatabase.mdb", "real/ASampleDatabase.accdb"}) {
        const QString path = test::testDataFile(QString::fromUtf8(file));
        const auto schema = test::db::runTool(QStringLiteral("mdb-schema"), {path, QStringLiteral("access")});
        if (!schema)
            GTEST_SKIP() << "mdb-schema is not installed";
        auto db = dbEngine().OpenDatabase(path);
        int tablesSeen = 0;
        int columnsSeen = 0;
        QString current;
        int index = 0;
        for (const QString& line : lines(*schema)) {
            if (const auto m = table.match(line); m.hasMatch()) {
                current = m.captured(1);
                index = 0;
                ++tablesSeen;
                continue;
            }
            const auto m = column.match(line);
            if (current.isEmpty() || !m.hasMatch())
                continue;
            int expected = -1;
            for (const auto& [word, code] : words) {
                if (m.captured(2).trimmed() == word)
                    expected = code;
            }
            ASSERT_NE(expected, -1) << "unknown type word in: " << line.toStdString();
            const FieldCollection& fields = db->TableDefs().Item(current).Fields();
            ASSERT_LT(index, fields.Count()) << current.toStdString();
            EXPECT_EQ(fields.Item(index).Name(), m.captured(1)) << file << " " << current.toStdString();
            EXPECT_EQ(fields.Item(index).Type(), expected) << file << " " << current.toStdString() << "." << m.captured(1).toStdString();
            if (expected == 10) {  // "Text (50)": the size in characters
                EXPECT_EQ(QStringLiteral("(%1)").arg(fields.Item(index).Size()), m.captured(3).trimmed())
                    << file << " " << current.toStdString() << "." << m.captured(1).toStdString();
            }
            ++index;
            ++columnsSeen;
        }
        EXPECT_GT(tablesSeen, 0) << file;
        EXPECT_GT(columnsSeen, tablesSeen) << file;
    }
}

namespace {

// mdb-export's form of a value, where libmdb prints it faithfully (see data/README.md for where
// it does not: Doubles with 16 digits, Null as "", dates before 1900, GUIDs, leading zero bytes).
bool matchesMdbExport(const Variant& v, int fieldType, const CsvField& exported, QString* why)
{
    *why = QStringLiteral("mdb-export %1, got %2").arg(exported.text, describe(v));
    const QString e = exported.text;
    if (e.isEmpty())
        return v.isNull() || v.text().isEmpty() || (fieldType == type::Binary && v.bytes().startsWith('\0'));
    switch (fieldType) {
    case type::Boolean:
        return v.text() == (e == QLatin1String("1") ? QStringLiteral("-1") : QStringLiteral("0"));
    case type::Single:
        return v.isNumber() && static_cast<float>(v.toDouble()) == e.toFloat();
    case type::Double:
        return v.isNumber() && std::fabs(v.toDouble() - e.toDouble()) <= 1e-15 * std::fabs(e.toDouble());
    case type::Date:
        return e.startsWith(QLatin1String("1900-01-00")) || v.text() == e;
    case type::Guid:
        return QString(v.text()).remove(QLatin1Char('-')) == QString(e).remove(QLatin1Char('-'));
    case type::Binary:
    case type::LongBinary:
        return v.isBinary() && QString::fromLatin1(v.bytes().toHex().toUpper()) == e.toUpper();
    case type::Text:
    case type::Memo:
        return v.isText() && v.text() == e;
    default:
        return v.isNumber() && v.text() == plainDecimal(e);
    }
}

}  // namespace

TEST(AccessFiles, ValuesOfTheRealFilesAgreeWithMdbExport)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    int cells = 0;
    for (const char* file : kRealFiles) {
        const QString path = test::testDataFile(QString::fromUtf8(file));
        const auto tables = test::db::runTool(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), path});
        if (!tables)
            GTEST_SKIP() << "mdb-tables is not installed";
        auto db = dbEngine().OpenDatabase(path);
        for (const QString& table : lines(*tables)) {
            const auto exported = test::db::runTool(
                QStringLiteral("mdb-export"), {QStringLiteral("-D"), QStringLiteral("%Y-%m-%d %H:%M:%S"), QStringLiteral("-T"),
                                               QStringLiteral("%Y-%m-%d %H:%M:%S"), QStringLiteral("-b"),
                                               QStringLiteral("hex"), path, table});
            ASSERT_TRUE(exported.has_value()) << table.toStdString();
            const std::vector<CsvRow> rows = test::db::parseCsv(QString::fromUtf8(*exported));

            auto rs = db->OpenRecordset(QStringLiteral("Select * From [%1]").arg(table));
            const FieldCollection& fields = rs->Fields();
            std::size_t row = 1;
            for (rs->FindFirst(QStringLiteral("1 = 1")); !rs->NoMatch(); rs->FindNext(QStringLiteral("1 = 1")), ++row) {
                ASSERT_LT(row, rows.size()) << file << " " << table.toStdString();
                for (int c = 0; c < fields.Count(); ++c) {
                    QString why;
                    EXPECT_TRUE(matchesMdbExport(fields.Item(c).Value(), fields.Item(c).Type(), rows[row][static_cast<std::size_t>(c)], &why))
                        << file << " " << table.toStdString() << " row " << row << " " << fields.Item(c).Name().toStdString()
                        << ": " << why.toStdString();
                    ++cells;
                }
            }
            EXPECT_EQ(row, rows.size()) << file << " " << table.toStdString();
        }
    }
    EXPECT_GT(cells, 30000);  // every user table of the three files
}

TEST(AccessFiles, DatesBefore1900AndUpToYear9999AreDecoded)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    auto db = dbEngine().OpenDatabase(test::testDataFile(QStringLiteral("hotel.mdb")));
    auto rs = db->OpenRecordset(QStringLiteral("Select DataOra From Tipi Where ID = 4"));
    rs->FindFirst(QStringLiteral("True"));
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Fields().Item(0).Value().text(), QStringLiteral("1850-06-15 12:00:00"));

    // The stored day count, decoded: negative days count back from 1899-12-30 while the fraction
    // stays the time of that day.
    EXPECT_EQ(accessDateText(0), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(accessDateText(-1.25), QStringLiteral("1899-12-29 06:00:00"));
    EXPECT_EQ(accessDateText(-0.5), QStringLiteral("1899-12-30 12:00:00"));
    EXPECT_EQ(accessDateText(45351.573263888889), QStringLiteral("2024-02-29 13:45:30"));
    EXPECT_EQ(accessDateText(2958465.99999), QStringLiteral("9999-12-31 23:59:59"));
    EXPECT_EQ(accessDateText(1.9999999), QStringLiteral("1900-01-01 00:00:00"));  // rounds into the next day
    EXPECT_EQ(accessDateText(std::nan("")), QString());
    EXPECT_EQ(accessDateText(1e12), QString());
}
