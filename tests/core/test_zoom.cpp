#include <gtest/gtest.h>

#include <QPoint>

#include "core/canvaslayout.h"
#include "core/picturedata.h"
#include "core/units.h"
#include "core/zoom.h"

using namespace tobrin;

namespace {

constexpr double kBar = 240;

CanvasLayoutFacts Lay(double W, double H, int maxX, int maxY, int level)
{
    return ComputeCanvasLayout(W, H, maxX, maxY, kBar, kBar, CellGeometryFor(level));
}

}  // namespace

TEST(Zoom, ActualSizeIsTheUnzoomedCanvas)
{
    const CellGeometry g = CellGeometryFor(zoom::kActualCellPixels);
    EXPECT_EQ(g.CellUnits(), 100.0);
    // What the canvas paints today, through the unit conversion.
    EXPECT_EQ(g.squareSide, units::ToPixels(85) - units::ToPixels(15));
    for (int c = 0; c <= kMaxWidth; ++c) {
        ASSERT_EQ(g.CellPixel(c), units::ToPixels(100.0 * c));
        ASSERT_EQ(g.SquarePixel(c), units::ToPixels(100.0 * c + 15));
    }
}

TEST(Zoom, EveryLevelHasWholeCellsAndClicksLandOnTheCellShown)
{
    for (int k = zoom::kMinCellPixels; k <= zoom::kMaxCellPixels; ++k) {
        const CellGeometry g = CellGeometryFor(k);
        EXPECT_EQ(g.grid, k >= 5) << k;
        // The square lies inside its cell and off the grid line.
        EXPECT_GE(g.squareInset, g.grid ? 1 : 0) << k;
        EXPECT_GE(g.squareSide, 1) << k;
        EXPECT_LE(g.squareInset + g.squareSide, k) << k;
        for (int c = 0; c <= kMaxWidth; ++c) {
            // A marquee corner in whole units comes back on the border.
            ASSERT_EQ(units::ToPixels(g.BorderUnits(c)), g.CellPixel(c)) << k << " " << c;
            // Every pixel of the cell, as a pointer position in units.
            for (int px = g.CellPixel(c); px < g.CellPixel(c + 1); ++px)
                for (double frac : {0.0, 0.5})
                    ASSERT_EQ(g.CellAtUnits(units::ToUnits(px + frac)), c) << k << " " << px;
        }
        // The canvas's size in units converts to its pixels.
        for (int cells : {1, 17, 240}) {
            const CanvasLayoutFacts f = Lay(1e6, 1e6, cells - 1, 0, k);
            ASSERT_EQ(f.ViewColumns, cells);
            EXPECT_EQ(units::ToPixels(f.canvasWidth), f.canvasPixelWidth) << k;
            EXPECT_EQ(f.canvasPixelWidth, k * cells + (g.grid ? 1 : 0));
        }
    }
    EXPECT_EQ(CellGeometryFor(1).cell, 3);
    EXPECT_EQ(CellGeometryFor(99).cell, 40);
}

TEST(Zoom, StepsClimbTheLadderAndStopAtItsEnds)
{
    int k = zoom::kMinCellPixels;
    for (; ZoomInStep(k) != k; k = ZoomInStep(k))
        EXPECT_EQ(ZoomOutStep(ZoomInStep(k)), k);
    EXPECT_EQ(k, zoom::kMaxCellPixels);
    EXPECT_EQ(ZoomOutStep(zoom::kMinCellPixels), zoom::kMinCellPixels);
    // Between rungs (after a fit) the neighbouring rungs.
    EXPECT_EQ(ZoomInStep(9), 10);
    EXPECT_EQ(ZoomOutStep(9), 8);
}

TEST(Zoom, FitIsTheLargestLevelWithoutScrollBars)
{
    struct Case {
        double W, H;
        int maxX, maxY;
    };
    const Case cases[] = {
        {5865, 4425, 15, 15},    // a 16 x 16 icon in the first window
        {5865, 4425, 39, 31},
        {30000, 15000, 239, 119},
        {20000, 30000, 3, 3},    // capped at the largest level
    };
    for (const Case& c : cases) {
        const int k = FitCellPixels(c.W, c.H, c.maxX, c.maxY);
        const CanvasLayoutFacts f = Lay(c.W, c.H, c.maxX, c.maxY, k);
        EXPECT_FALSE(f.hBar.visible || f.vBar.visible) << k;
        if (k < zoom::kMaxCellPixels) {
            const CanvasLayoutFacts g = Lay(c.W, c.H, c.maxX, c.maxY, k + 1);
            EXPECT_TRUE(g.hBar.visible || g.vBar.visible) << k;
        }
    }
    EXPECT_EQ(FitCellPixels(5865, 4425, 15, 15), 16);  // (4425 - 710) * 7 / 1600 = 16.25
    EXPECT_EQ(FitCellPixels(5865, 4425, 239, 119), zoom::kMinCellPixels);  // too big even at 3
}

TEST(Zoom, AnchorKeepsThePixelUnderThePointer)
{
    // A 240 x 120 picture in a window that shows only part of it at most
    // levels; every pair of levels, pointers across the canvas, and views
    // from the origin to the far end.
    const double W = 9000, H = 6000;
    const int maxX = 239, maxY = 119;
    for (int from = zoom::kMinCellPixels; from <= zoom::kMaxCellPixels; ++from) {
        const CanvasLayoutFacts before = Lay(W, H, maxX, maxY, from);
        for (int to : {zoom::kMinCellPixels, 7, 8, 16, 30, zoom::kMaxCellPixels, ZoomInStep(from), ZoomOutStep(from)}) {
            const CanvasLayoutFacts after = Lay(W, H, maxX, maxY, to);
            for (int view : {0, before.hBar.maximum / 2, before.hBar.maximum}) {
                for (double frac : {0.0, 0.37, 0.99}) {
                    const double px = frac * before.canvasPixelWidth;
                    const double pointX = units::ToUnits(px), pointY = units::ToUnits(frac * before.canvasPixelHeight);
                    const ZoomAnchor a = ComputeZoomAnchor(pointX, pointY, before.cells, view, 0, after.cells,
                                                           after, maxX, maxY);
                    ASSERT_EQ(a.pixelX, std::min(maxX, view + before.cells.CellAtPixel(px)));
                    // The pixel a click at the same spot lands on afterwards.
                    ASSERT_EQ(a.pixelAfterX, a.viewLeft + after.cells.CellAtUnits(pointX));
                    const int maximum = after.hBar.visible ? after.hBar.maximum : 0;
                    ASSERT_GE(a.viewLeft, 0);
                    ASSERT_LE(a.viewLeft, maximum);
                    // It stays put unless the view hit the picture's edge.
                    if (a.viewLeft != 0 && a.viewLeft != maximum) {
                        ASSERT_EQ(a.pixelAfterX, a.pixelX) << from << "->" << to;
                    }
                }
            }
        }
    }
    // Zooming in at the middle of a view that starts at the origin moves
    // the view so the middle pixel stays.
    const CanvasLayoutFacts b = Lay(W, H, maxX, maxY, 7);
    const CanvasLayoutFacts a = Lay(W, H, maxX, maxY, 14);
    const ZoomAnchor z = ComputeZoomAnchor(units::ToUnits(7 * 50 + 3), units::ToUnits(7 * 20 + 3), b.cells, 0, 0,
                                           a.cells, a, maxX, maxY);
    EXPECT_EQ(QPoint(z.pixelX, z.pixelY), QPoint(50, 20));
    EXPECT_EQ(QPoint(z.viewLeft, z.viewTop), QPoint(25, 10));
    EXPECT_EQ(QPoint(z.pixelAfterX, z.pixelAfterY), QPoint(50, 20));
}
