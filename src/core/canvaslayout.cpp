#include "core/canvaslayout.h"

#include <cmath>

namespace tobrin {

namespace {

struct Half {
    int cells = 0;        // ViewColumns or ViewRows
    int canvas = 0;       // canvas extent in units
    int pixels = 0;       // the same in logical pixels
    bool barVisible = false;
    int maximum = 0;
    int pageStep = 1;
    int first = 0, last = 0;  // ViewLeft/ViewRight or ViewTop/ViewBottom
};

// One direction of the layout. extent: client width (height); origin: the
// canvas's left (top) edge; maxIndex: MaxX (MaxY).
Half LayoutHalf(double extent, int origin, int maxIndex, const CellGeometry& g)
{
    const double cellUnits = g.CellUnits();
    Half h;
    const int pictureCells = maxIndex + 1;
    // The slack keeps a free space of exactly n cells from coming out one
    // short at zoom levels whose cells are not whole units.
    h.cells = static_cast<int>(std::floor((extent - origin - 260) / cellUnits + 1e-9));
    if (h.cells > pictureCells)
        h.cells = pictureCells;
    if (h.cells < 1)
        h.cells = 1;

    if (WholePictureFits(extent, maxIndex, g)) {
        // Room for the whole picture: the canvas shows every cell, and so
        // does the view (also just above the threshold, where the cell
        // count from the free space alone would come out one short).
        h.cells = pictureCells;
        h.barVisible = false;
        h.first = 0;
        h.last = maxIndex;
    } else {
        h.barVisible = true;
        h.maximum = pictureCells - h.cells;
        // One page of view cells, expressed over the bar's range.
        const double pages = static_cast<double>(pictureCells) / h.cells - 1.0;
        h.pageStep = pages > 0 ? static_cast<int>(std::floor(h.maximum / pages)) : h.maximum;
        if (h.pageStep < 1)
            h.pageStep = 1;
        h.first = 0;
        h.last = h.cells - 1;
    }
    h.canvas = static_cast<int>(std::lround(cellUnits * h.cells + g.TrailingUnits()));
    h.pixels = g.CanvasPixels(h.cells);
    return h;
}

}  // namespace

bool WholePictureFits(double extent, int maxIndex, const CellGeometry& cells)
{
    return extent >= cells.CellUnits() * (maxIndex + 1) + canvasgeometry::kWholePictureSlack;
}

CanvasLayoutFacts ComputeCanvasLayout(double W, double H, int MaxX, int MaxY,
                                      double hBarHeight, double vBarWidth)
{
    return ComputeCanvasLayout(W, H, MaxX, MaxY, hBarHeight, vBarWidth,
                               CellGeometryFor(zoom::kActualCellPixels));
}

CanvasLayoutFacts ComputeCanvasLayout(double W, double H, int MaxX, int MaxY,
                                      double hBarHeight, double vBarWidth,
                                      const CellGeometry& cells)
{
    using namespace canvasgeometry;
    CanvasLayoutFacts f;
    f.cells = cells;

    const Half x = LayoutHalf(W, kCanvasLeft, MaxX, cells);
    f.ViewColumns = x.cells;
    f.canvasWidth = x.canvas;
    f.canvasPixelWidth = x.pixels;
    f.ViewLeft = x.first;
    f.ViewRight = x.last;
    f.hBar.visible = x.barVisible;
    f.hBar.left = kHBarLeft;
    f.hBar.top = H - hBarHeight;
    f.hBar.width = W - 610;
    f.hBar.height = hBarHeight;
    f.hBar.maximum = x.maximum;
    f.hBar.pageStep = x.pageStep;

    const Half y = LayoutHalf(H, kCanvasTop, MaxY, cells);
    f.ViewRows = y.cells;
    f.canvasHeight = y.canvas;
    f.canvasPixelHeight = y.pixels;
    f.ViewTop = y.first;
    f.ViewBottom = y.last;
    f.vBar.visible = y.barVisible;
    f.vBar.left = W - vBarWidth;
    f.vBar.top = kVBarTop;
    f.vBar.width = vBarWidth;
    f.vBar.height = H - 580;
    f.vBar.maximum = y.maximum;
    f.vBar.pageStep = y.pageStep;
    return f;
}

namespace {

// Clamps the position so that a view of `cells` centred on it fits in the
// picture, and gives the view's first index for it.
double CentreOn(double& pos, int maxIndex, int cells)
{
    const double half = cells / 2.0;
    if (pos > (maxIndex + 1) - half)
        pos = (maxIndex + 1) - half;
    if (pos < half)
        pos = half;
    return pos - half;
}

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

RelocateTarget ComputeRelocate(double& x, double& y, int MaxX, int MaxY, int ViewColumns,
                               int ViewRows, const ScrollBarFacts& hBar,
                               const ScrollBarFacts& vBar)
{
    RelocateTarget t;
    const double h = CentreOn(x, MaxX, ViewColumns);
    const double v = CentreOn(y, MaxY, ViewRows);
    // A hidden bar means the whole picture is in view: nothing to scroll.
    if (hBar.visible && h <= hBar.maximum) {
        t.moveH = true;
        t.hValue = RoundHalfEven(h);
    }
    if (vBar.visible && v <= vBar.maximum) {
        t.moveV = true;
        t.vValue = RoundHalfEven(v);
    }
    return t;
}

}  // namespace tobrin
