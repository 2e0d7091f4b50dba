#include "core/TemplateColor.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace ostrivo;

namespace {

struct ColorCase {
    const char* name;
    qint64 value;
    QColor expected;
};

void PrintTo(const ColorCase& c, std::ostream* os)
{
    *os << c.name;
}

class TemplateColorCases : public ::testing::TestWithParam<ColorCase> {};

}  // namespace

TEST_P(TemplateColorCases, PaintsAs)
{
    EXPECT_EQ(TemplateColor(GetParam().value).toQColor(), GetParam().expected);
}

constexpr qint64 kHighBit = 0x80000000;
constexpr qint64 k32 = qint64(1) << 32;

INSTANTIATE_TEST_SUITE_P(
    TemplateColor, TemplateColorCases,
    ::testing::Values(
        ColorCase{"black", 0, Qt::black},
        ColorCase{"red is the low byte", 255, QColor(255, 0, 0)},
        ColorCase{"green", 65280, QColor(0, 255, 0)},
        ColorCase{"blue is the third byte", 0xff0000, QColor(0, 0, 255)},
        ColorCase{"light grey", 12632256, QColor(192, 192, 192)},
        ColorCase{"mixed", 0x00336699, QColor(0x99, 0x66, 0x33)},
        ColorCase{"palette reference keeps its low bytes", 0x020000ff, QColor(255, 0, 0)},
        ColorCase{"window text", kHighBit | 8, Qt::black},
        ColorCase{"window text, signed", (kHighBit | 8) - k32, Qt::black},
        ColorCase{"window background", kHighBit | 5, Qt::white},
        ColorCase{"window background, signed", (kHighBit | 5) - k32, Qt::white},
        ColorCase{"button text", kHighBit | 0x12, Qt::black},
        ColorCase{"button face", kHighBit | 0x0f, QColor(192, 192, 192)},
        ColorCase{"tooltip background", kHighBit | 0x18, QColor(0xff, 0xff, 0xe1)},
        ColorCase{"system index past the scheme", kHighBit | 0xff, Qt::black},
        ColorCase{"minus one", -1, Qt::black},
        ColorCase{"wider than 32 bits", qint64(1) << 40, Qt::black},
        ColorCase{"below 32 bits", -(qint64(1) << 40), Qt::black}));

TEST(TemplateColor, ComponentsGiveTheTemplateIntegerAndPaintBack)
{
    static_assert(TemplateColor::rgb(255, 0, 0).value() == 255);
    static_assert(TemplateColor::rgb(0, 0, 255).value() == 16711680);
    static_assert(TemplateColor::rgb(192, 192, 192) == TemplateColor(12632256));
    for (const QColor c : {QColor(255, 0, 0), QColor(0x12, 0x34, 0x56), QColor(0, 0, 255)})
        EXPECT_EQ(TemplateColor::rgb(c.red(), c.green(), c.blue()).toQColor(), c) << c.name().toStdString();
}
