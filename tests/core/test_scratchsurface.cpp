#include <gtest/gtest.h>

#include <QRect>

#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/scratchsurface.h"
#include "test_view.h"

namespace tobrin {
namespace {

using Rows = std::vector<std::string>;

char ColourChar(QRgb c)
{
    switch (c) {
    case ScratchSurface::kWhite: return '.';
    case ScratchSurface::kBlack: return '#';
    case ScratchSurface::kRed: return 'R';
    case ScratchSurface::kMagenta: return 'M';
    case ScratchSurface::kCyan: return 'C';
    case ScratchSurface::kNoMark: return '?';
    default: return 'x';
    }
}

Rows Render(const ScratchSurface& h)
{
    Rows rows;
    for (int j = 0; j < h.AreaHeight(); ++j) {
        std::string s;
        for (int i = 0; i < h.AreaWidth(); ++i)
            s += ColourChar(h.Pixel(i, j));
        rows.push_back(s);
    }
    return rows;
}

// A white holder of the given size (the view at the picture's origin).
ScratchSurface WhiteHolder(int width, int height, int penWidth = 1)
{
    PictureData d;
    ScratchSurface h;
    h.LoadHolder(d, View(0, 0, width, height));
    h.SetPenWidth(penWidth);
    return h;
}

std::set<std::pair<int, int>> CellsOf(const ScratchSurface& h, QRgb colour)
{
    std::set<std::pair<int, int>> cells;
    for (int j = 0; j < h.AreaHeight(); ++j)
        for (int i = 0; i < h.AreaWidth(); ++i)
            if (h.Pixel(i, j) == colour)
                cells.insert({i, j});
    return cells;
}

QRect Bounds(const std::set<std::pair<int, int>>& cells)
{
    QRect r;
    for (auto [x, y] : cells)
        r |= QRect(x, y, 1, 1);
    return r;
}

// ---------------------------------------------------------------- loading

TEST(PictureHolderLoad, MirrorsTheViewWindowAndReadsOutsideGiveNoMark)
{
    PictureData d;
    d.MaxX = 59;
    d.MaxY = 39;
    d.Pic(10, 5) = 1;   // top-left cell of the view
    d.Pic(13, 7) = 1;
    d.Pic(9, 5) = 1;    // just left of the view
    d.Pic(10, 9) = 1;   // just below the view
    ScratchSurface h;
    h.LoadHolder(d, View(10, 5, 5, 4));
    EXPECT_EQ(Render(h), (Rows{"#....", ".....", "...#.", "....."}));
    EXPECT_EQ(h.Pixel(-1, 0), ScratchSurface::kNoMark);
    EXPECT_EQ(h.Pixel(5, 0), ScratchSurface::kNoMark);
    EXPECT_EQ(h.Pixel(0, 4), ScratchSurface::kNoMark);
    EXPECT_EQ(h.Image().format(), QImage::Format_RGB32);

    // A reload wipes every mark and follows a new view size.
    h.DrawBox(QPoint(0, 0), QPoint(4, 3));
    h.LoadHolder(d, View(9, 5, 2, 1));
    EXPECT_EQ(Render(h), (Rows{"##"}));
}

TEST(PictureHolderLoad, WholeLargestPicture)
{
    PictureData d;
    d.MaxX = 239;
    d.MaxY = 119;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x)
            d.Pic(x, y) = (x * 7 + y * 3) % 5 == 0;
    ScratchSurface h;
    h.LoadHolder(d, View(0, 0, 240, 120));
    ASSERT_EQ(h.AreaWidth(), 240);
    ASSERT_EQ(h.AreaHeight(), 120);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x)
            ASSERT_EQ(h.Pixel(x, y), d.Pic(x, y) ? ScratchSurface::kBlack : ScratchSurface::kWhite);
}

TEST(PictureHolderLoad, ViewReachingPastThePictureArrayReadsClearThere)
{
    PictureData d;
    d.PicData.fill(1);
    ScratchSurface h;
    h.LoadHolder(d, View(238, 119, 5, 3));
    EXPECT_EQ(Render(h), (Rows{"###..", "###..", "....."}));
    h.LoadHolder(d, View(-2, -1, 4, 2));
    EXPECT_EQ(Render(h), (Rows{"....", "..##"}));
    h.LoadHolder(d, View(3, 3, 0, 4));  // no columns: an empty area
    EXPECT_EQ(h.AreaWidth(), 0);
    EXPECT_EQ(h.Pixel(0, 0), ScratchSurface::kNoMark);
}

TEST(PictureHolderArea, ClearResizeAndSetPixel)
{
    ScratchSurface h = WhiteHolder(3, 2);
    h.SetPixel(1, 1, ScratchSurface::kRed);
    h.SetPixel(3, 0, ScratchSurface::kRed);   // outside: ignored
    h.SetPixel(-1, 0, ScratchSurface::kRed);  // outside: ignored
    h.ResizeArea(5, 3);
    EXPECT_EQ(Render(h), (Rows{"...??", ".R.??", "?????"}));
    h.ResizeArea(2, 2);
    EXPECT_EQ(Render(h), (Rows{"..", ".R"}));
    h.ClearArea(4, 1);
    EXPECT_EQ(Render(h), (Rows{"????"}));
}

// ---------------------------------------------------------------- shapes

TEST(PictureHolderShapes, OnePixelPenLineAndBox)
{
    ScratchSurface h = WhiteHolder(8, 7);
    h.DrawPen(QPoint(6, 1));
    // The thin line includes both of its end cells.
    h.DrawLine(QPoint(0, 6), QPoint(3, 3));
    // Box from (2,2) to (5,4): red on the border cells, magenta strictly inside.
    h.DrawBox(QPoint(5, 4), QPoint(2, 2));
    EXPECT_EQ(Render(h), (Rows{
                             "........",
                             "......R.",
                             "..RRRR..",
                             "..RMMR..",
                             "..RRRR..",
                             ".R......",
                             "R.......",
                         }));
}

TEST(PictureHolderShapes, BoxIsTheSameForEveryDragDirection)
{
    for (int w = 1; w <= 10; ++w) {
        const QPoint corners[4] = {{12, 9}, {25, 9}, {25, 20}, {12, 20}};
        Rows first;
        for (int k = 0; k < 4; ++k) {
            ScratchSurface h = WhiteHolder(40, 32, w);
            h.DrawBox(corners[k], corners[(k + 2) % 4]);
            if (k == 0)
                first = Render(h);
            else
                ASSERT_EQ(Render(h), first) << "w " << w << " corner " << k;
        }
    }
}

TEST(PictureHolderShapes, WideBoxBandLiesOverTheBorderCells)
{
    // Box (10,8)-(20,16): the band reaches w/2 cells outwards and (w-1)/2
    // inwards; everything inside the band is magenta.
    for (int w = 1; w <= 10; ++w) {
        ScratchSurface h = WhiteHolder(40, 32, w);
        h.DrawBox(QPoint(10, 8), QPoint(20, 16));
        const int out = w / 2, in = (w - 1) / 2;
        // Outer and inner edges of the band, inclusive; the band is w thick.
        const int ol = 10 - out, ot = 8 - out, orr = 20 + out, ob = 16 + out;
        const int il = 11 + in, it = 9 + in, ir = 19 - in, ib = 15 - in;
        ASSERT_EQ(il - ol, w);
        ASSERT_EQ(orr - ir, w);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 40; ++x) {
                const bool inner = x >= il && x <= ir && y >= it && y <= ib;
                const bool outer = x >= ol && x <= orr && y >= ot && y <= ob;
                const QRgb want = inner ? ScratchSurface::kMagenta
                                  : outer ? ScratchSurface::kRed : ScratchSurface::kWhite;
                ASSERT_EQ(h.Pixel(x, y), want) << "w " << w << " at " << x << "," << y;
            }
        }
    }
}

TEST(PictureHolderShapes, SelectionRectangleLeavesTheInteriorAlone)
{
    PictureData d;
    d.Pic(3, 2) = 1;
    ScratchSurface h;
    h.LoadHolder(d, View(0, 0, 7, 5));
    h.DrawSelectionRect(QPoint(5, 3), QPoint(1, 1));
    EXPECT_EQ(Render(h), (Rows{".......", ".RRRRR.", ".R.#.R.", ".RRRRR.", "......."}));

    // Wide: the same band as the box, interior untouched.
    ScratchSurface wide = WhiteHolder(30, 30, 4);
    ScratchSurface box = WhiteHolder(30, 30, 4);
    wide.DrawSelectionRect(QPoint(5, 6), QPoint(20, 24));
    box.DrawBox(QPoint(5, 6), QPoint(20, 24));
    EXPECT_EQ(CellsOf(wide, ScratchSurface::kRed), CellsOf(box, ScratchSurface::kRed));
    EXPECT_EQ(CellsOf(wide, ScratchSurface::kMagenta).size(), 0u);
    EXPECT_EQ(CellsOf(wide, ScratchSurface::kWhite).size(),
              30u * 30u - CellsOf(box, ScratchSurface::kRed).size());
}

TEST(PictureHolderShapes, PenFootprintsAreDiscsAsWideAsThePen)
{
    EXPECT_EQ(Render([] { auto h = WhiteHolder(5, 5, 2); h.DrawPen({2, 2}); return h; }()),
              (Rows{".....", ".....", "..RR.", "..RR.", "....."}));
    EXPECT_EQ(Render([] { auto h = WhiteHolder(5, 5, 3); h.DrawPen({2, 2}); return h; }()),
              (Rows{".....", ".RRR.", ".RRR.", ".RRR.", "....."}));
    EXPECT_EQ(Render([] { auto h = WhiteHolder(6, 6, 4); h.DrawPen({2, 2}); return h; }()),
              (Rows{"......", "..RR..", ".RRRR.", ".RRRR.", "..RR..", "......"}));
    EXPECT_EQ(Render([] { auto h = WhiteHolder(7, 7, 5); h.DrawPen({3, 3}); return h; }()),
              (Rows{".......", "..RRR..", ".RRRRR.", ".RRRRR.", ".RRRRR.", "..RRR..", "......."}));

    size_t previous = 0;
    for (int w = 1; w <= 10; ++w) {
        ScratchSurface h = WhiteHolder(30, 30, w);
        h.DrawPen(QPoint(15, 15));
        const auto red = CellsOf(h, ScratchSurface::kRed);
        const QRect box = Bounds(red);
        EXPECT_EQ(box.width(), w);
        EXPECT_EQ(box.height(), w);
        EXPECT_TRUE(red.count({15, 15}));
        EXPECT_GT(red.size(), previous) << "w " << w;
        previous = red.size();
        // Odd widths are centred on the stamped cell, even ones on its
        // bottom-right corner.
        EXPECT_EQ(box.left(), 15 - (w - 1) / 2);
        // Point-symmetric about the centre of the footprint and symmetric
        // under swapping x and y.
        for (auto [x, y] : red) {
            ASSERT_TRUE(red.count({box.left() + box.right() - x, box.top() + box.bottom() - y}));
            ASSERT_TRUE(red.count({box.left() + box.right() - x, y}));
            ASSERT_TRUE(red.count({x - box.left() + box.top(), y - box.top() + box.left()}));
        }
        EXPECT_EQ(CellsOf(h, ScratchSurface::kMagenta).size(), 0u);
    }
}

TEST(PictureHolderShapes, ThinLinesAreConnectedIncludeBothEndsAndIgnoreDirection)
{
    const std::vector<std::pair<QPoint, QPoint>> lines = {
        {{3, 3}, {30, 3}}, {{3, 3}, {3, 25}}, {{2, 2}, {22, 22}}, {{2, 20}, {20, 2}},
        {{1, 4}, {33, 13}}, {{5, 1}, {14, 28}}, {{30, 27}, {0, 0}}, {{7, 7}, {7, 7}}};
    for (auto [a, b] : lines) {
        ScratchSurface h = WhiteHolder(40, 30);
        h.DrawLine(a, b);
        const auto red = CellsOf(h, ScratchSurface::kRed);
        EXPECT_TRUE(red.count({a.x(), a.y()}));
        EXPECT_TRUE(red.count({b.x(), b.y()}));
        EXPECT_EQ(int(red.size()), std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())) + 1);
        // 8-connected: every cell but the ends has two red neighbours.
        int ends = 0;
        for (auto [x, y] : red) {
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    n += (dx || dy) && red.count({x + dx, y + dy});
            if (red.size() > 1 && n == 1)
                ++ends;
            ASSERT_GE(n, red.size() > 1 ? 1 : 0);
        }
        EXPECT_EQ(ends, red.size() > 1 ? 2 : 0);
        ScratchSurface back = WhiteHolder(40, 30);
        back.DrawLine(b, a);
        EXPECT_EQ(Render(back), Render(h));
    }
}

TEST(PictureHolderShapes, WideAxisLinesAreExactlyThePenWidthThick)
{
    for (int w = 1; w <= 10; ++w) {
        ScratchSurface h = WhiteHolder(60, 60, w);
        h.DrawLine(QPoint(15, 20), QPoint(45, 20));
        // Every column strictly between the ends holds a run of exactly w.
        for (int x = 15; x <= 45; ++x) {
            int count = 0;
            for (int y = 0; y < 60; ++y)
                count += h.Pixel(x, y) == ScratchSurface::kRed;
            ASSERT_EQ(count, w) << "w " << w << " x " << x;
        }
        EXPECT_EQ(h.Pixel(20, 20 - (w - 1) / 2), ScratchSurface::kRed);
        ScratchSurface v = WhiteHolder(60, 60, w);
        v.DrawLine(QPoint(30, 45), QPoint(30, 10));
        for (int y = 10; y <= 45; ++y) {
            int count = 0;
            for (int x = 0; x < 60; ++x)
                count += v.Pixel(x, y) == ScratchSurface::kRed;
            ASSERT_EQ(count, w) << "w " << w << " y " << y;
        }
        // Round caps: the ends are the pen disc, nothing reaches further.
        const QRect box = Bounds(CellsOf(h, ScratchSurface::kRed));
        EXPECT_EQ(box.left(), 15 - (w - 1) / 2);
        EXPECT_EQ(box.right(), 45 + w / 2);
    }
}

TEST(PictureHolderShapes, CircleRingAroundAMagentaInterior)
{
    ScratchSurface one = WhiteHolder(5, 5);
    one.DrawCircle(QPoint(2, 2), 1);
    EXPECT_EQ(Render(one), (Rows{".....", ".RRR.", ".RMR.", ".RRR.", "....."}));

    ScratchSurface three = WhiteHolder(9, 9);
    three.DrawCircle(QPoint(4, 4), 3);
    EXPECT_EQ(Render(three), (Rows{
                                 ".........",
                                 "...RRR...",
                                 "..RMMMR..",
                                 ".RMMMMMR.",
                                 ".RMMMMMR.",
                                 ".RMMMMMR.",
                                 "..RMMMR..",
                                 "...RRR...",
                                 ".........",
                             }));
}

TEST(PictureHolderShapes, CirclesAreSymmetricClosedAndAsThickAsThePen)
{
    for (int w = 1; w <= 10; ++w) {
        for (int r = 0; r <= 25; ++r) {
            ScratchSurface h = WhiteHolder(71, 71, w);
            const int c = 35;
            h.DrawCircle(QPoint(c, c), r);
            for (int y = 0; y < 71; ++y) {
                for (int x = 0; x < 71; ++x) {
                    const QRgb p = h.Pixel(x, y);
                    // Eightfold symmetry about the centre cell.
                    ASSERT_EQ(p, h.Pixel(2 * c - x, y));
                    ASSERT_EQ(p, h.Pixel(x, 2 * c - y));
                    ASSERT_EQ(p, h.Pixel(c + (y - c), c + (x - c)));
                    // The interior never touches the outside through an edge.
                    if (p == ScratchSurface::kMagenta) {
                        for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                            const QRgb n = h.Pixel(x + dx, y + dy);
                            ASSERT_TRUE(n == ScratchSurface::kMagenta || n == ScratchSurface::kRed)
                                << "w " << w << " r " << r;
                        }
                    }
                }
            }
            // Along the axis from the centre: interior, then exactly w red
            // cells when the ring does not swallow the centre.
            if (2 * r > w) {
                int x = c;
                while (h.Pixel(x, c) == ScratchSurface::kMagenta)
                    ++x;
                int red = 0;
                while (h.Pixel(x, c) == ScratchSurface::kRed) {
                    ++red;
                    ++x;
                }
                ASSERT_EQ(red, w) << "w " << w << " r " << r;
                ASSERT_EQ(h.Pixel(x, c), ScratchSurface::kWhite);
            }
            ASSERT_EQ(h.Pixel(c + r, c), ScratchSurface::kRed) << "the rim passes through radius r";
        }
    }
}

// Faults it catches: an ellipse of even width that leans to one side, one
// that misses an edge of its box, an outline with a gap, or a band of the
// wrong thickness.
TEST(PictureHolderShapes, EllipsesFillTheirBoxSymmetricallyWithAClosedOutline)
{
    for (int w = 1; w <= 3; ++w) {
        for (const QRect box : {QRect(2, 3, 10, 6), QRect(1, 1, 11, 7), QRect(4, 2, 1, 5), QRect(0, 0, 30, 30)}) {
            ScratchSurface h = WhiteHolder(36, 36, w);
            h.DrawEllipse(box);
            const QString at = QStringLiteral("w %1 box %2,%3 %4x%5").arg(w).arg(box.x()).arg(box.y())
                                   .arg(box.width()).arg(box.height());
            EXPECT_EQ(Bounds(CellsOf(h, ScratchSurface::kRed)), box) << at.toStdString();
            for (int y = 0; y < 36; ++y) {
                for (int x = 0; x < 36; ++x) {
                    const QRgb p = h.Pixel(x, y);
                    if (!box.contains(x, y)) {
                        ASSERT_EQ(p, ScratchSurface::kWhite) << at.toStdString();
                        continue;
                    }
                    ASSERT_EQ(p, h.Pixel(box.left() + box.right() - x, y)) << at.toStdString();
                    ASSERT_EQ(p, h.Pixel(x, box.top() + box.bottom() - y)) << at.toStdString();
                    if (p == ScratchSurface::kMagenta)  // w steps from outside at the least
                        for (int d = 1; d <= w; ++d)
                            for (auto [dx, dy] : {std::pair{d, 0}, {-d, 0}, {0, d}, {0, -d}})
                                ASSERT_NE(h.Pixel(x + dx, y + dy), ScratchSurface::kWhite) << at.toStdString();
                }
            }
        }
    }
}

// Mirror drawing: the marks and their images, and nothing more when it is
// done again (the pen's stamps are mirrored at every step of a stroke).
TEST(PictureHolderShapes, MirroredMarksAreTheMarksAndTheirImages)
{
    ScratchSurface h = WhiteHolder(10, 4);
    h.SetPixel(1, 0, ScratchSurface::kRed);
    h.SetPixel(2, 3, ScratchSurface::kMagenta);
    h.MirrorMarks(Mirror::Both, QRect(0, 0, 10, 4));
    const Rows both = {".RM....MR.", "..........", "..........", ".RM....MR."};
    EXPECT_EQ(Render(h), both);
    h.MirrorMarks(Mirror::Both, QRect(0, 0, 10, 4));
    EXPECT_EQ(Render(h), both);
    ScratchSurface v = WhiteHolder(6, 1);
    v.SetPixel(0, 0, ScratchSurface::kCyan);
    v.MirrorMarks(Mirror::Vertical, QRect(0, 0, 3, 1));  // about a selection's centre
    EXPECT_EQ(Render(v), Rows{"C.C..."});
}

TEST(PictureHolderShapes, MarksOutsideTheAreaAreClipped)
{
    ScratchSurface h = WhiteHolder(6, 5);
    h.DrawBox(QPoint(-3, -3), QPoint(2, 2));
    EXPECT_EQ(Render(h), (Rows{"MMR...", "MMR...", "RRR...", "......", "......"}));

    ScratchSurface c = WhiteHolder(6, 5, 3);
    c.DrawCircle(QPoint(7, 2), 30);
    c.DrawLine(QPoint(-50, -40), QPoint(100, 90));
    c.DrawPen(QPoint(-1, 6));
    c.DrawSelectionRect(QPoint(-10, -10), QPoint(200, 200));
    c.DrawCircle(QPoint(1 << 30, -(1 << 30)), 1 << 30);  // far off and huge: nothing, quickly
    for (const std::string& row : Render(c))
        EXPECT_EQ(row.find_first_not_of(".RM"), std::string::npos) << row;
    EXPECT_EQ(c.AreaWidth(), 6);
    EXPECT_EQ(c.AreaHeight(), 5);
}

TEST(PictureHolderShapes, OnlyMarkerColoursEverAppear)
{
    std::mt19937 rng(12345);
    auto coord = [&](int n) { return std::uniform_int_distribution<int>(-8, n + 8)(rng); };
    for (int w = 1; w <= 10; ++w) {
        PictureData d;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x)
                d.Pic(x, y) = (rng() % 3) == 0;
        ScratchSurface h;
        h.LoadHolder(d, View(0, 0, 80, 60));
        h.SetPenWidth(w);
        for (int k = 0; k < 60; ++k) {
            const QPoint a(coord(80), coord(60)), b(coord(80), coord(60));
            switch (k % 5) {
            case 0: h.DrawPen(b); break;
            case 1: h.DrawLine(a, b); break;
            case 2: h.DrawBox(a, b); break;
            case 3: h.DrawCircle(a, std::abs(b.x() - a.x()) % 40); break;
            case 4: h.DrawSelectionRect(a, b); break;
            }
        }
        h.FloodFill(QPoint(40, 30), ScratchSurface::kBlack);
        for (const std::string& row : Render(h))
            ASSERT_EQ(row.find_first_not_of(".#RM"), std::string::npos) << "w " << w << ": " << row;
    }
}

TEST(PictureHolderShapes, PenWidthIsKeptInRange)
{
    ScratchSurface h;
    EXPECT_EQ(h.PenWidth(), 1);
    h.SetPenWidth(0);
    EXPECT_EQ(h.PenWidth(), 1);
    h.SetPenWidth(11);
    EXPECT_EQ(h.PenWidth(), 10);
    h.SetPenWidth(7);
    EXPECT_EQ(h.PenWidth(), 7);
}

}  // namespace
}  // namespace tobrin
