#include "core/CScreenLayout.h"

#include <gtest/gtest.h>

#include <climits>

using Kavro::CScreenLayout;
using Kavro::Rect2D;

TEST(ScreenLayout, FitLetterboxesOnlyWithFixedAspect)
{
    const struct
    {
        int areaW, areaH, screenW, screenH;
        bool fixed;
        Rect2D<int> expected;
    } table[] = {
        {1280, 720, 1280, 720, true, {0, 0, 1280, 720}},    // same shape
        {1920, 1080, 1280, 720, true, {0, 0, 1920, 1080}},  // same shape, larger
        {1600, 720, 1280, 720, true, {160, 0, 1280, 720}},  // wider: bars left and right
        {1280, 1024, 1280, 720, true, {0, 152, 1280, 720}}, // taller: bars above and below
        {800, 600, 1280, 720, true, {0, 75, 800, 450}},
        {1600, 720, 1280, 720, false, {0, 0, 1600, 720}}, // stretched
        {0, 0, 1280, 720, true, {0, 0, 1, 1}},            // no area still gives a pixel
    };
    for (const auto& row : table)
        EXPECT_EQ(CScreenLayout::Fit(row.areaW, row.areaH, row.screenW, row.screenH, row.fixed), row.expected)
            << row.areaW << "x" << row.areaH << " fixed " << row.fixed;
}

TEST(ScreenLayout, WindowPointsMapToLogicalPixelsInsideTheShownScreen)
{
    CScreenLayout layout;
    layout.set(1600, 720, 640, 360, true); // shown at x 160..1440, scale 2
    const struct
    {
        int wx, wy;
        bool inside;
        int sx, sy;
    } table[] = {
        {160, 0, true, 0, 0},     {1439, 719, true, 639, 359}, {800, 360, true, 320, 180},
        {159, 10, false, -1, -1}, {1440, 10, false, -1, -1},   {-5, -5, false, -1, -1},
    };
    for (const auto& row : table)
    {
        int sx = 7, sy = 7;
        EXPECT_EQ(layout.toScreen(row.wx, row.wy, sx, sy), row.inside) << row.wx << "," << row.wy;
        EXPECT_EQ(sx, row.sx);
        EXPECT_EQ(sy, row.sy);
    }
    EXPECT_FLOAT_EQ(layout.scaleX(), 0.5f);

    // Back to the window and in again lands on the same pixel.
    for (int sx : {0, 1, 319, 639})
    {
        int wx = 0, wy = 0, rx = 0, ry = 0;
        layout.toWindow(sx, 100, wx, wy);
        ASSERT_TRUE(layout.toScreen(wx, wy, rx, ry));
        EXPECT_EQ(rx, sx);
        EXPECT_EQ(ry, 100);
    }
    // A script may warp the cursor anywhere: far points go to the nearest edge instead of overflowing.
    const struct
    {
        int sx, sy, rx, ry;
    } far[] = {{INT_MAX, INT_MAX, 639, 359}, {INT_MIN, INT_MIN, 0, 0}, {INT_MAX, 5, 639, 5}};
    for (const auto& row : far)
    {
        int wx = 0, wy = 0, rx = -1, ry = -1;
        layout.toWindow(row.sx, row.sy, wx, wy);
        ASSERT_TRUE(layout.toScreen(wx, wy, rx, ry)) << row.sx << "," << row.sy;
        EXPECT_EQ(rx, row.rx);
        EXPECT_EQ(ry, row.ry);
    }
}
