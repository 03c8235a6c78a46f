#include <gtest/gtest.h>

#include <QImage>

#include "core/monochrome.h"

namespace tobrin {
namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

std::uint32_t Value(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8)
        | (static_cast<std::uint32_t>(b) << 16);
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(127.5), 128);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(20.39), 20);
    EXPECT_EQ(RoundHalfEven(20.6), 21);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
}

struct GreyCase {
    int r, g, b;
    Components use;
    int level;
};

TEST(GreyLevel, AveragesTheChosenComponentsWithTiesToEven)
{
    const GreyCase cases[] = {
        // Pure red under each choice.
        {255, 0, 0, {true, false, false}, 255},
        {255, 0, 0, {true, true, true}, 85},
        {255, 0, 0, {true, true, false}, 128},  // 127.5
        {255, 0, 0, {false, true, true}, 0},
        {255, 0, 0, {true, false, true}, 128},
        {255, 0, 0, {false, false, true}, 0},
        // Two components tie only on odd sums.
        {0, 255, 0, {false, true, true}, 128},
        {1, 2, 0, {true, true, false}, 2},  // 1.5
        {2, 3, 0, {true, true, false}, 2},  // 2.5
        {3, 4, 0, {true, true, false}, 4},  // 3.5
        {0, 0, 1, {false, true, true}, 0},  // 0.5
        // Three components never tie: thirds round to nearest.
        {1, 0, 0, {true, true, true}, 0},
        {2, 0, 0, {true, true, true}, 1},
        {255, 255, 254, {true, true, true}, 255},
        {10, 20, 30, {true, true, true}, 20},
        {0, 0, 0, {true, true, true}, 0},
        {255, 255, 255, {true, true, true}, 255},
        {12, 34, 56, {false, true, false}, 34},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GreyLevel(Value(c.r, c.g, c.b), c.use), c.level)
            << c.r << "," << c.g << "," << c.b << " use " << c.use.red << c.use.green << c.use.blue;
}

TEST(GreyLevel, NoComponentCountsAsRedAlone)
{
    EXPECT_EQ(GreyLevel(Value(200, 10, 10), {false, false, false}), 200);
}

TEST(GreyLevel, ColourValueIsRedInTheLowByte)
{
    EXPECT_EQ(ColourValue(qRgb(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_EQ(ColourValue(qRgba(0xFF, 0, 0, 0x80)), 0x0000FFu);
}

QImage OneRow(std::initializer_list<QRgb> colours)
{
    QImage image(static_cast<int>(colours.size()), 1, QImage::Format_RGB32);
    int x = 0;
    for (const QRgb c : colours)
        image.setPixel(x++, 0, c);
    return image;
}

TEST(ThresholdImage, LevelEqualToTheThresholdIsBlackOneAboveIsWhite)
{
    const QImage disp = OneRow({qRgb(155, 155, 155), qRgb(156, 156, 156), qRgb(154, 154, 154)});
    const QImage out = ThresholdImage(disp, {}, 155, false);
    EXPECT_EQ(out.pixel(0, 0), kBlack);
    EXPECT_EQ(out.pixel(1, 0), kWhite);
    EXPECT_EQ(out.pixel(2, 0), kBlack);
}

TEST(ThresholdImage, ExtremeThresholdsWithAndWithoutInvert)
{
    const QImage disp = OneRow({qRgb(0, 0, 0), qRgb(1, 1, 1), qRgb(2, 2, 2), qRgb(254, 254, 254),
                                qRgb(255, 255, 255)});
    // 255: nothing is above it.
    const QImage all = ThresholdImage(disp, {}, 255, false);
    const QImage none = ThresholdImage(disp, {}, 255, true);
    for (int x = 0; x < disp.width(); ++x) {
        EXPECT_EQ(all.pixel(x, 0), kBlack);
        EXPECT_EQ(none.pixel(x, 0), kWhite);
    }
    // 1: only levels 0 and 1 are black.
    const QImage low = ThresholdImage(disp, {}, 1, false);
    const QRgb expected[] = {kBlack, kBlack, kWhite, kWhite, kWhite};
    for (int x = 0; x < disp.width(); ++x)
        EXPECT_EQ(low.pixel(x, 0), expected[x]) << x;
}

TEST(ThresholdImage, PureRedUnderTheDefaultThreshold)
{
    const QImage disp = OneRow({qRgb(255, 0, 0)});
    EXPECT_EQ(ThresholdImage(disp, {true, false, false}, 155, false).pixel(0, 0), kWhite);
    EXPECT_EQ(ThresholdImage(disp, {true, true, true}, 155, false).pixel(0, 0), kBlack);
    EXPECT_EQ(ThresholdImage(disp, {true, true, false}, 155, false).pixel(0, 0), kBlack);
    // 128 against a threshold of 128 and 127.
    EXPECT_EQ(ThresholdImage(disp, {true, true, false}, 128, false).pixel(0, 0), kBlack);
    EXPECT_EQ(ThresholdImage(disp, {true, true, false}, 127, false).pixel(0, 0), kWhite);
}

TEST(ThresholdImage, AgreesWithGreyLevelOnEveryPixel)
{
    // A spread of colours under every component choice and a few
    // thresholds: the fast pass matches GreyLevel one by one.
    QImage disp(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < disp.height(); ++y)
        for (int x = 0; x < disp.width(); ++x)
            disp.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * 5 + y * 91) % 256, (x * y * 7 + 3) % 256));
    for (int mask = 1; mask < 8; ++mask) {
        const Components use{(mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0};
        for (const int tolerance : {1, 77, 128, 155, 254}) {
            for (const bool invert : {false, true}) {
                const QImage out = ThresholdImage(disp, use, tolerance, invert);
                for (int y = 0; y < disp.height(); ++y) {
                    for (int x = 0; x < disp.width(); ++x) {
                        const bool white = (GreyLevel(ColourValue(disp.pixel(x, y)), use) > tolerance) != invert;
                        ASSERT_EQ(out.pixel(x, y), white ? kWhite : kBlack) << mask << " " << tolerance;
                    }
                }
            }
        }
    }
}

TEST(ThresholdImage, NoComponentBehavesAsRedAlone)
{
    const QImage disp = OneRow({qRgb(200, 0, 0), qRgb(100, 255, 255)});
    EXPECT_EQ(ThresholdImage(disp, {false, false, false}, 155, false),
              ThresholdImage(disp, {true, false, false}, 155, false));
}

struct AspectCase {
    int hSize, vSize, dw, dh;
    QSize drawn;
};

TEST(AspectDrawnSize, ComparesProportionsAndScalesByFramedSizes)
{
    const AspectCase cases[] = {
        // rT 1.25 < rD 2: full width, 40 * 52 / 102 = 20.39 high.
        {40, 32, 100, 50, {40, 20}},
        // Equal proportions take the height branch: 50 * 102 / 52 = 98.08.
        {100, 50, 100, 50, {98, 50}},
        // Taller copy: full height, 32 * 52 / 102 = 16.3 wide.
        {40, 32, 50, 100, {16, 32}},
        // Framed factor can overshoot the width; the draw clips it.
        {8, 80, 10, 100, {9, 80}},
        // A sliver never vanishes.
        {8, 4, 201, 1, {8, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AspectDrawnSize(c.hSize, c.vSize, c.dw, c.dh), c.drawn)
            << c.hSize << "x" << c.vSize << " copy " << c.dw << "x" << c.dh;
}

}  // namespace
}  // namespace tobrin
