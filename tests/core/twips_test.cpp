#include "core/widgets/Twips.h"

#include <gtest/gtest.h>

using namespace ostrivo;

TEST(Twips, OneInchIsTheResolution)
{
    EXPECT_EQ(Twips(96, 96).x(1440), 96);
    EXPECT_EQ(Twips(120, 144).x(1440), 120);
    EXPECT_EQ(Twips(120, 144).y(1440), 144);
    EXPECT_EQ(Twips(96, 96).x(15), 1);  // 15 twips a pixel at 96 dpi
}

TEST(Twips, RoundsToTheNearestPixel)
{
    const Twips tw(96, 96);
    EXPECT_EQ(tw.x(168), 11);   // 11.2
    EXPECT_EQ(tw.y(84), 6);     // 5.6
    EXPECT_EQ(tw.x(22.5), 2);   // 1.5, half away from zero
    EXPECT_EQ(tw.size(6270, 1215), QSize(418, 81));
    EXPECT_EQ(tw.point(12348, 8820), QPoint(823, 588));
}

TEST(Twips, RectanglesRoundTheirEdgesSoThatNeighboursStayNeighbours)
{
    const Twips tw(96, 96);
    // The parameter dialog's pattern label: edges 168..3288 and 84..348.
    EXPECT_EQ(tw.rect(168, 84, 3120, 264), QRect(11, 6, 208, 17));
    // Two boxes side by side in twips touch in pixels too, whatever the rounding.
    for (int left = 0; left < 200; left += 7) {
        const QRect a = tw.rect(left, 0, 3110, 100);
        const QRect b = tw.rect(left + 3110, 0, 500, 100);
        EXPECT_EQ(a.right() + 1, b.left()) << left;
    }
}

TEST(Twips, WithoutAScreenTheResolutionIs96)
{
    const Twips tw = Twips::forWidget(nullptr);
    EXPECT_EQ(tw.dpiX(), 96);
    EXPECT_EQ(tw.dpiY(), 96);
}
