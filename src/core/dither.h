#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/monochrome.h"

namespace tobrin {

// How the import turns grey levels into black and white.
//
// None is the plain threshold of the display copy followed by the
// black-preserving stretch. Every other choice first reduces the display
// copy to the grey levels of the chosen components (GreyLevel), scales
// those to the drawn size by area averaging, and then dithers around the
// threshold T (1..255). A pixel whose value v exceeds T is white, as in the
// plain conversion; all arithmetic is on integers:
//
// Floyd-Steinberg: rows alternate direction (row 0 left to right, row 1
//   right to left, ...). v = level + the error carried to the pixel; the
//   output o is 255 when v > T, else 0; the error e = v - o goes forward as
//   a = 7e/16 to the next pixel of the row, b = 3e/16 below-behind,
//   c = 5e/16 below, and d = e - a - b - c below-ahead, each division
//   truncated toward zero (so the four shares always add up to e). A share
//   whose pixel lies outside the picture is dropped.
// Atkinson: every row left to right; s = e/8 truncated toward zero goes to
//   each of (x+1, y), (x+2, y), (x-1, y+1), (x, y+1), (x+1, y+1), (x, y+2);
//   the rest of the error (a quarter and the truncation) is dropped, as are
//   shares outside the picture.
// Ordered 4x4 / 8x8: the standard Bayer index m (0..N-1, N = 16 or 64) of
//   cell (x mod n, y mod n) gives the odd offset step d = 2m + 1 - N, which
//   runs symmetrically from -(N-1) to N-1 without zero. With
//   R = max(1, min(T, 255 - T)), the pixel is white when
//   N * (level - T) > d * R, that is level > T + d * R / N exactly. Half of
//   the cells have d < 0, so a uniform grey equal to T comes out exactly
//   half black; R keeps every offset inside the range on both sides of T,
//   so 0 stays black and 255 stays white whatever the threshold.
//
// Area averaging: target pixel (tx, ty) of tw x th covers the source
// rectangle [tx * sw / tw, (tx + 1) * sw / tw) x [ty * sh / th, ...) in
// exact fractions; each source pixel counts with the area it shares with
// it (integer weights in units of 1 / (tw * th)), and the weighted sum is
// divided by sw * sh, rounded half up.
enum class Dither { None, FloydSteinberg, Atkinson, Bayer4, Bayer8 };

// The command line's names: none, fs, atkinson, bayer4, bayer8.
std::optional<Dither> DitherFromName(const QString& name);
const char* DitherName(Dither dither);
// The dialog's captions: "None", "Floyd–Steinberg", "Atkinson",
// "Ordered 4×4", "Ordered 8×8".
QString DitherCaption(Dither dither);

// A plane of grey levels, row after row.
struct GreyPlane {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> levels;

    std::uint8_t At(int x, int y) const { return levels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// GreyLevel of every pixel of image (as the plain conversion computes it).
GreyPlane GreyLevels(const QImage& image, const Components& use);

// The area average of src at tw x th (both at least 1).
GreyPlane AreaAverage(const GreyPlane& src, int tw, int th);

// Black (1) or white (0) for every pixel of levels, dithered around
// tolerance; dither must not be None.
std::vector<std::uint8_t> DitherLevels(const GreyPlane& levels, Dither dither, int tolerance);

// The whole dithered conversion: the display copy's grey levels averaged to
// drawnWidth x drawnHeight, dithered, inverted on request, and drawn into
// dst (Format_RGB32) from its top-left corner, clipped to dst. Only the
// part inside dst is dithered; what lies outside the drawing is untouched.
void DrawDithered(const QImage& disp, const Components& use, int tolerance, bool invert, Dither dither,
                  int drawnWidth, int drawnHeight, QImage& dst);
// The same from grey levels already taken.
void DrawDitheredLevels(const GreyPlane& levels, int tolerance, bool invert, Dither dither, int drawnWidth,
                        int drawnHeight, QImage& dst);

}  // namespace tobrin
