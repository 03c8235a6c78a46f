#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <vector>

#include "core/scratchsurface.h"
#include "test_view.h"

namespace tobrin {
namespace {

using Rows = std::vector<std::string>;

// '#' set, '.' clear; the picture's top-left is (0, 0).
PictureData Picture(const Rows& rows)
{
    PictureData d;
    for (int y = 0; y < int(rows.size()); ++y)
        for (int x = 0; x < int(rows[y].size()); ++x)
            d.Pic(x, y) = rows[y][x] == '#';
    return d;
}

Rows Render(const ScratchSurface& h)
{
    Rows rows;
    for (int j = 0; j < h.AreaHeight(); ++j) {
        std::string s;
        for (int i = 0; i < h.AreaWidth(); ++i) {
            const QRgb c = h.Pixel(i, j);
            s += c == ScratchSurface::kWhite ? '.' : c == ScratchSurface::kBlack ? '#'
                 : c == ScratchSurface::kMagenta ? 'M' : 'x';
        }
        rows.push_back(s);
    }
    return rows;
}

// The boundary is the colour opposite to the start pixel, as the Fill tool uses it.
QRgb Opposite(const ScratchSurface& h, QPoint p)
{
    return h.Pixel(p.x(), p.y()) == ScratchSurface::kBlack ? ScratchSurface::kWhite : ScratchSurface::kBlack;
}

TEST(FloodFill, NeverCrossesADiagonalGap)
{
    const Rows pic = {
        "...#....",
        "...#....",
        "####....",
        "....####",
        "....#...",
        "....#...",
    };
    ScratchSurface h;
    h.LoadHolder(Picture(pic), View(0, 0, 8, 6));
    h.FloodFill(QPoint(0, 0), ScratchSurface::kBlack);
    EXPECT_EQ(Render(h), (Rows{
                             "MMM#....",
                             "MMM#....",
                             "####....",
                             "....####",
                             "....#...",
                             "....#...",
                         }));
    // The black walls themselves touch only at a corner too.
    h.LoadHolder(Picture(pic), View(0, 0, 8, 6));
    h.FloodFill(QPoint(0, 2), ScratchSurface::kWhite);
    EXPECT_EQ(Render(h), (Rows{
                             "...M....",
                             "...M....",
                             "MMMM....",
                             "....####",
                             "....#...",
                             "....#...",
                         }));
}

TEST(FloodFill, StaysInsideTheView)
{
    // An all-white picture; the view shows columns 4..9 and rows 2..4 only.
    PictureData d;
    d.MaxX = 39;
    d.MaxY = 31;
    d.Pic(6, 3) = 1;
    ScratchSurface h;
    h.LoadHolder(d, View(4, 2, 6, 3));
    h.FloodFill(QPoint(0, 0), ScratchSurface::kBlack);
    EXPECT_EQ(Render(h), (Rows{"MMMMMM", "MM#MMM", "MMMMMM"}));
}

TEST(FloodFill, StartOnTheBoundaryColourOrOutsideFillsNothing)
{
    ScratchSurface h;
    h.LoadHolder(Picture({"#..", "..."}), View(0, 0, 3, 2));
    const Rows before = Render(h);
    h.FloodFill(QPoint(0, 0), ScratchSurface::kBlack);
    EXPECT_EQ(Render(h), before);
    h.FloodFill(QPoint(3, 0), ScratchSurface::kBlack);
    h.FloodFill(QPoint(-1, 1), ScratchSurface::kBlack);
    h.FloodFill(QPoint(1, 2), ScratchSurface::kBlack);
    EXPECT_EQ(Render(h), before);
}

TEST(FloodFill, StartingOnMagentaAlreadyEndsAndSpreadsAsUsual)
{
    ScratchSurface h;
    h.LoadHolder(Picture({"..#..", "..#..", "....."}), View(0, 0, 5, 3));
    h.FloodFill(QPoint(0, 0), ScratchSurface::kBlack);
    const Rows once = Render(h);
    EXPECT_EQ(once, (Rows{"MM#MM", "MM#MM", "MMMMM"}));
    h.FloodFill(QPoint(1, 1), ScratchSurface::kBlack);  // again, on its own result
    EXPECT_EQ(Render(h), once);

    // A magenta patch does not stop the fill from passing through it.
    h.LoadHolder(Picture({"..#..", "..#..", "....."}), View(0, 0, 5, 3));
    h.SetPixel(1, 2, ScratchSurface::kMagenta);
    h.SetPixel(2, 2, ScratchSurface::kMagenta);
    h.FloodFill(QPoint(0, 0), ScratchSurface::kBlack);
    EXPECT_EQ(Render(h), once);
}

TEST(FloodFill, WholeLargestArea)
{
    PictureData d;
    d.MaxX = 239;
    d.MaxY = 119;
    ScratchSurface h;
    h.LoadHolder(d, View(0, 0, 240, 120));
    h.FloodFill(QPoint(239, 119), ScratchSurface::kBlack);
    for (int j = 0; j < 120; ++j)
        for (int i = 0; i < 240; ++i)
            ASSERT_EQ(h.Pixel(i, j), ScratchSurface::kMagenta) << i << "," << j;
}

// The 4-connected region by plain breadth-first search, to compare with.
std::vector<std::uint8_t> Region(const ScratchSurface& h, QPoint start, QRgb boundary)
{
    const int w = h.AreaWidth(), ht = h.AreaHeight();
    std::vector<std::uint8_t> in(static_cast<size_t>(w) * ht, 0);
    if (h.Pixel(start.x(), start.y()) == boundary || start.x() < 0 || start.y() < 0
        || start.x() >= w || start.y() >= ht)
        return in;
    std::deque<QPoint> queue{start};
    in[start.y() * w + start.x()] = 1;
    while (!queue.empty()) {
        const QPoint p = queue.front();
        queue.pop_front();
        for (QPoint n : {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)}) {
            if (n.x() < 0 || n.y() < 0 || n.x() >= w || n.y() >= ht)
                continue;
            if (in[n.y() * w + n.x()] || h.Pixel(n.x(), n.y()) == boundary)
                continue;
            in[n.y() * w + n.x()] = 1;
            queue.push_back(n);
        }
    }
    return in;
}

void ExpectFillMatchesRegion(const PictureData& d, const ViewWindow& v, QPoint start)
{
    ScratchSurface h;
    h.LoadHolder(d, v);
    const QRgb boundary = Opposite(h, start);
    const auto expected = Region(h, start, boundary);
    ScratchSurface filled;
    filled.LoadHolder(d, v);
    filled.FloodFill(start, boundary);
    for (int j = 0; j < h.AreaHeight(); ++j)
        for (int i = 0; i < h.AreaWidth(); ++i)
            ASSERT_EQ(filled.Pixel(i, j),
                      expected[j * h.AreaWidth() + i] ? ScratchSurface::kMagenta : h.Pixel(i, j))
                << "at " << i << "," << j << " from " << start.x() << "," << start.y();
}

int WhiteCount(const PictureData& d)
{
    int n = 0;
    for (int y = 0; y <= d.MaxY; ++y)
        for (int x = 0; x <= d.MaxX; ++x)
            n += d.Pic(x, y) == 0;
    return n;
}

int MagentaCount(const ScratchSurface& h)
{
    int n = 0;
    for (int j = 0; j < h.AreaHeight(); ++j)
        for (int i = 0; i < h.AreaWidth(); ++i)
            n += h.Pixel(i, j) == ScratchSurface::kMagenta;
    return n;
}

TEST(FloodFill, NestedRingMazeOfTheLargestPicture)
{
    // Concentric one-pixel walls, each with one gap, the gaps alternating
    // between opposite corners: the white is one corridor that winds half
    // way round every ring, from the border to the middle.
    PictureData d;
    d.MaxX = 239;
    d.MaxY = 119;
    for (int o = 1; o < 119 - o; o += 2) {
        const int left = o, top = o, right = 239 - o, bottom = 119 - o;
        for (int x = left; x <= right; ++x)
            d.Pic(x, top) = d.Pic(x, bottom) = 1;
        for (int y = top; y <= bottom; ++y)
            d.Pic(left, y) = d.Pic(right, y) = 1;
        if ((o / 2) % 2 == 0)
            d.Pic(left + 1, top) = 0;
        else
            d.Pic(right - 1, bottom) = 0;
    }
    const ViewWindow v = View(0, 0, 240, 120);
    ScratchSurface h;
    h.LoadHolder(d, v);
    h.FloodFill(QPoint(0, 0), ScratchSurface::kBlack);
    EXPECT_EQ(MagentaCount(h), WhiteCount(d));
    ExpectFillMatchesRegion(d, v, QPoint(120, 60));
    ExpectFillMatchesRegion(d, v, QPoint(5, 1));  // on a wall: fills the walls
}

TEST(FloodFill, SerpentineCorridorOfTheLargestPicture)
{
    // Walls on every odd row, open at the right and the left end in turn: a
    // single corridor of 28000 pixels running back and forth.
    PictureData d;
    d.MaxX = 239;
    d.MaxY = 119;
    for (int y = 1; y < 120; y += 2) {
        for (int x = 0; x < 240; ++x)
            d.Pic(x, y) = 1;
        d.Pic(((y / 2) % 2 == 0) ? 239 : 0, y) = 0;
    }
    const ViewWindow v = View(0, 0, 240, 120);
    ScratchSurface h;
    h.LoadHolder(d, v);
    h.FloodFill(QPoint(100, 118), ScratchSurface::kBlack);
    EXPECT_EQ(MagentaCount(h), WhiteCount(d));
    ExpectFillMatchesRegion(d, v, QPoint(7, 3));
}

TEST(FloodFill, RandomPicturesMatchTheFourConnectedRegion)
{
    std::mt19937 rng(2024);
    for (int round = 0; round < 40; ++round) {
        PictureData d;
        d.MaxX = 239;
        d.MaxY = 119;
        const unsigned density = 2 + round % 5;  // 1 in 2 .. 1 in 6 pixels set
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 240; ++x)
                d.Pic(x, y) = rng() % density == 0;
        const int cols = 10 + int(rng() % 231), rows = 5 + int(rng() % 116);
        const ViewWindow v = View(int(rng() % (241 - cols)), int(rng() % (121 - rows)), cols, rows);
        for (int k = 0; k < 3; ++k)
            ExpectFillMatchesRegion(d, v, QPoint(int(rng() % cols), int(rng() % rows)));
    }
}

}  // namespace
}  // namespace tobrin
