// The designer's page scales (the steps of the keys, the wheel and the zoom box, the canvas's place
// at a scale) and the preview's.
#include "designer/CanvasZoom.h"
#include "engine/widgets/PreviewWindow.h"

#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

struct StepCase {
    const char* what;
    int (*step)(int);
    int from;
    int expected;
};

const StepCase stepCases[] = {
    {"in from normal", canvaszoom::stepIn, 100, 125},
    {"in between steps", canvaszoom::stepIn, 60, 67},
    {"in at the largest", canvaszoom::stepIn, 400, 400},
    {"out from normal", canvaszoom::stepOut, 100, 75},
    {"out between steps", canvaszoom::stepOut, 130, 125},
    {"out at the smallest", canvaszoom::stepOut, 50, 50},
    {"clamped below", canvaszoom::clamp, 10, 50},
    {"clamped above", canvaszoom::clamp, 900, 400},
    {"kept within", canvaszoom::clamp, 175, 175},
};

class ZoomSteps : public ::testing::TestWithParam<StepCase> {};

struct PlaceCase {
    int percent;
    QRect expected;
};

// The portrait canvas at 96 dpi: 6500 by 8300 twips at (2940, 340).
const QRect kNormal(196, 23, 433, 553);

const PlaceCase placeCases[] = {
    {100, kNormal},
    {50, QRect(196, 23, 217, 277)},
    {200, QRect(196, 23, 866, 1106)},
    {400, QRect(196, 23, 1732, 2212)},
    {1000, QRect(196, 23, 1732, 2212)},
};

class ZoomPlaces : public ::testing::TestWithParam<PlaceCase> {};

}  // namespace

TEST_P(ZoomSteps, StepsStayWithinTheLimits)
{
    const StepCase& c = GetParam();
    EXPECT_EQ(c.step(c.from), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Zoom, ZoomSteps, ::testing::ValuesIn(stepCases));

TEST_P(ZoomPlaces, TheCanvasKeepsItsCornerAndScalesItsSize)
{
    EXPECT_EQ(canvaszoom::zoomed(kNormal, GetParam().percent), GetParam().expected) << GetParam().percent;
}

INSTANTIATE_TEST_SUITE_P(Zoom, ZoomPlaces, ::testing::ValuesIn(placeCases));

// The preview's scales: an A4 page (595 by 842 points) in a viewport of 600 by 800 pixels,
// 16 pixels kept free on each side, the screen at 96 dots an inch.
TEST(PreviewZoom, ScalesOfTheChoices)
{
    struct Row {
        PreviewZoom zoom;
        double pixelsPerPoint;
    };
    const Row rows[] = {
        {{PreviewZoom::Mode::FitPage, 0}, 768.0 / 842},
        {{PreviewZoom::Mode::FitWidth, 0}, 568.0 / 595},
        {{PreviewZoom::Mode::Percent, 200}, 2 * 96.0 / 72},
        {{PreviewZoom::Mode::Percent, 1000}, 4 * 96.0 / 72},
        {{PreviewZoom::Mode::Percent, 10}, 0.5 * 96.0 / 72},
    };
    for (const Row& row : rows)
        EXPECT_DOUBLE_EQ(row.zoom.pixelsPerPoint(QSizeF(595, 842), QSize(600, 800), 96), row.pixelsPerPoint) << row.zoom.text().toStdString();
}
