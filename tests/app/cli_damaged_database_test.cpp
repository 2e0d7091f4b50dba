// Damaged copies of hotel.mdb: every damage either prints the intact report's rows or fails with
// exit 1 naming the file and the table; none prints fewer rows and says it succeeded.
#include "support/PdfText.h"
#include "support/TestSupport.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>

#include <glib.h>
#include <mdbtools.h>

using namespace ostrivo;

namespace {

// Where hotel.mdb keeps a table, as libmdb reads the intact file.
struct Layout {
    int pageSize = 0;
    int rowCountAt = 0;
    int catalogData = 0;    // the first data page of the catalog (MSysObjects)
    int definition = 0;     // Prenotazioni's definition page
    std::vector<int> data;  // Prenotazioni's data pages
    int otherData = 0;      // a data page of Catering
    std::vector<int> memo;  // the pages of memo values too long for their rows
};

int int16At(const QByteArray& bytes, qsizetype at)
{
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

void putInt16(QByteArray& bytes, qsizetype at, int value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

Layout layoutOf(const QString& path, const QByteArray& bytes)
{
    Layout layout;
    MdbHandle* mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb)
        return layout;
    mdb_read_catalog(mdb, MDB_TABLE);
    layout.pageSize = static_cast<int>(mdb->fmt->pg_size);
    layout.rowCountAt = mdb->fmt->row_count_offset;
    auto definitionOf = [&](const char* table) {
        MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(mdb, table);
        return entry ? static_cast<int>(entry->table_pg) : -1;
    };
    layout.definition = definitionOf("Prenotazioni");
    const int catering = definitionOf("Catering");
    mdb_close(mdb);
    auto owner = [&](int page) {
        const qsizetype at = static_cast<qsizetype>(page) * layout.pageSize;
        return bytes[at] == 1 ? int16At(bytes, at + 4) | int16At(bytes, at + 6) << 16 : -1;
    };
    for (int page = 1; page < bytes.size() / layout.pageSize; ++page) {
        if (owner(page) == layout.definition)
            layout.data.push_back(page);
        else if (owner(page) == 2 && layout.catalogData == 0)
            layout.catalogData = page;
        else if (owner(page) == catering && layout.otherData == 0)
            layout.otherData = page;
        else if (bytes.mid(static_cast<qsizetype>(page) * layout.pageSize + 4, 4) == "LVAL")
            layout.memo.push_back(page);
    }
    return layout;
}

// The offset of row r of a data page, and where the row ends.
qsizetype rowStart(const QByteArray& b, const Layout& l, int page, int r)
{
    return static_cast<qsizetype>(page) * l.pageSize + (int16At(b, static_cast<qsizetype>(page) * l.pageSize + l.rowCountAt + 2 + 2 * r) & 0x1FFF);
}
qsizetype rowEnd(const QByteArray& b, const Layout& l, int page, int r)
{
    return r == 0 ? static_cast<qsizetype>(page + 1) * l.pageSize : rowStart(b, l, page, r - 1);
}

void zeroPage(QByteArray& b, const Layout& l, int page)
{
    b.replace(static_cast<qsizetype>(page) * l.pageSize, l.pageSize, QByteArray(l.pageSize, '\0'));
}

const QStringList kTemplate = {
    QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("archivio.mdb,Prenotazioni,"),
    QStringLiteral("[PARAMETRI]"), QStringLiteral("[TABELLA]"), QStringLiteral("Prenotazioni,2,2,70,Arial,6,"),
    QStringLiteral("archivio.mdb,Prenotazioni,NumeroPrenotazione,,"), QStringLiteral("N.,NumeroPrenotazione,5,Num,N,,5,"),
    QStringLiteral("Arrivo,DataArrivo,10,Date,N,,10,"), QStringLiteral("Importo,Importo,10,Cur,S,,10,"),
    QStringLiteral("Note,Note,30,Str,N,,30,"), QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")};

}  // namespace

TEST(CliDamagedDatabase, PrintsTheIntactRowsOrFailsNamingTheFileAndTheTable)
{
    OSTRIVO_REQUIRE_TEST_DATA();
    test::ScopedCurrentDir dir;
    const QString original = test::testDataFile(QStringLiteral("hotel.mdb"));
    const QByteArray intact = test::readFile(original);
    const Layout l = layoutOf(original, intact);
    ASSERT_GE(l.data.size(), 2u);
    ASSERT_GT(l.catalogData, 0);
    ASSERT_GT(l.otherData, 0);
    test::writeTemplate(dir.file(QStringLiteral("t.vn3")), kTemplate);

    // The clients' notes are long enough to be kept on memo pages.
    QStringList clients = kTemplate;
    clients.replaceInStrings(QStringLiteral("Prenotazioni"), QStringLiteral("Clienti"));
    clients.replaceInStrings(QStringLiteral("NumeroPrenotazione"), QStringLiteral("CodiceCliente"));
    test::writeTemplate(dir.file(QStringLiteral("clienti.vn3")), clients.mid(0, 9) + clients.mid(11));
    auto print = [&](const QByteArray& database, const QString& templateFile = QStringLiteral("t.vn3")) {
        test::writeFile(dir.file(QStringLiteral("archivio.mdb")), database);
        QFile::remove(dir.file(QStringLiteral("t.jsonl")));
        QFile::remove(dir.file(QStringLiteral("o.pdf")));
        return test::runBinary({QStringLiteral("print"), templateFile, QStringLiteral("--output"),
                                QStringLiteral("o.pdf"), QStringLiteral("--trace"), QStringLiteral("t.jsonl")},
                               dir.path());
    };
    const test::RunResult good = print(intact);
    ASSERT_EQ(good.exitCode, 0) << good.err.toStdString();
    const QByteArray intactTrace = test::readFile(dir.file(QStringLiteral("t.jsonl")));
    ASSERT_TRUE(intactTrace.contains("\"op\":\"newpage\""));  // the table runs over pages

    const int first = l.data.front();
    const struct {
        const char* damage;
        const char* table;  // named by the failure; null: the intact report is printed
        std::function<void(QByteArray&)> apply;
        const char* templateFile = "t.vn3";
    } cases[] = {
        {"a data page of the table zeroed", "Prenotazioni", [&](QByteArray& b) { zeroPage(b, l, l.data.back()); }},
        {"a data page of another table zeroed", nullptr, [&](QByteArray& b) { zeroPage(b, l, l.otherData); }},
        {"the catalog's data page zeroed", "MSysObjects", [&](QByteArray& b) { zeroPage(b, l, l.catalogData); }},
        {"the table's definition zeroed", "Prenotazioni", [&](QByteArray& b) { zeroPage(b, l, l.definition); }},
        {"the file cut after the table's first data page", "", [&](QByteArray& b) { b.truncate((first + 1) * l.pageSize); }},
        {"a row's offset past the page", "Prenotazioni",
         [&](QByteArray& b) { putInt16(b, static_cast<qsizetype>(first) * l.pageSize + l.rowCountAt + 2 + 2 * 3, l.pageSize - 1); }},
        {"a row's offset into the row table", "Prenotazioni",
         [&](QByteArray& b) { putInt16(b, static_cast<qsizetype>(first) * l.pageSize + l.rowCountAt + 2 + 2 * 3, l.rowCountAt); }},
        {"a row's column count", "Prenotazioni", [&](QByteArray& b) { putInt16(b, rowStart(b, l, first, 5), 0x7FFF); }},
        {"a row's variable field offset past the row", "Prenotazioni",
         [&](QByteArray& b) {
             // The row ends with its variable fields' offsets, their count and the null mask.
             const qsizetype end = rowEnd(b, l, first, 7);
             const int columns = int16At(b, rowStart(b, l, first, 7));
             putInt16(b, end - (columns + 7) / 8 - 4, 0x1FF0);
         }},
        {"a row's primary key marked Null", "Prenotazioni",
         [&](QByteArray& b) { b[rowEnd(b, l, first, 2) - (int16At(b, rowStart(b, l, first, 2)) + 7) / 8] = 0; }},
        {"the memo pages zeroed", "Clienti",
         [&](QByteArray& b) {
             for (int page : l.memo)
                 zeroPage(b, l, page);
         },
         "clienti.vn3"},
    };
    for (const auto& c : cases) {
        QByteArray damaged = intact;
        c.apply(damaged);
        ASSERT_NE(damaged, intact) << c.damage;
        const test::RunResult run = print(damaged, QString::fromUtf8(c.templateFile));
        if (!c.table) {
            EXPECT_EQ(run.exitCode, 0) << c.damage << ": " << run.err.toStdString();
            EXPECT_EQ(test::readFile(dir.file(QStringLiteral("t.jsonl"))), intactTrace) << c.damage;
            continue;
        }
        EXPECT_EQ(run.exitCode, 1) << c.damage;
        EXPECT_TRUE(run.err.contains(QStringLiteral("archivio.mdb"))) << c.damage << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("tabella %1").arg(QString::fromUtf8(c.table)))) << c.damage << ": "
                                                                                                   << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("o.pdf")))) << c.damage;
    }
}
