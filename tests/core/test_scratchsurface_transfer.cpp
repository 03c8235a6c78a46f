#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/scratchsurface.h"
#include "core/plotdecision.h"
#include "test_view.h"

namespace tobrin {
namespace {

struct Plot {
    int x, y, ink;
    bool operator==(const Plot& o) const { return x == o.x && y == o.y && ink == o.ink; }
};
std::ostream& operator<<(std::ostream& os, const Plot& p)
{
    return os << "(" << p.x << "," << p.y << " ink " << p.ink << ")";
}

std::vector<Plot> Transfer(const ScratchSurface& h, const ViewWindow& v, const TransferSettings& s)
{
    std::vector<Plot> plots;
    TransferMarks(h, v, s, [&](int x, int y, int ink) { plots.push_back({x, y, ink}); });
    return plots;
}

// A holder over the view whose pixels are all the given colour.
ScratchSurface Filled(const ViewWindow& v, QRgb colour)
{
    ScratchSurface h;
    h.LoadHolder(PictureData{}, v);
    for (int j = 0; j < h.AreaHeight(); ++j)
        for (int i = 0; i < h.AreaWidth(); ++i)
            h.SetPixel(i, j, colour);
    return h;
}

TEST(TransferMarks, WalksColumnsOuterRowsInnerInPictureCoordinates)
{
    const ViewWindow v = View(5, 7, 2, 3);
    const ScratchSurface h = Filled(v, ScratchSurface::kRed);
    TransferSettings s;
    s.SolidStroke = true;
    EXPECT_EQ(Transfer(h, v, s), (std::vector<Plot>{{5, 7, 1}, {5, 8, 1}, {5, 9, 1},
                                                    {6, 7, 1}, {6, 8, 1}, {6, 9, 1}}));
}

TEST(TransferMarks, RedIsSolidForSelectionAndPenAndLineStyledOtherwise)
{
    // One row of red at picture row 4, view starting at column 10.
    const ViewWindow v = View(10, 4, 8, 1);
    const ScratchSurface h = Filled(v, ScratchSurface::kRed);
    TransferSettings s;
    s.LineStyleIndex = LineStyle(2);  // Empty
    s.StartX = 12;
    s.SolidStroke = true;
    for (const Plot& p : Transfer(h, v, s))
        EXPECT_EQ(p.ink, 1);
    // Every other tool: the line style decides, and 0 inks are passed on too.
    {
        s.SolidStroke = false;
        s.LineStyleIndex = LineStyle::Empty;
        const auto empty = Transfer(h, v, s);
        ASSERT_EQ(empty.size(), 8u);
        for (const Plot& p : empty)
            EXPECT_EQ(p.ink, 0);
        // Dotted, d = 3, anchor column 12, row 4: t = x - 16, dots at x = 10, 13, 16.
        s.LineStyleIndex = LineStyle::Dotted;
        s.PatternDensity = 3;
        std::vector<int> inks;
        for (const Plot& p : Transfer(h, v, s))
            inks.push_back(p.ink);
        EXPECT_EQ(inks, (std::vector<int>{1, 0, 0, 1, 0, 0, 1, 0}));
    }
}

TEST(TransferMarks, MagentaTakesTheFillInkAndDropsZerosWhileWhiteIsTransparent)
{
    const ViewWindow v = View(0, 0, 1, 6);
    const ScratchSurface h = Filled(v, ScratchSurface::kMagenta);
    TransferSettings s;
    s.SolidStroke = false;
    s.LineStyleIndex = LineStyle(2);  // the line style has no say over the interior
    s.FillStyleIndex = FillStyle(3);  // Horizontal
    s.PatternDensity = 2;
    s.StartY = 1;
    s.WhiteTransparent = true;
    EXPECT_EQ(Transfer(h, v, s), (std::vector<Plot>{{0, 1, 1}, {0, 3, 1}, {0, 5, 1}}));
    s.WhiteTransparent = 0;
    EXPECT_EQ(Transfer(h, v, s), (std::vector<Plot>{{0, 0, 0}, {0, 1, 1}, {0, 2, 0},
                                                    {0, 3, 1}, {0, 4, 0}, {0, 5, 1}}));
    s.FillStyleIndex = FillStyle(2);  // Transparent
    s.WhiteTransparent = true;
    EXPECT_TRUE(Transfer(h, v, s).empty());
    s.FillStyleIndex = FillStyle(1);  // Solid
    EXPECT_EQ(Transfer(h, v, s).size(), 6u);
}

TEST(TransferMarks, CyanIsInkZeroOnlyWhileWhiteIsNotTransparent)
{
    const ViewWindow v = View(3, 2, 2, 1);
    const ScratchSurface h = Filled(v, ScratchSurface::kCyan);
    TransferSettings s;
    s.SolidStroke = false;
    s.LineStyleIndex = LineStyle(1);
    s.WhiteTransparent = true;
    EXPECT_TRUE(Transfer(h, v, s).empty());
    s.WhiteTransparent = 0;
    EXPECT_EQ(Transfer(h, v, s), (std::vector<Plot>{{3, 2, 0}, {4, 2, 0}}));
}

TEST(TransferMarks, EverythingElseCarriesNoMark)
{
    const ViewWindow v = View(0, 0, 8, 1);
    ScratchSurface h;
    h.LoadHolder(PictureData{}, v);
    const QRgb others[] = {ScratchSurface::kBlack, ScratchSurface::kWhite, ScratchSurface::kNoMark,
                           0xFFFE0000u, 0xFFFF0001u, 0xFFFF00FEu, 0xFF00FFFEu, 0xFF0000FFu};
    for (int i = 0; i < 8; ++i)
        h.SetPixel(i, 0, others[i]);
    TransferSettings s;
    s.WhiteTransparent = 0;
    s.FillStyleIndex = FillStyle(1);
    for (bool solid : {true, false}) {
        s.SolidStroke = solid;
        EXPECT_TRUE(Transfer(h, v, s).empty());
    }
}

TEST(TransferMarks, ViewCellsBeyondTheScratchAreaAreSkipped)
{
    // A holder smaller than the view (and one that is empty): only the cells
    // it covers can be marked, and nothing is read outside it.
    ScratchSurface h;
    h.ClearArea(2, 2);
    h.SetPixel(1, 1, ScratchSurface::kRed);
    TransferSettings s;
    EXPECT_EQ(Transfer(h, View(10, 20, 40, 30), s), (std::vector<Plot>{{11, 21, 1}}));
    ScratchSurface empty;
    empty.ClearArea(0, 0);
    EXPECT_TRUE(Transfer(empty, View(0, 0, 40, 32), s).empty());
}

// The whole chain with the plot decision: shapes through the transfer into
// a picture, the way the drawing window commits them.
struct Canvas {
    PictureData d;
    ViewWindow v = View(0, 0, 20, 12);
    ScratchSurface h;
    TransferSettings s;
    PaintStyle paintStyle = PaintStyle::Black;

    Canvas() { h.LoadHolder(d, v); }
    void Commit()
    {
        TransferMarks(h, v, s, [&](int x, int y, int ink) {
            const PlotDecision p = DecidePlot(paintStyle, ink, d.Pic(x, y), s.WhiteTransparent);
            if (p.draw)
                d.Pic(x, y) = static_cast<std::uint8_t>(p.PlotValue);
        });
        h.LoadHolder(d, v);
    }
    int SetCount() const
    {
        int n = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x)
                n += d.Pic(x, y);
        return n;
    }
};

TEST(TransferMarks, EmptyLineChangesNothingWhileWhiteIsTransparentAndClearsOtherwise)
{
    Canvas c;
    for (int x = 0; x < 20; ++x)
        c.d.Pic(x, 5) = 1;
    c.h.LoadHolder(c.d, c.v);
    c.s.SolidStroke = false;
    c.s.LineStyleIndex = LineStyle(2);
    c.s.WhiteTransparent = true;
    c.h.DrawLine(QPoint(2, 5), QPoint(9, 5));
    c.Commit();
    EXPECT_EQ(c.SetCount(), 20);
    c.s.WhiteTransparent = 0;
    c.h.DrawLine(QPoint(2, 5), QPoint(9, 5));
    c.Commit();
    EXPECT_EQ(c.SetCount(), 12);
    EXPECT_EQ(c.d.Pic(1, 5), 1);
    EXPECT_EQ(c.d.Pic(2, 5), 0);
    EXPECT_EQ(c.d.Pic(9, 5), 0);
}

TEST(TransferMarks, TransparentBoxInteriorFollowsThePaintStyleWhenWhiteIsOpaque)
{
    for (PaintStyle style : {PaintStyle::Black, PaintStyle::White}) {
        Canvas c;
        c.paintStyle = style;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x)
                c.d.Pic(x, y) = (x + y) % 2;
        c.h.LoadHolder(c.d, c.v);
        c.s.SolidStroke = false;
        c.s.FillStyleIndex = FillStyle(2);
        c.s.WhiteTransparent = 0;
        c.h.DrawBox(QPoint(3, 2), QPoint(10, 8));
        c.Commit();
        for (int y = 3; y <= 7; ++y)
            for (int x = 4; x <= 9; ++x)
                ASSERT_EQ(c.d.Pic(x, y), style == PaintStyle::Black ? 0 : 1);
        EXPECT_EQ(c.d.Pic(3, 2), style == PaintStyle::Black ? 1 : 0);  // outline, ink 1
        EXPECT_EQ(c.d.Pic(11, 2), (11 + 2) % 2);                 // outside untouched
    }
}

TEST(TransferMarks, SecondCommitWithoutANewShapeChangesNothing)
{
    for (PaintStyle style : {PaintStyle::Black, PaintStyle::White, PaintStyle::Reverse}) {
        for (int wt : {0, 1}) {
            Canvas c;
            c.paintStyle = style;
            c.s.WhiteTransparent = wt;
            c.s.SolidStroke = false;
            c.s.FillStyleIndex = FillStyle(5);
            c.s.LineStyleIndex = LineStyle(4);
            c.h.DrawCircle(QPoint(9, 6), 4);
            c.Commit();
            const auto after = c.d.PicData;
            c.Commit();
            EXPECT_EQ(c.d.PicData, after) << "style " << int(style) << " wt " << wt;
        }
    }
}

}  // namespace
}  // namespace tobrin
