#pragma once

#include <QImage>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace tobrin {

// How a shrink combines the colours of the source pixels that fall onto one
// target pixel: the smallest red, the smallest green and the smallest blue.
// Black survives any reduction and black-and-white images shrink exactly as
// with a bitwise AND of the colour values, but neighbours in a smooth
// gradient (127 and 128, say) do not merge into a dark band: the result is
// never darker in any component than the darkest pixel it came from.
inline std::uint32_t MinChannels(std::uint32_t a, std::uint32_t b)
{
    // Alpha too, so that the vector loops below give the same; the results
    // are made opaque anyway.
    return std::min(a & 0xFF000000u, b & 0xFF000000u) | std::min(a & 0xFF0000u, b & 0xFF0000u)
        | std::min(a & 0xFF00u, b & 0xFF00u) | std::min(a & 0xFFu, b & 0xFFu);
}
// MinChannels of white and the pixels [p, end).
std::uint32_t MinOfSpan(const std::uint32_t* p, const std::uint32_t* end);
// out[i] = MinChannels(out[i], in[i]) for n pixels.
void MinInto(std::uint32_t* out, const std::uint32_t* in, int n);
// Sets the alpha of n pixels to opaque.
void MakeOpaque(std::uint32_t* p, int n);

// How the target columns share the source columns, as StretchDraw divides
// them: the first `targets` of `drawn` columns over `sources` (shrinking
// partitions the sources, enlarging gives each target the one under it).
class ColumnShares {
public:
    ColumnShares(int targets, int drawn, int sources);
    int Count() const { return static_cast<int>(first_.size()); }
    // out[t] = MinOfSpan of target t's share of row, for every target. A
    // shrink by less than half (shares of one or two pixels) or an
    // enlargement takes no call per pixel.
    void Combine(const std::uint32_t* row, std::uint32_t* out) const;

private:
    std::vector<int> first_;
    std::vector<int> last_;  // inclusive
    int widest_ = 1;
};

// Bitmap stretching without smoothing, as the import uses it for the display
// copy and for the target preview. Each target pixel takes the source pixels
// of its share of the source: when shrinking, their colours are combined by
// MinChannels, so a black pixel survives any reduction; when enlarging,
// source pixels repeat. Along each axis every source pixel belongs
// to exactly one target pixel when shrinking.

// Draws src stretched to drawnWidth x drawnHeight into dst with its top-left
// corner at dst's (0, 0); whatever falls outside dst is clipped, whatever of
// dst the drawing does not reach is left as it was. dst must be
// Format_RGB32; src may be any format (it is converted first if needed).
void StretchDraw(const QImage& src, QImage& dst, int drawnWidth, int drawnHeight);

// src stretched to a new Format_RGB32 image of width x height.
QImage Stretched(const QImage& src, int width, int height);

}  // namespace tobrin
