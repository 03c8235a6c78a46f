#pragma once

namespace tobrin {

struct CanvasLayoutFacts;

// The canvas zoom. A zoom level is the side of one canvas cell in (logical)
// screen pixels, a whole number so every cell has the same pixels; the
// canvas image multiplies it by the device pixel ratio on top. The layout
// works in logical units like the rest of the window: one cell is
// CellUnits() of them, and this is the one place where a cell's pixels and
// its units meet.
namespace zoom {
constexpr int kMinCellPixels = 3;
constexpr int kMaxCellPixels = 40;
constexpr int kActualCellPixels = 7;   // "Actual size": 100 units
constexpr int kGridMinCellPixels = 5;  // smaller cells show no grid lines
}  // namespace zoom

// One canvas cell at a zoom level, in logical pixels. With grid lines a
// one-pixel line runs along each cell's left and top border and the square
// sits 15 % of the cell inside it, 70 % of the cell wide (at 7 pixels: line
// 1, square 5, margin 1); without them the square fills the whole cell.
struct CellGeometry {
    int cell = zoom::kActualCellPixels;
    int squareInset = 1;
    int squareSide = 5;
    bool grid = true;

    // The cell's side in logical units (100 at "Actual size").
    double CellUnits() const;
    // Units added after the last cell for the closing grid line (one pixel).
    double TrailingUnits() const;
    // Pixel of a cell's left (top) border and of its square.
    int CellPixel(int index) const { return cell * index; }
    int SquarePixel(int index) const { return cell * index + squareInset; }
    // Canvas extent in pixels for a number of cells, the closing line included.
    int CanvasPixels(int cells) const { return cell * cells + (grid ? 1 : 0); }
    // The canvas cell a position lies in: a position in units (as pointer
    // events arrive) or in logical pixels. Negative positions give -1 and less.
    int CellAtUnits(double units) const;
    int CellAtPixel(double pixel) const;
    // The canvas unit position of a cell border, rounded to whole units
    // (the marquee keeps whole units); it converts back to CellPixel exactly.
    int BorderUnits(int index) const;
};

// The geometry of a zoom level; levels outside 3..40 are clamped.
CellGeometry CellGeometryFor(int cellPixels);
// The same proportions for a cell of any whole number of pixels (the canvas
// drawn in device pixels on a screen of fractional ratio), with or without
// grid lines as given.
CellGeometry CellGeometryOfSide(int cellPixels, bool grid);
int ClampCellPixels(int cellPixels);

// "Zoom in" / "Zoom out": the next larger / smaller level of a fixed
// ladder (3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20, 24, 30, 35, 40). A level
// between two rungs (after "Fit to window") goes to the neighbouring rung.
// At the ends the level stays, which is how a menu knows to grey the entry.
int ZoomInStep(int cellPixels);
int ZoomOutStep(int cellPixels);

// "Fit to window": the largest level at which the whole picture is shown
// without scroll bars in a client area of W x H units (the sizes the
// canvas layout is given). When even the smallest level does not fit,
// the smallest.
int FitCellPixels(double W, double H, int MaxX, int MaxY);

// Zooming around a point of the canvas (the pointer for Ctrl + wheel, the
// canvas's middle for the menu): the picture pixel under the point before,
// the view's new first column and row (values for the scroll bars of the
// new layout, clamped to their ranges) that keep it under the point, and
// the pixel that is under the point afterwards. The point stays where it is
// on the screen, because the canvas does not move while zooming; the pixel
// stays under it unless the view had to be clamped at the picture's edge.
struct ZoomAnchor {
    int pixelX = 0, pixelY = 0;            // under the point before
    int viewLeft = 0, viewTop = 0;         // new ViewLeft / ViewTop
    int pixelAfterX = 0, pixelAfterY = 0;  // under the point afterwards
};

// pointX, pointY: canvas position in units (as the canvas's pointer events
// give it); viewLeft, viewTop: the view's first column and row before;
// after: the layout computed for the new level.
ZoomAnchor ComputeZoomAnchor(double pointX, double pointY, const CellGeometry& before,
                             int viewLeft, int viewTop, const CellGeometry& afterCells,
                             const CanvasLayoutFacts& after, int MaxX, int MaxY);

}  // namespace tobrin
