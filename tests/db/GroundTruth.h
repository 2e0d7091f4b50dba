#pragma once

// Values read through the engine against the CSV ground truth of the test databases.

#include "DbTestSupport.h"

namespace ostrivo::test::db {

using namespace ostrivo::db;

// A plain decimal without trailing fraction zeros ("652.5000" -> "652.5", "-0.0000" -> "0").
inline QString plainDecimal(QString text)
{
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

// The ground truth's form of a value: see data/README.md, "CSV format".
inline bool matchesGroundTruth(const Variant& v, int fieldType, const CsvField& csv, QString* why)
{
    *why = QStringLiteral("expected %1%2%1, got %3")
               .arg(csv.quoted ? QStringLiteral("\"") : QString(), csv.text, describe(v));
    if (csv.isNull()) {
        // Hex of an empty binary value is empty too: the CSV cannot tell it from Null.
        if (fieldType == type::Binary || fieldType == type::LongBinary)
            return v.isNull() || (v.isBinary() && v.bytes().isEmpty());
        return v.isNull();
    }
    if (csv.quoted)  // Text, Memo, GUID
        return v.isText() && v.text() == csv.text;
    switch (fieldType) {
    case type::Boolean:
        return v.isBoolean() && v.text() == (csv.text == QLatin1String("1") ? QStringLiteral("-1") : QStringLiteral("0"));
    case type::Date:
        return v.isText() && v.text() == csv.text;
    case type::Binary:
    case type::LongBinary:
        return v.isBinary() && QString::fromLatin1(v.bytes().toHex().toUpper()) == csv.text;
    default:
        return v.isNumber() && v.text() == plainDecimal(csv.text);
    }
}

// Compares a whole table with its CSV, row by row in stored order.
inline void expectTableMatchesCsv(Database& db, const QString& table, const QString& csvPath)
{
    const std::vector<CsvRow> csv = test::db::readCsv(csvPath);
    ASSERT_FALSE(csv.empty()) << csvPath.toStdString();
    auto rs = db.OpenRecordset(QStringLiteral("Select * From [%1]").arg(table), 2);
    const FieldCollection& fields = rs->Fields();
    ASSERT_EQ(fields.Count(), static_cast<int>(csv[0].size())) << table.toStdString();
    for (int c = 0; c < fields.Count(); ++c)
        EXPECT_EQ(fields.Item(c).Name(), csv[0][static_cast<std::size_t>(c)].text);

    std::size_t row = 1;
    rs->FindFirst(QStringLiteral("True"));
    for (; !rs->NoMatch(); rs->FindNext(QStringLiteral("True")), ++row) {
        ASSERT_LT(row, csv.size()) << table.toStdString() << ": more rows than the ground truth";
        for (int c = 0; c < fields.Count(); ++c) {
            QString why;
            EXPECT_TRUE(matchesGroundTruth(fields.Item(c).Value(), fields.Item(c).Type(), csv[row][static_cast<std::size_t>(c)], &why))
                << table.toStdString() << " row " << row << " column " << fields.Item(c).Name().toStdString() << ": "
                << why.toStdString();
        }
    }
    EXPECT_EQ(row, csv.size()) << table.toStdString() << ": row count";
}

}  // namespace ostrivo::test::db
