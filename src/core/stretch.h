#pragma once

#include <QImage>

namespace tobrin {

// Bitmap stretching without smoothing, as the import uses it for the display
// copy and for the target preview. Each target pixel takes the source pixels
// of its share of the source: when shrinking, their colour values are
// combined by a bitwise AND, so a black pixel survives any reduction; when
// enlarging, source pixels repeat. Along each axis every source pixel belongs
// to exactly one target pixel when shrinking.

// Draws src stretched to drawnWidth x drawnHeight into dst with its top-left
// corner at dst's (0, 0); whatever falls outside dst is clipped, whatever of
// dst the drawing does not reach is left as it was. dst must be
// Format_RGB32; src may be any format (it is converted first if needed).
void StretchDraw(const QImage& src, QImage& dst, int drawnWidth, int drawnHeight);

// src stretched to a new Format_RGB32 image of width x height.
QImage Stretched(const QImage& src, int width, int height);

}  // namespace tobrin
