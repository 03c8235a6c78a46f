#pragma once

#include "core/drawingstate.h"

namespace tobrin {

// Line-style ink (1 or 0) at picture pixel (x, y). The phase is anchored at
// the press column startX and at the absolute row: t = (x - startX) - y.
// Density is the period d (2..10).
int LineStylePattern(LineStyle style, int density, int startX, int x, int y);

// Fill-pattern ink (1 or 0) at picture pixel (x, y), anchored at the press
// cell (startX, startY).
int FillPattern(FillStyle style, int density, int startX, int startY, int x, int y);

// Integer division and remainder rounded towards minus infinity
// (FloorMod(v, d) is always in 0..d-1 for d > 0).
constexpr int FloorDiv(int v, int d)
{
    const int q = v / d;
    return (v % d != 0 && ((v < 0) != (d < 0))) ? q - 1 : q;
}
constexpr int FloorMod(int v, int d) { return v - d * FloorDiv(v, d); }

}  // namespace tobrin
