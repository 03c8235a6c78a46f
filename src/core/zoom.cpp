#include "core/zoom.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/canvaslayout.h"
#include "core/units.h"

namespace tobrin {

namespace {

constexpr int kLadder[] = {3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20, 24, 30, 35, 40};

// Pointer positions arrive as fractions (7 pixels are 100 units), so a
// cell border may come a hair below its exact value.
constexpr double kBorderSlack = 1e-9;

// n * num / den rounded to the nearest integer, ties to even; n, num >= 0.
int RoundedShare(int n, int num, int den)
{
    const int whole = n * num / den, rest = n * num % den;
    if (2 * rest > den || (2 * rest == den && whole % 2 == 1))
        return whole + 1;
    return whole;
}

}  // namespace

double CellGeometry::CellUnits() const
{
    // Exact at "Actual size": 700 / 7 is 100 in double arithmetic.
    return cell * double(canvasgeometry::kCellUnits) / zoom::kActualCellPixels;
}

double CellGeometry::TrailingUnits() const
{
    return grid ? canvasgeometry::kCanvasTrailingUnits : 0.0;
}

int CellGeometry::CellAtPixel(double pixel) const
{
    return static_cast<int>(std::floor(pixel / cell + kBorderSlack));
}

int CellGeometry::CellAtUnits(double u) const
{
    return static_cast<int>(std::floor(u / CellUnits() + kBorderSlack));
}

int CellGeometry::BorderUnits(int index) const
{
    return static_cast<int>(std::lround(index * CellUnits()));
}

int ClampCellPixels(int cellPixels)
{
    return std::clamp(cellPixels, zoom::kMinCellPixels, zoom::kMaxCellPixels);
}

CellGeometry CellGeometryFor(int cellPixels)
{
    const int cell = ClampCellPixels(cellPixels);
    return CellGeometryOfSide(cell, cell >= zoom::kGridMinCellPixels);
}

CellGeometry CellGeometryOfSide(int cellPixels, bool grid)
{
    CellGeometry g;
    g.cell = std::max(1, cellPixels);
    g.grid = grid;
    if (g.grid) {
        // The square spans 15 % .. 85 % of the cell, as the 70-unit square
        // 15 units inside a 100-unit cell does.
        g.squareInset = RoundedShare(g.cell, 15, 100);
        g.squareSide = RoundedShare(g.cell, 85, 100) - g.squareInset;
    } else {
        g.squareInset = 0;
        g.squareSide = g.cell;
    }
    return g;
}

int ZoomInStep(int cellPixels)
{
    const int k = ClampCellPixels(cellPixels);
    const int* next = std::upper_bound(std::begin(kLadder), std::end(kLadder), k);
    return next == std::end(kLadder) ? k : *next;
}

int ZoomOutStep(int cellPixels)
{
    const int k = ClampCellPixels(cellPixels);
    const int* first = std::lower_bound(std::begin(kLadder), std::end(kLadder), k);
    return first == std::begin(kLadder) ? k : *(first - 1);
}

int FitCellPixels(double W, double H, int MaxX, int MaxY)
{
    for (int k = zoom::kMaxCellPixels; k > zoom::kMinCellPixels; --k) {
        const CellGeometry g = CellGeometryFor(k);
        if (WholePictureFits(W, MaxX, g) && WholePictureFits(H, MaxY, g))
            return k;
    }
    return zoom::kMinCellPixels;
}

namespace {

// One direction of the anchor: the pixel under the point, and the view's
// first index that keeps it there within the new scroll range.
void Anchor(double point, const CellGeometry& before, int first, const CellGeometry& after,
            const ScrollBarFacts& bar, int maxIndex, int& pixel, int& newFirst, int& pixelAfter)
{
    pixel = std::clamp(first + before.CellAtUnits(point), 0, maxIndex);
    const int cellAfter = std::max(0, after.CellAtUnits(point));
    const int maximum = bar.visible ? bar.maximum : 0;
    newFirst = std::clamp(pixel - cellAfter, 0, maximum);
    pixelAfter = newFirst + cellAfter;
}

}  // namespace

ZoomAnchor ComputeZoomAnchor(double pointX, double pointY, const CellGeometry& before,
                             int viewLeft, int viewTop, const CellGeometry& afterCells,
                             const CanvasLayoutFacts& after, int MaxX, int MaxY)
{
    ZoomAnchor a;
    Anchor(pointX, before, viewLeft, afterCells, after.hBar, MaxX, a.pixelX, a.viewLeft, a.pixelAfterX);
    Anchor(pointY, before, viewTop, afterCells, after.vBar, MaxY, a.pixelY, a.viewTop, a.pixelAfterY);
    return a;
}

}  // namespace tobrin
