#include "template/Records.h"

#include <gtest/gtest.h>

#include <functional>

using namespace ostrivo;

namespace {

// Reads a line as record kind R and writes it back.
template <typename R>
QString roundTrip(const TemplateReader& reader, const Record& record)
{
    return recordLine(readRecord<R>(reader, record));
}

struct KindCase {
    const char* kind;
    std::function<QString(const TemplateReader&, const Record&)> roundTrip;
    int fields;
};

const KindCase kKinds[] = {
    {"page size", roundTrip<PageSizeRecord>, 2},
    {"page source", roundTrip<PageSourceRecord>, 2},
    {"parameter", roundTrip<ParameterRecord>, 5},
    {"image", roundTrip<ImageRecord>, 5},
    {"grid", roundTrip<GridRecord>, 5},
    {"field", roundTrip<FieldRecord>, 10},
    {"text", roundTrip<TextRecord>, 6},
    {"table line A", roundTrip<TablePlacementRecord>, 6},
    {"table line B", roundTrip<TableSourceRecord>, 4},
    {"column", roundTrip<ColumnRecord>, 7},
    {"product", roundTrip<ProductRecord>, 9},
    {"factor", roundTrip<FactorRecord>, 3},
};

QString lineOf(int fields, const QString& value)
{
    QString line;
    for (int i = 1; i <= fields; ++i)
        line += value.arg(i) + QLatin1Char(',');
    return line;
}

}  // namespace

// Every kind writes back exactly the fields it read (spaces, empty fields and all), ignores text
// past its last field, and refuses a record one field short, naming its line.
TEST(Records, EveryKindRoundTripsItsFieldsAndRefusesShortRecords)
{
    const TemplateReader reader(QStringLiteral("t.vn3"), QStringList());
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.kind);
        const QString full = lineOf(k.fields, QStringLiteral(" v%1 "));
        EXPECT_EQ(k.roundTrip(reader, {full, 4}), full);
        EXPECT_EQ(k.roundTrip(reader, {full + QStringLiteral("extra,more"), 4}), full);
        const QString empty = QString(k.fields, QLatin1Char(','));
        EXPECT_EQ(k.roundTrip(reader, {empty, 4}), empty);
        try {
            k.roundTrip(reader, {lineOf(k.fields - 1, QStringLiteral("x%1")) + QStringLiteral("tail"), 7});
            ADD_FAILURE() << "a short record was accepted";
        } catch (const TemplateError& e) {
            EXPECT_EQ(e.line(), 7);
            EXPECT_TRUE(e.description().contains(QStringLiteral("t.vn3"))) << e.description().toStdString();
        }
    }
}

// A reader that uses fewer fields takes a shorter record; the fields it does not hold stay empty.
TEST(Records, ReadersAskForTheFieldsTheyUse)
{
    const TemplateReader reader(QStringLiteral("t.vn3"), QStringList());
    const auto p = readRecord<ParameterRecord>(reader, {QStringLiteral("Camera,=,Num,"), 1}, 3);
    EXPECT_EQ(p.column, QStringLiteral("Camera"));
    EXPECT_EQ(p.typeWord, QStringLiteral("Num"));
    EXPECT_TRUE(p.defaultValue.isEmpty());
    EXPECT_TRUE(p.prompt.isEmpty());
    EXPECT_THROW(readRecord<ParameterRecord>(reader, {QStringLiteral("Camera,=,Num,"), 1}), TemplateError);
}
