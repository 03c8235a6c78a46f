#pragma once

#include <cmath>

// Window geometry is laid out in logical units of 1/1440 inch. This is the one
// place where they become screen pixels: a 100-unit canvas cell is exactly 7
// pixels (the 70-unit square 5, the 15-unit margin 1), so every cell of the
// zoomed canvas has the same whole number of pixels. High-density screens
// multiply by the device pixel ratio on top, which keeps cells whole.
namespace tobrin::units {

constexpr double kPixelsPerUnit = 0.07;

inline int ToPixels(double u) { return static_cast<int>(std::lround(u * kPixelsPerUnit)); }
inline double ToUnits(double px) { return px / kPixelsPerUnit; }

}  // namespace tobrin::units
