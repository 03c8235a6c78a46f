#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/picturedata.h"
#include "core/hexwriter.h"

namespace tobrin {
namespace {

PictureData Sized(int w, int h)
{
    PictureData d;
    d.MaxX = w - 1;
    d.MaxY = h - 1;
    return d;
}

TEST(HexWriter, WorkedExampleTwelveByThree)
{
    PictureData d = Sized(12, 3);
    d.Pic(0, 0) = 1;
    d.Pic(11, 0) = 1;
    for (int x = 0; x < 12; ++x)
        d.Pic(x, 2) = 1;
    EXPECT_EQ(HexText(d),
              ".db  12, 3\r\n"
              ".db $80,$10\r\n"
              ".db $0,$0\r\n"
              ".db $ff,$f0\r\n");
}

TEST(HexWriter, DefaultEmptyPicture)
{
    PictureData d;
    std::string expected = ".db  40, 32\r\n";
    for (int y = 0; y < 32; ++y)
        expected += ".db $0,$0,$0,$0,$0\r\n";
    EXPECT_EQ(HexText(d), expected);
}

TEST(HexWriter, ByteCountAndBitPositionsPerWidth)
{
    struct Case {
        int width;
        int setColumn;  // -1: whole row set
        const char* row;
    };
    const Case cases[] = {
        {8, -1, ".db $ff"},             // one byte, no comma
        {8, 7, ".db $1"},
        {9, 8, ".db $0,$80"},           // column 8 is the top bit of byte 1
        {9, -1, ".db $ff,$80"},
        {4, 3, ".db $10"},
        {16, 12, ".db $0,$8"},
        {17, 16, ".db $0,$0,$80"},
        {240, 239, ".db $0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$1"},
        {240, 232, ".db $0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        PictureData d = Sized(c.width, 4);
        if (c.setColumn < 0) {
            for (int x = 0; x < c.width; ++x)
                d.Pic(x, 1) = 1;
        } else {
            d.Pic(c.setColumn, 1) = 1;
        }
        HexRowArray rows;
        BuildHexRows(d, rows);
        EXPECT_EQ(rows[1], c.row);
    }
}

TEST(HexWriter, HexDigitsAreLowerCaseWithoutLeadingZeros)
{
    PictureData d = Sized(8, 4);
    const int values[] = {0x00, 0x07, 0x3c, 0xff};
    for (int y = 0; y < 4; ++y)
        for (int b = 0; b < 8; ++b)
            d.Pic(b, y) = (values[y] >> (7 - b)) & 1;
    EXPECT_EQ(HexText(d), ".db  8, 4\r\n.db $0\r\n.db $7\r\n.db $3c\r\n.db $ff\r\n");
}

TEST(HexWriter, LeftoverPixelsRightOfANarrowedPictureShowInThePadding)
{
    // Widened to 16 with columns 12..15 drawn, then narrowed to 12.
    PictureData d = Sized(16, 4);
    for (int x = 12; x < 16; ++x)
        d.Pic(x, 0) = 1;
    d.Pic(13, 3) = 1;
    d.Pic(16, 0) = 1;  // beyond the last byte: never written
    d.MaxX = 11;
    EXPECT_EQ(HexText(d), ".db  12, 4\r\n.db $0,$f\r\n.db $0,$0\r\n.db $0,$0\r\n.db $0,$4\r\n");
}

TEST(HexWriter, LargestPicture)
{
    PictureData d = Sized(240, 120);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x)
            d.Pic(x, y) = 1;
    d.Pic(240, 5) = 1;  // the spare column is not part of any byte
    const std::string text = HexText(d);
    std::string row = ".db $ff";
    for (int k = 1; k < 30; ++k)
        row += ",$ff";
    std::string expected = ".db  240, 120\r\n";
    for (int y = 0; y < 120; ++y)
        expected += row + "\r\n";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(row.size(), 123u);  // the widest row line, one piece however wide
}

TEST(HexWriter, OnlyRowsUpToMaxYAreRewritten)
{
    PictureData d = Sized(8, 4);
    HexRowArray rows;
    for (auto& r : rows)
        r = "stale";
    BuildHexRows(d, rows);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(rows[std::size_t(y)], ".db $0");
    for (std::size_t y = 4; y < rows.size(); ++y)
        EXPECT_EQ(rows[y], "stale");
    // Assembling ignores the stale entries too.
    EXPECT_EQ(AssembleHexText(d, rows), ".db  8, 4\r\n.db $0\r\n.db $0\r\n.db $0\r\n.db $0\r\n");
}

TEST(HexWriter, RebuildingReplacesTheOldRowText)
{
    PictureData d = Sized(240, 4);
    HexRowArray rows;
    for (int x = 0; x < 240; ++x)
        d.Pic(x, 0) = 1;
    BuildHexRows(d, rows);
    d.MaxX = 7;
    BuildHexRows(d, rows);
    EXPECT_EQ(rows[0], ".db $ff");
}

}  // namespace
}  // namespace tobrin
