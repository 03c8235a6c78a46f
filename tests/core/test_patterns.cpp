#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/patterns.h"

namespace tobrin {
namespace {

constexpr LineStyle kSolid = LineStyle::Solid, kEmpty = LineStyle::Empty, kDotted = LineStyle::Dotted,
                    kDashed = LineStyle::Dashed, kDotDash = LineStyle::DotDash;
constexpr FillStyle kFillSolid = FillStyle::Solid, kTransparent = FillStyle::Transparent,
                    kHorizontal = FillStyle::Horizontal, kVertical = FillStyle::Vertical, kCross = FillStyle::Cross,
                    kDiagonalLeft = FillStyle::DiagonalLeft, kDiagonalRight = FillStyle::DiagonalRight,
                    kCrossDiagonal = FillStyle::CrossDiagonal;

// Line ink as a function of t alone: with startX = 0 and y = 0, t = x.
int LineInkAt(LineStyle style, int d, int t) { return LineStylePattern(style, d, 0, t, 0); }

// The inks for t = first .. first + length - 1, as a string of 0/1.
std::string LineRun(LineStyle style, int d, int first, int length)
{
    std::string s;
    for (int t = first; t < first + length; ++t)
        s += LineInkAt(style, d, t) ? '1' : '0';
    return s;
}

TEST(LineStylePattern, RunsOfEachStyleAcrossDensitiesAndNegativeOffsets)
{
    struct Case {
        LineStyle style; int d, first;
        const char* inks;
    };
    const std::vector<Case> cases = {
        {kSolid, 3, -5, "1111111111"},
        {kEmpty, 3, -5, "0000000000"},
        // Dotted: ink where t is a multiple of d, 0 and negatives included.
        {kDotted, 3, 0, "1001001001"},
        {kDotted, 3, -6, "1001001"},
        {kDotted, 2, -4, "10101010"},
        {kDotted, 10, -10, "100000000010000000001"},
        // Dashed: d ones, d zeros; t = -1..-d belong to the zero run.
        {kDashed, 3, 0, "111000111000"},
        {kDashed, 3, -6, "111000111"},
        {kDashed, 2, -4, "11001100"},
        {kDashed, 10, -10, "000000000011111111110000000000"},
        // Dot - Dash, period 3d + 1: dot at m = 1, dash at d + 2 .. 2d + 1.
        {kDotDash, 3, 0, "01000111000100011100"},
        {kDotDash, 3, -10, "0100011100"},
        {kDotDash, 2, 0, "01001100100110"},
        {kDotDash, 2, -7, "0100110"},
        {kDotDash, 10, 0, "0100000000001111111111000000000"},
        {kDotDash, 10, -31, "0100000000001111111111000000000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LineRun(c.style, c.d, c.first, int(std::string(c.inks).size())), c.inks)
            << "style " << int(c.style) << " d " << c.d << " from t = " << c.first;
}

TEST(LineStylePattern, PhaseIsTheColumnFromThePressMinusTheAbsoluteRow)
{
    // Dotted, d = 3, press column 7. On row 0 the press cell itself is a dot;
    // on row 1 the first dot to the right of it is at 8; on row 5 at 9.
    const int x0 = 7;
    EXPECT_EQ(LineStylePattern(kDotted, 3, x0, 7, 0), 1);
    EXPECT_EQ(LineStylePattern(kDotted, 3, x0, 10, 0), 1);
    EXPECT_EQ(LineStylePattern(kDotted, 3, x0, 7, 1), 0);
    EXPECT_EQ(LineStylePattern(kDotted, 3, x0, 8, 1), 1);
    EXPECT_EQ(LineStylePattern(kDotted, 3, x0, 9, 5), 1);
    EXPECT_EQ(LineStylePattern(kDotted, 3, x0, 8, 5), 0);
    // Columns left of the press cell continue the same pattern.
    EXPECT_EQ(LineStylePattern(kDotted, 3, x0, 4, 0), 1);
    EXPECT_EQ(LineStylePattern(kDashed, 3, x0, 6, 0), 0);  // t = -1
    EXPECT_EQ(LineStylePattern(kDashed, 3, x0, 3, 0), 1);  // t = -4
}

TEST(LineStylePattern, DownRightDiagonalStrokeHasOneInkAndVerticalStrokeRepeatsInY)
{
    for (LineStyle style : {kDotted, kDashed, kDotDash}) {
        for (int d : {2, 3, 10}) {
            for (int k = 0; k < 40; ++k)
                ASSERT_EQ(LineStylePattern(style, d, 5, 12 + k, 3 + k),
                          LineStylePattern(style, d, 5, 12, 3))
                    << int(style) << " " << d << " " << k;
            const int period = style == kDotDash ? 3 * d + 1 : (style == kDashed ? 2 * d : d);
            for (int y = -20; y < 40; ++y)
                ASSERT_EQ(LineStylePattern(style, d, 5, 9, y), LineStylePattern(style, d, 5, 9, y + period));
        }
    }
}

TEST(LineStylePattern, DensityBelowOneDoesNotDivideByZero)
{
    EXPECT_EQ(LineStylePattern(kDotted, 0, 0, 5, 3), 1);
    EXPECT_EQ(LineStylePattern(kDashed, 0, 0, -5, 3), LineStylePattern(kDashed, 1, 0, -5, 3));
    EXPECT_EQ(FillPattern(kCross, 0, 0, 0, 5, 3), 1);
}

// Fill ink over a block of rows as strings, x from x1 to x2, y from y1 to y2.
std::vector<std::string> FillBlock(FillStyle style, int d, int x0, int y0, int x1, int y1, int x2, int y2)
{
    std::vector<std::string> rows;
    for (int y = y1; y <= y2; ++y) {
        std::string s;
        for (int x = x1; x <= x2; ++x)
            s += FillPattern(style, d, x0, y0, x, y) ? '#' : '.';
        rows.push_back(s);
    }
    return rows;
}

TEST(FillPattern, BlocksAroundThePressCellWithDensityThree)
{
    // Press cell (4, 2); block x 0..8, y -1..5 (press cell is column 4, row 3
    // of each picture below).
    using Rows = std::vector<std::string>;
    struct Case {
        FillStyle style;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {kFillSolid, Rows(7, "#########")},
        {kTransparent, Rows(7, ".........")},
        {kHorizontal, {"#########", ".........", ".........", "#########",
                       ".........", ".........", "#########"}},
        {kVertical, Rows(7, ".#..#..#.")},
        {kCross, {"#########", ".#..#..#.", ".#..#..#.", "#########",
                  ".#..#..#.", ".#..#..#.", "#########"}},
        // x + (y - 2) multiple of 3: row y = 2 has ink at x = 0, 3, 6; the
        // lines run down to the left.
        {kDiagonalLeft, {"#..#..#..", "..#..#..#", ".#..#..#.", "#..#..#..",
                         "..#..#..#", ".#..#..#.", "#..#..#.."}},
        // (x - 4) - y multiple of 3: row y = 0 has ink at x = 1, 4, 7.
        {kDiagonalRight, {"#..#..#..", ".#..#..#.", "..#..#..#", "#..#..#..",
                          ".#..#..#.", "..#..#..#", "#..#..#.."}},
        {kCrossDiagonal, {"#..#..#..", ".##.##.##", ".##.##.##", "#..#..#..",
                          ".##.##.##", ".##.##.##", "#..#..#.."}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillBlock(c.style, 3, 4, 2, 0, -1, 8, 5), c.rows) << "style " << int(c.style);
}

TEST(FillPattern, LinesPassThroughThePressRowAndColumnAtEveryDensity)
{
    for (int d : {2, 3, 10}) {
        for (int x0 : {-7, 0, 5, 13}) {
            for (int y0 : {-4, 0, 9}) {
                for (int k = -3 * d; k <= 3 * d; ++k) {
                    const bool onGrid = k % d == 0;
                    // Horizontal: whole rows y0 + k*d, whatever the column.
                    ASSERT_EQ(FillPattern(kHorizontal, d, x0, y0, x0 + 11, y0 + k), onGrid ? 1 : 0);
                    ASSERT_EQ(FillPattern(kVertical, d, x0, y0, x0 + k, y0 - 17), onGrid ? 1 : 0);
                    ASSERT_EQ(FillPattern(kCross, d, x0, y0, x0 + k, y0 + k), onGrid ? 1 : 0);
                    ASSERT_EQ(FillPattern(kCross, d, x0, y0, x0, y0 + k), 1);
                }
            }
        }
    }
}

TEST(FillPattern, DiagonalsAreAnchoredOnOneCoordinateOfThePressOnly)
{
    // "Diagonal left" ignores the press column, "Diagonal right" the press row.
    for (int d : {2, 3, 10}) {
        for (int x = -12; x <= 12; ++x) {
            for (int y = -12; y <= 12; ++y) {
                ASSERT_EQ(FillPattern(kDiagonalLeft, d, 0, 3, x, y),
                          FillPattern(kDiagonalLeft, d, 7, 3, x, y));
                ASSERT_EQ(FillPattern(kDiagonalRight, d, 2, 0, x, y),
                          FillPattern(kDiagonalRight, d, 2, 5, x, y));
                ASSERT_EQ(FillPattern(kCrossDiagonal, d, 2, 3, x, y),
                          FillPattern(kDiagonalLeft, d, 2, 3, x, y) | FillPattern(kDiagonalRight, d, 2, 3, x, y));
            }
        }
    }
    // So the press cell itself is not always on the hatching.
    EXPECT_EQ(FillPattern(kDiagonalLeft, 3, 4, 2, 4, 2), 0);
    EXPECT_EQ(FillPattern(kDiagonalRight, 3, 4, 2, 4, 2), 0);
    EXPECT_EQ(FillPattern(kDiagonalLeft, 3, 4, 2, 3, 2), 1);
    EXPECT_EQ(FillPattern(kDiagonalRight, 3, 4, 2, 4, 0), 1);
    // Negative positions: x + (y - y0) = -4 + (0 - 2) = -6, a multiple of 2, 3.
    EXPECT_EQ(FillPattern(kDiagonalLeft, 3, 0, 2, -4, 0), 1);
    EXPECT_EQ(FillPattern(kDiagonalLeft, 2, 0, 2, -4, 0), 1);
    EXPECT_EQ(FillPattern(kDiagonalLeft, 10, 0, 2, -4, 0), 0);
    EXPECT_EQ(FillPattern(kDiagonalRight, 10, 3, 0, -2, 5), 1);  // (-2 - 3) - 5 = -10
}

}  // namespace
}  // namespace tobrin
