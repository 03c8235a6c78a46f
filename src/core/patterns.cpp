#include "core/patterns.h"

namespace tobrin {

namespace {

// A density below 1 would divide by zero; the settings keep it at 2..10,
// anything smaller is treated as 1 (every position is a multiple).
int SafeDensity(int density) { return density < 1 ? 1 : density; }

bool IsMultiple(int v, int d) { return v % d == 0; }

}  // namespace

int LineStylePattern(LineStyle style, int density, int startX, int x, int y)
{
    const int d = SafeDensity(density);
    const int t = (x - startX) - y;
    switch (style) {
    case LineStyle::Solid:
        return 1;
    case LineStyle::Empty:
        return 0;
    case LineStyle::Dotted:
        return IsMultiple(t, d) ? 1 : 0;
    case LineStyle::Dashed:  // runs of d ones and d zeros
        return FloorMod(FloorDiv(t, d), 2) == 0 ? 1 : 0;
    case LineStyle::DotDash: {  // one dot, a gap, a dash of d, a gap; period 3d + 1
        const int period = 3 * d + 1;
        const int m = FloorMod(t, period);
        return (m == 1 || (m >= d + 2 && m <= 2 * d + 1)) ? 1 : 0;
    }
    }
    return 1;
}

int FillPattern(FillStyle style, int density, int startX, int startY, int x, int y)
{
    const int d = SafeDensity(density);
    const bool horizontal = IsMultiple(y - startY, d);
    const bool vertical = IsMultiple(x - startX, d);
    // The left diagonal uses x itself and the right one y itself, so only
    // one coordinate of each is taken relative to the press cell.
    const bool diagonalLeft = IsMultiple(x + (y - startY), d);
    const bool diagonalRight = IsMultiple((x - startX) - y, d);
    switch (style) {
    case FillStyle::Solid:
        return 1;
    case FillStyle::Transparent:
        return 0;
    case FillStyle::Horizontal:
        return horizontal ? 1 : 0;
    case FillStyle::Vertical:
        return vertical ? 1 : 0;
    case FillStyle::Cross:
        return (horizontal || vertical) ? 1 : 0;
    case FillStyle::DiagonalLeft:
        return diagonalLeft ? 1 : 0;
    case FillStyle::DiagonalRight:
        return diagonalRight ? 1 : 0;
    case FillStyle::CrossDiagonal:
        return (diagonalLeft || diagonalRight) ? 1 : 0;
    }
    return 0;
}

}  // namespace tobrin
