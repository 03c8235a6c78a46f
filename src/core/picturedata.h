#pragma once

#include <array>
#include <cassert>
#include <cstdint>

namespace tobrin {

// The picture array is one column and one row larger than the largest
// picture (240 x 120), so a width of 240 still has a padding column.
constexpr int kPicColumns = 241;
constexpr int kPicRows = 121;
constexpr int kMaxWidth = 240;
constexpr int kMaxHeight = 120;

// A picture as plain values: the pixel plane and the size. The editor's
// picture is a PictureDocument holding one of these.
struct PictureData {
    using Plane = std::array<std::uint8_t, kPicColumns * kPicRows>;

    // 1 = set (black), 0 = clear (white); element (x, y) at x + 241 * y.
    Plane PicData{};
    int MaxX = 39;  // width - 1
    int MaxY = 31;  // height - 1

    static constexpr int Offset(int x, int y) { return x + kPicColumns * y; }

    std::uint8_t& Pic(int x, int y)
    {
        assert(x >= 0 && x < kPicColumns && y >= 0 && y < kPicRows);
        return PicData[Offset(x, y)];
    }
    std::uint8_t Pic(int x, int y) const
    {
        assert(x >= 0 && x < kPicColumns && y >= 0 && y < kPicRows);
        return PicData[Offset(x, y)];
    }

    int Width() const { return MaxX + 1; }
    int Height() const { return MaxY + 1; }
};

}  // namespace tobrin
