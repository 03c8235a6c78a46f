#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "core/dither.h"
#include "core/importpipeline.h"

namespace tobrin {
namespace {

GreyPlane Plane(int w, int h, const std::vector<int>& levels)
{
    GreyPlane g;
    g.width = w;
    g.height = h;
    for (int v : levels)
        g.levels.push_back(std::uint8_t(v));
    return g;
}

GreyPlane Uniform(int w, int h, int level) { return Plane(w, h, std::vector<int>(std::size_t(w * h), level)); }

// Rows of "#" (black) and "." (white).
std::vector<std::string> Rows(const std::vector<std::uint8_t>& black, int w)
{
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < black.size(); i += std::size_t(w)) {
        std::string row;
        for (int x = 0; x < w; ++x)
            row += black[i + std::size_t(x)] ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// The 4 x 4 ramp 0, 17, ..., 255 (row after row) at threshold 128.
//
// Floyd-Steinberg by hand, row 0 left to right: 0 black (e 0); 17 black,
// e 17 -> 7 right, 3 / 5 / 2 below; 34 + 7 = 41 black, e 41 -> 17 right,
// 7 / 12 / 5 below; 51 + 17 = 68 black, its 29 to the right is dropped.
// Row 1 carries 3, 12, 26, 26 and runs right to left: 119 + 26 = 145 white
// (e -110 -> -48 left); 102 + 26 - 48 = 80 black (e 80 -> 35 left);
// 85 + 12 + 35 = 132 white (e -123 -> -53 left); 68 + 3 - 53 = 18 black.
// Ordered, T 128: R 127; cell offsets d * 127 / 16 with d = 2m + 1 - 16.
TEST(Dither, RampByHand)
{
    std::vector<int> ramp;
    for (int i = 0; i < 16; ++i)
        ramp.push_back(17 * i);
    const GreyPlane g = Plane(4, 4, ramp);
    const struct {
        Dither dither;
        std::vector<std::string> rows;
    } cases[] = {
        {Dither::None, {"####", "####", "....", "...."}},
        {Dither::FloydSteinberg, {"####", "#.#.", ".#..", "...."}},
        {Dither::Atkinson, {"####", "##.#", "....", "...."}},
        {Dither::Bayer4, {"####", "#.#.", ".#..", "#..."}},
        {Dither::Bayer8, {"####", "#.#.", ".#..", "#..."}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rows(DitherLevels(g, c.dither, 128), 4), c.rows) << DitherName(c.dither);
}

TEST(Dither, ExtremesStayAndTheThresholdGreyIsHalfBlack)
{
    for (const int t : {1, 100, 128, 155, 254, 255}) {
        for (const Dither d : {Dither::FloydSteinberg, Dither::Atkinson, Dither::Bayer4, Dither::Bayer8}) {
            SCOPED_TRACE(std::string(DitherName(d)) + " T " + std::to_string(t));
            const auto black = DitherLevels(Uniform(16, 16, 0), d, t);
            EXPECT_EQ(std::count(black.begin(), black.end(), 1), 256);
            if (t < 255) {
                const auto white = DitherLevels(Uniform(16, 16, 255), d, t);
                EXPECT_EQ(std::count(white.begin(), white.end(), 1), 0);
            }
            if (d == Dither::Bayer4 || d == Dither::Bayer8) {
                const auto half = DitherLevels(Uniform(16, 16, t), d, t);
                EXPECT_EQ(std::count(half.begin(), half.end(), 1), 128);
            }
        }
    }
    // Floyd-Steinberg keeps the mean: a quarter grey comes out a quarter
    // white (the dropped edge shares cost a little); Atkinson drops a quarter
    // of each error by design and comes out lighter in the darks.
    const auto whites = [](Dither d) {
        const auto black = DitherLevels(Uniform(64, 64, 64), d, 128);
        return double(4096 - std::count(black.begin(), black.end(), 1)) / 4096.0;
    };
    EXPECT_NEAR(whites(Dither::FloydSteinberg), 0.25, 0.02);
    EXPECT_GT(whites(Dither::Atkinson), 0.1);
    EXPECT_LT(whites(Dither::Atkinson), 0.25);
}

TEST(Dither, AreaAverageWeighsSharedAreas)
{
    // 3 -> 2: (0 * 2 + 90) / 3 = 30 and (90 + 180 * 2) / 3 = 150.
    EXPECT_EQ(AreaAverage(Plane(3, 1, {0, 90, 180}), 2, 1).levels, (std::vector<std::uint8_t>{30, 150}));
    // 2 x 2 -> 1 x 1 rounds half up: (0 + 0 + 1 + 0) / 4 = 0.25 -> 0; 2 / 4 -> 1.
    EXPECT_EQ(AreaAverage(Plane(2, 2, {0, 0, 1, 0}), 1, 1).levels[0], 0);
    EXPECT_EQ(AreaAverage(Plane(2, 2, {0, 1, 1, 0}), 1, 1).levels[0], 1);
    // Enlarging repeats; same size is the identity.
    EXPECT_EQ(AreaAverage(Plane(2, 1, {10, 200}), 4, 2).levels,
              (std::vector<std::uint8_t>{10, 10, 200, 200, 10, 10, 200, 200}));
    const GreyPlane odd = Plane(3, 2, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(AreaAverage(odd, 3, 2).levels, odd.levels);
}

// The pipeline: a dithered run draws the averaged, dithered grey of the
// chosen components into Dest, Invert swaps it, None stays the default.
TEST(Dither, PipelineDithersTheChosenComponents)
{
    QImage source(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            source.setPixel(x, y, qRgb(x * 6, 255 - y * 12, 0));
    ImportPipeline p;
    EXPECT_EQ(p.DitherMode(), Dither::None);
    p.SetMatchSize(false);
    p.SetHSize(20);
    p.SetVSize(10);
    p.SetRed(true);
    p.SetGreen(false);
    p.SetBlue(false);
    p.SetDither(Dither::FloydSteinberg);
    ASSERT_TRUE(p.Paste(source));
    ASSERT_EQ(p.Dest().size(), QSize(20, 10));
    GreyPlane red;
    red.width = 40;
    red.height = 20;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            red.levels.push_back(std::uint8_t(x * 6));
    const auto expected = DitherLevels(AreaAverage(red, 20, 10), Dither::FloydSteinberg, p.Tolerance());
    const QImage plain = p.Dest();
    p.SetInvert(true);
    p.ConvertImage();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool black = expected[std::size_t(y * 20 + x)] != 0;
            ASSERT_EQ(plain.pixel(x, y), black ? 0xFF000000u : 0xFFFFFFFFu) << x << "," << y;
            ASSERT_EQ(p.Dest().pixel(x, y), black ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
        }
}

}  // namespace
}  // namespace tobrin
