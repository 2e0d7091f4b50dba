// The designer's page scales: the steps of the keys, the wheel and the zoom box, and the canvas's
// place at a scale.
#include "designer/CanvasZoom.h"

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
