// A record set hands out values that repeat, in many columns and read in any order, each one
// exactly as if it were met for the first time.

#include "DbTestSupport.h"

#include <array>
#include <limits>
#include <sqlite3.h>

using namespace ostrivo;
using namespace ostrivo::db;

namespace {

constexpr int kRows = 3000;

// What row k holds, as text (a null QString for Null).
struct Expected {
    QString integer;
    QString flag;
    QString real;
    QString shortText;
    QString longText;
    QString code;
};

const std::array<qint64, 7> kIntegers = {0, -1, 1, 42, -350, std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()};
const std::array<double, 7> kReals = {0.1, -0.0, 0.0, 1e21, 2.5, -652.5, 79.9};
const std::array<const char*, 7> kRealTexts = {"0.1", "0", "0", "1000000000000000000000", "2.5", "-652.5", "79.9"};
// Texts that Access compares as equal are still different values; "" is not Null.
const std::array<const char*, 8> kTexts = {"Rossi", "ROSSI", "rossi", "", "Niccolò", "NICCOLÒ", "x", nullptr};

qint64 integerOf(int k)
{
    return k % 5 == 0 ? kIntegers[static_cast<std::size_t>(k / 5 % 7)] : (k * 37) % 701 - 350;
}

QString longTextOf(int k)
{
    // Around the length up to which values are kept: 63 to 66 bytes, and much longer.
    const int n = k % 4;
    return k % 3 == 0 ? QStringLiteral("lunga %1 ").arg(k % 40).repeated(20) : QString(63 + n, QLatin1Char('a' + k % 26));
}

// Far more different texts of one length than a column keeps: they must meet in its slots.
QString codeOf(int k)
{
    return QStringLiteral("c%1").arg((k * 7) % 997, 4, 10, QLatin1Char('0'));
}

Expected expectedOf(int k)
{
    Expected e;
    e.integer = QString::number(integerOf(k));
    e.flag = k % 3 == 0 ? QStringLiteral("-1") : QStringLiteral("0");
    e.real = k % 11 == 0 ? QString() : QString::fromLatin1(kRealTexts[static_cast<std::size_t>(k % 7)]);
    const char* text = kTexts[static_cast<std::size_t>(k % 8)];
    e.shortText = text ? QString::fromUtf8(text) : QString();
    e.longText = longTextOf(k);
    e.code = codeOf(k);
    return e;
}

void makeFile(const QString& path)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE Valori (Numero INTEGER, Flag BOOLEAN, Reale REAL, Breve TEXT, Lungo TEXT, Ordine INTEGER, Codice TEXT);"
                           "BEGIN;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO Valori VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr), SQLITE_OK);
    for (int k = 0; k < kRows; ++k) {
        sqlite3_bind_int64(insert, 1, integerOf(k));
        sqlite3_bind_int(insert, 2, k % 3 == 0 ? 1 : 0);
        if (k % 11 == 0)
            sqlite3_bind_null(insert, 3);
        else
            sqlite3_bind_double(insert, 3, kReals[static_cast<std::size_t>(k % 7)]);
        if (const char* text = kTexts[static_cast<std::size_t>(k % 8)])
            sqlite3_bind_text(insert, 4, text, -1, SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(insert, 4);
        const QByteArray longText = longTextOf(k).toUtf8();
        sqlite3_bind_text(insert, 5, longText.constData(), static_cast<int>(longText.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 6, k);
        const QByteArray code = codeOf(k).toUtf8();
        sqlite3_bind_text(insert, 7, code.constData(), static_cast<int>(code.size()), SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ASSERT_EQ(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

}  // namespace

TEST(RepeatedValues, EachReadGivesTheRowsOwnValueWhateverTheOrderOfTheNames)
{
    test::ScopedCurrentDir dir;
    makeFile(dir.file(QStringLiteral("valori.db")));
    auto db = dbEngine().OpenDatabase(QStringLiteral("valori.db"));
    auto rs = db->OpenRecordset(QStringLiteral("Select * From Valori Order By Ordine"));
    const FieldCollection& fields = rs->Fields();
    // The names in a changing order, in several spellings, some read twice.
    const QStringList names = {QStringLiteral("Numero"), QStringLiteral("Flag"), QStringLiteral("Reale"),
                               QStringLiteral("Breve"), QStringLiteral("Lungo"), QStringLiteral("Ordine"),
                               QStringLiteral("Codice")};
    const QStringList spellings = {QStringLiteral("NUMERO"), QStringLiteral("flag"), QStringLiteral("Reale"),
                                   QStringLiteral("breve"), QStringLiteral("LUNGO"), QStringLiteral("ordine"),
                                   QStringLiteral("CODICE")};
    for (int pass = 0; pass < 2; ++pass) {
        int k = 0;
        for (rs->FindFirst(QStringLiteral("True")); !rs->NoMatch(); rs->FindNext(QStringLiteral("True")), ++k) {
            const Expected e = expectedOf(k);
            const QStringList expected = {e.integer, e.flag, e.real, e.shortText, e.longText, QString::number(k), e.code};
            for (int i = 0; i < 9; ++i) {
                const int c = (i + (k % 4 == 0 ? 0 : k)) % 7;
                const QString& name = (k + i) % 5 == 0 ? spellings[c] : names[c];
                const Field& field = fields.Item(name);
                ASSERT_EQ(field.Name(), names[c]) << k << " " << name.toStdString();
                const Variant v = field.Value();
                ASSERT_EQ(v.text(), expected[c]) << "row " << k << " " << name.toStdString();
                ASSERT_EQ(v.isNull(), expected[c].isNull()) << "row " << k << " " << name.toStdString();
                ASSERT_EQ(v.isBoolean(), c == 1) << "row " << k;
                ASSERT_EQ(v.isNumber(), c == 0 || c == 1 || c == 5 || (c == 2 && !v.isNull())) << "row " << k;
            }
        }
        EXPECT_EQ(k, kRows);
    }
    // A name that no field has still fails after the guesses.
    EXPECT_EQ(test::db::expectDatabaseError([&] { fields.Item(QStringLiteral("Numer")); }).number(), err::ItemNotFound);
}

TEST(RepeatedValues, OfTwoFieldsOfOneNameTheFirstAnswers)
{
    test::ScopedCurrentDir dir;
    makeFile(dir.file(QStringLiteral("valori.db")));
    auto db = dbEngine().OpenDatabase(QStringLiteral("valori.db"));
    auto rs = db->OpenRecordset(QStringLiteral("Select Numero As X, Ordine As X, Ordine From Valori Order By Ordine"));
    rs->FindFirst(QStringLiteral("Ordine = 5"));
    ASSERT_FALSE(rs->NoMatch());
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(rs->Fields().Item(QStringLiteral("Ordine")).Value().text(), QStringLiteral("5"));
        EXPECT_EQ(rs->Fields().Item(QStringLiteral("X")).Value().text(), QString::number(integerOf(5)));
        EXPECT_EQ(rs->Fields().Item(1).Value().text(), QStringLiteral("5"));
        EXPECT_EQ(rs->Fields().Item(QStringLiteral("x")).Value().text(), QString::number(integerOf(5)));
    }
}

TEST(RepeatedValues, ValuesAndTextsKeptByTheCallerStayAsTheyWereWhenTheRecordSetMovesOn)
{
    test::ScopedCurrentDir dir;
    makeFile(dir.file(QStringLiteral("valori.db")));
    auto db = dbEngine().OpenDatabase(QStringLiteral("valori.db"));
    auto rs = db->OpenRecordset(QStringLiteral("Select * From Valori Order By Ordine"));
    const QStringList names = {QStringLiteral("Numero"), QStringLiteral("Reale"), QStringLiteral("Lungo"),
                               QStringLiteral("Ordine"), QStringLiteral("Codice")};
    // Every row's values, kept both as values and as texts alone, while the record set's own
    // values are refilled in place row after row.
    std::vector<Variant> values;
    QStringList texts;
    int k = 0;
    for (rs->FindFirst(QStringLiteral("True")); !rs->NoMatch(); rs->FindNext(QStringLiteral("True")), ++k) {
        for (const QString& name : names) {
            const Variant& v = rs->Fields().Item(name).Value();
            if (k % 2 == 0)
                values.push_back(v);
            else
                texts << v.text();
        }
    }
    ASSERT_EQ(k, kRows);
    std::size_t a = 0;
    qsizetype b = 0;
    for (k = 0; k < kRows; ++k) {
        const Expected e = expectedOf(k);
        const QStringList expected = {e.integer, e.real, e.longText, QString::number(k), e.code};
        for (const QString& text : expected) {
            if (k % 2 == 0)
                ASSERT_EQ(values[a++].text(), text) << "row " << k;
            else
                ASSERT_EQ(texts[b++], text) << "row " << k;
        }
    }
}
