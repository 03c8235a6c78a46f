#pragma once

#include "core/zoom.h"

namespace tobrin {

// Fixed places of the drawing window, in logical units (1/1440 inch).
namespace canvasgeometry {
constexpr int kCanvasLeft = 465;      // the canvas's left edge
constexpr int kCanvasTop = 495;       // the canvas's top edge
constexpr int kCellUnits = 100;       // one picture pixel
constexpr int kSquareInset = 15;      // the square starts this far inside its cell
constexpr int kSquareUnits = 70;      // the square's side
constexpr int kHBarLeft = 480;        // HSizeScroll's left edge
constexpr int kVBarTop = 480;         // VSizeScroll's top edge
constexpr int kMinOuterSize = 1500;   // the window is never smaller than this
constexpr int kCanvasTrailingUnits = 10;  // the closing grid line after the last cell
// Besides the cells, the whole picture needs this much of the client width
// (height) before the scroll bar goes: the canvas's offset, its closing
// line and room on the far side (seven cells' worth at "Actual size").
constexpr int kWholePictureSlack = 710;
}  // namespace canvasgeometry

// Geometry of one canvas scroll bar, in units.
struct ScrollBarFacts {
    bool visible = false;
    double left = 0, top = 0, width = 0, height = 0;
    int maximum = 0;   // minimum is always 0
    int pageStep = 1;  // one page of the view's cells
};

// Everything the canvas layout decides for a client area of W x H units.
// The view always starts at the picture's origin after a layout.
struct CanvasLayoutFacts {
    int ViewColumns = 0, ViewRows = 0;
    int ViewLeft = 0, ViewTop = 0;
    int ViewRight = 0, ViewBottom = 0;
    int canvasWidth = 0, canvasHeight = 0;  // units, 100 * cells + 10 at "Actual size"
    CellGeometry cells;                     // the zoom level laid out
    int canvasPixelWidth = 0, canvasPixelHeight = 0;  // the same in logical pixels
    ScrollBarFacts hBar;  // HSizeScroll, on the bottom edge
    ScrollBarFacts vBar;  // VSizeScroll, on the right edge
};

// W, H: the window's client size; hBarHeight / vBarWidth: the thickness of
// the horizontal and vertical scroll bars. A scroll bar appears only when
// the whole picture plus seven cells of slack does not fit; without it the
// view is the whole width (height) of the picture. The view never has fewer
// than one column or row, however small the window.
CanvasLayoutFacts ComputeCanvasLayout(double W, double H, int MaxX, int MaxY,
                                      double hBarHeight, double vBarWidth);
// The same at a zoom level: cells of cells.CellUnits() instead of 100
// units; the window's fixed places and slack do not scale. At "Actual size"
// it gives exactly the layout above.
CanvasLayoutFacts ComputeCanvasLayout(double W, double H, int MaxX, int MaxY,
                                      double hBarHeight, double vBarWidth,
                                      const CellGeometry& cells);

// Whether a client extent (units) shows all maxIndex + 1 cells without a
// scroll bar in that direction.
bool WholePictureFits(double extent, int maxIndex, const CellGeometry& cells);

// Where a click on the device preview at (x, y) scrolls the view: the
// position is clamped in place so that the view centred on it stays inside
// the picture. A scroll bar is only moved when it is shown and the target
// lies within its range; the targets are rounded half to even.
struct RelocateTarget {
    bool moveH = false, moveV = false;
    int hValue = 0, vValue = 0;
};
RelocateTarget ComputeRelocate(double& x, double& y, int MaxX, int MaxY, int ViewColumns,
                               int ViewRows, const ScrollBarFacts& hBar,
                               const ScrollBarFacts& vBar);

}  // namespace tobrin
