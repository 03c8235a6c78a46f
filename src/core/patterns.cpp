#include "core/patterns.h"

namespace tobrin {

namespace {

// A density below 1 would divide by zero; the settings keep it at 2..10,
// anything smaller is treated as 1 (every position is a multiple).
int SafeDensity(int density) { return density < 1 ? 1 : density; }

bool IsMultiple(int v, int d) { return v % d == 0; }

}  // namespace

int LineStylePattern(int lineStyleIndex, int density, int startX, int x, int y)
{
    const int d = SafeDensity(density);
    const int t = (x - startX) - y;
    switch (lineStyleIndex) {
    case 1:  // Solid
        return 1;
    case 2:  // Empty
        return 0;
    case 3:  // Dotted
        return IsMultiple(t, d) ? 1 : 0;
    case 4:  // Dashed: runs of d ones and d zeros
        return FloorMod(FloorDiv(t, d), 2) == 0 ? 1 : 0;
    case 5: {  // Dot - Dash: one dot, a gap, a dash of d, a gap; period 3d + 1
        const int period = 3 * d + 1;
        const int m = FloorMod(t, period);
        return (m == 1 || (m >= d + 2 && m <= 2 * d + 1)) ? 1 : 0;
    }
    default:
        return 1;
    }
}

int FillPattern(int fillStyleIndex, int density, int startX, int startY, int x, int y)
{
    const int d = SafeDensity(density);
    const bool horizontal = IsMultiple(y - startY, d);
    const bool vertical = IsMultiple(x - startX, d);
    // The left diagonal uses x itself and the right one y itself, so only
    // one coordinate of each is taken relative to the press cell.
    const bool diagonalLeft = IsMultiple(x + (y - startY), d);
    const bool diagonalRight = IsMultiple((x - startX) - y, d);
    switch (fillStyleIndex) {
    case 1:  // Solid
        return 1;
    case 2:  // Transparent
        return 0;
    case 3:  // Horizontal
        return horizontal ? 1 : 0;
    case 4:  // Vertical
        return vertical ? 1 : 0;
    case 5:  // Cross
        return (horizontal || vertical) ? 1 : 0;
    case 6:  // Diagonal left
        return diagonalLeft ? 1 : 0;
    case 7:  // Diagonal right
        return diagonalRight ? 1 : 0;
    case 8:  // Cross diagonal
        return (diagonalLeft || diagonalRight) ? 1 : 0;
    default:
        return 0;
    }
}

}  // namespace tobrin
