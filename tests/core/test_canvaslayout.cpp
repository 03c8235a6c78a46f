#include <gtest/gtest.h>

#include "core/canvaslayout.h"

using namespace tobrin;

namespace {

constexpr double kBar = 240;  // scroll bar thickness used throughout

CanvasLayoutFacts Lay(double W, double H, int maxX, int maxY)
{
    return ComputeCanvasLayout(W, H, maxX, maxY, kBar, kBar);
}

}  // namespace

TEST(CanvasLayout, DefaultPictureFitsWithoutScrollBars)
{
    for (double W : {4710.0, 4711.0, 9000.0}) {
        const CanvasLayoutFacts f = Lay(W, 3910, 39, 31);
        EXPECT_FALSE(f.hBar.visible) << W;
        EXPECT_FALSE(f.vBar.visible) << W;
        EXPECT_EQ(f.canvasWidth, 4010);
        EXPECT_EQ(f.canvasHeight, 3210);
        EXPECT_EQ(f.ViewColumns, 40);
        EXPECT_EQ(f.ViewRows, 32);
        EXPECT_EQ(f.ViewLeft, 0);
        EXPECT_EQ(f.ViewRight, 39);
        EXPECT_EQ(f.ViewTop, 0);
        EXPECT_EQ(f.ViewBottom, 31);
    }
}

TEST(CanvasLayout, HorizontalThresholdIsWholePicturePlusSevenCells)
{
    struct Case {
        int maxX;
        double W;
        bool bar;
    };
    const Case cases[] = {
        {39, 4710, false}, {39, 4709, true},  {39, 4709.5, true},
        {99, 10710, false}, {99, 10709, true}, {239, 24710, false}, {239, 24709, true},
        {3, 1110, false},  {3, 1109, true},
    };
    for (const Case& c : cases) {
        const CanvasLayoutFacts f = Lay(c.W, 100000, c.maxX, 31);
        EXPECT_EQ(f.hBar.visible, c.bar) << "MaxX " << c.maxX << " W " << c.W;
        if (c.bar) {
            EXPECT_EQ(f.canvasWidth, 100 * f.ViewColumns + 10);
            EXPECT_EQ(f.hBar.maximum, c.maxX + 1 - f.ViewColumns);
            EXPECT_EQ(f.ViewRight, f.ViewColumns - 1);
            EXPECT_LE(f.ViewColumns, c.maxX);
        } else {
            EXPECT_EQ(f.canvasWidth, 100 * (c.maxX + 1) + 10);
            EXPECT_EQ(f.ViewRight, c.maxX);
        }
        EXPECT_EQ(f.ViewLeft, 0);
    }
}

TEST(CanvasLayout, VerticalThresholdMirrorsTheHorizontalOne)
{
    for (int maxY : {3, 31, 119}) {
        const double threshold = 100.0 * (maxY + 8) + 10;
        EXPECT_FALSE(Lay(100000, threshold, 39, maxY).vBar.visible) << maxY;
        const CanvasLayoutFacts f = Lay(100000, threshold - 1, 39, maxY);
        EXPECT_TRUE(f.vBar.visible) << maxY;
        EXPECT_EQ(f.canvasHeight, 100 * f.ViewRows + 10);
        EXPECT_EQ(f.vBar.maximum, maxY + 1 - f.ViewRows);
        EXPECT_EQ(f.ViewBottom, f.ViewRows - 1);
    }
}

TEST(CanvasLayout, JustAboveTheThresholdTheViewIsTheWholePicture)
{
    // Widths in [100 MaxX + 810, 100 MaxX + 825) and heights in
    // [100 MaxY + 810, 100 MaxY + 855) leave too little free space for the
    // last cell by the plain count, yet the canvas shows every cell and no
    // bar: the view must cover what is shown.
    for (double W : {4710.0, 4715.0, 4724.9}) {
        const CanvasLayoutFacts f = Lay(W, 100000, 39, 31);
        EXPECT_FALSE(f.hBar.visible);
        EXPECT_EQ(f.ViewColumns, 40) << W;
        EXPECT_EQ(f.ViewRight, 39);
    }
    for (double H : {3910.0, 3930.0, 3954.9}) {
        const CanvasLayoutFacts f = Lay(100000, H, 39, 31);
        EXPECT_FALSE(f.vBar.visible);
        EXPECT_EQ(f.ViewRows, 32) << H;
        EXPECT_EQ(f.ViewBottom, 31);
    }
}

TEST(CanvasLayout, ScrollBarGeometryHugsTheEdges)
{
    const CanvasLayoutFacts f = Lay(3000, 2500, 99, 59);
    ASSERT_TRUE(f.hBar.visible);
    ASSERT_TRUE(f.vBar.visible);
    EXPECT_EQ(f.hBar.left, 480);
    EXPECT_EQ(f.hBar.top, 2500 - kBar);
    EXPECT_EQ(f.hBar.width, 3000 - 610);
    EXPECT_EQ(f.vBar.top, 480);
    EXPECT_EQ(f.vBar.left, 3000 - kBar);
    EXPECT_EQ(f.vBar.height, 2500 - 580);
    // floor((3000 - 465 - 260) / 100) and floor((2500 - 495 - 260) / 100)
    EXPECT_EQ(f.ViewColumns, 22);
    EXPECT_EQ(f.ViewRows, 17);
}

TEST(CanvasLayout, PageStepIsOnePageOfViewCells)
{
    struct Case {
        double W;
        int maxX;
        int columns, maximum, page;
    };
    const Case cases[] = {
        {3225, 99, 25, 75, 25},   // floor((3225 - 725) / 100) = 25
        {3299, 99, 25, 75, 25},
        {1725, 39, 10, 30, 10},
        {4625, 99, 39, 61, 38},  // 61 / (100 / 39 - 1) is just below 39 in double
    };
    for (const Case& c : cases) {
        const CanvasLayoutFacts f = Lay(c.W, 100000, c.maxX, 31);
        EXPECT_EQ(f.ViewColumns, c.columns) << c.W;
        EXPECT_EQ(f.hBar.maximum, c.maximum) << c.W;
        EXPECT_EQ(f.hBar.pageStep, c.page) << c.W;
    }
}

TEST(CanvasLayout, TinyWindowKeepsOneCell)
{
    const CanvasLayoutFacts f = Lay(0, 0, 39, 31);
    EXPECT_EQ(f.ViewColumns, 1);
    EXPECT_EQ(f.ViewRows, 1);
    EXPECT_EQ(f.canvasWidth, 110);
    EXPECT_EQ(f.hBar.maximum, 39);
    EXPECT_GE(f.hBar.pageStep, 1);
}

TEST(CanvasLayout, RelocateCentresAndRoundsHalfToEven)
{
    // ViewColumns 25 of a 100-wide picture: the bar's maximum is 75.
    const CanvasLayoutFacts f = Lay(3225, 100000, 99, 31);
    ASSERT_EQ(f.ViewColumns, 25);
    struct Case {
        double x;
        double clamped;
        int value;
    };
    const Case cases[] = {
        {10, 12.5, 0},    // raised to half a view
        {99, 87.5, 75},   // lowered so the view ends at the last column
        {50, 50, 38},     // 37.5 rounds to the even 38
        {51, 51, 38},     // 38.5 rounds to the even 38
        {52.5, 52.5, 40},
    };
    for (const Case& c : cases) {
        double x = c.x, y = 5;
        const RelocateTarget t = ComputeRelocate(x, y, 99, 31, f.ViewColumns, f.ViewRows, f.hBar, f.vBar);
        EXPECT_DOUBLE_EQ(x, c.clamped) << c.x;
        EXPECT_TRUE(t.moveH);
        EXPECT_EQ(t.hValue, c.value) << c.x;
        EXPECT_FALSE(t.moveV);  // the whole height is in view
        EXPECT_DOUBLE_EQ(y, 16);  // still clamped to the middle of the 32 rows
    }
}

TEST(CanvasLayout, RelocateNeverScrollsAlongAHiddenBar)
{
    // Just above the threshold: no bars, and a click anywhere moves nothing.
    const CanvasLayoutFacts f = Lay(4715, 3930, 39, 31);
    ASSERT_FALSE(f.hBar.visible);
    ASSERT_FALSE(f.vBar.visible);
    for (double px : {0.0, 20.0, 39.0}) {
        double x = px, y = px;
        const RelocateTarget t = ComputeRelocate(x, y, 39, 31, f.ViewColumns, f.ViewRows, f.hBar, f.vBar);
        EXPECT_FALSE(t.moveH);
        EXPECT_FALSE(t.moveV);
    }
}
