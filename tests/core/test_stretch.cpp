#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

#include "core/stretch.h"

namespace tobrin {
namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;

QImage Filled(int w, int h, QRgb c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

int CountBlack(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == kBlack;
    return n;
}

TEST(Stretch, ShrinkKeepsEveryLonePixelBlack)
{
    // A single black pixel anywhere in a 100 x 60 image survives any
    // reduction as exactly one black target pixel.
    const QSize targets[] = {{7, 5}, {33, 20}, {99, 59}, {1, 1}, {50, 60}};
    for (const QSize t : targets) {
        for (int sy = 0; sy < 60; sy += 13) {
            for (int sx = 0; sx < 100; sx += 17) {
                QImage src = Filled(100, 60, kWhite);
                src.setPixel(sx, sy, kBlack);
                const QImage out = Stretched(src, t.width(), t.height());
                EXPECT_EQ(CountBlack(out), 1) << t.width() << "x" << t.height() << " at " << sx << "," << sy;
            }
        }
    }
}

TEST(Stretch, ShrinkTakesTheSmallestOfEachComponent)
{
    QImage src(2, 2, QImage::Format_RGB32);
    src.setPixel(0, 0, qRgb(0xF0, 0x0F, 0xFF));
    src.setPixel(1, 0, qRgb(0x3C, 0xFF, 0x81));
    src.setPixel(0, 1, qRgb(0xFF, 0xFF, 0xFF));
    src.setPixel(1, 1, qRgb(0xFF, 0x0E, 0xFF));
    const QImage out = Stretched(src, 1, 1);
    EXPECT_EQ(out.pixel(0, 0), qRgb(0x3C, 0x0E, 0x81));
}

TEST(Stretch, SmoothGradientShrinksWithoutDarkBands)
{
    // Each channel climbs through 127 | 128 (a bitwise AND made 0 of it)
    // at a different place; halving pairs neighbours.
    QImage src(512, 1, QImage::Format_RGB32);
    for (int x = 0; x < 512; ++x)
        src.setPixel(x, 0, qRgb((x + 1) / 2 % 256, (x + 65) / 2 % 256, (x + 129) / 2 % 256));
    const QImage out = Stretched(src, 256, 1);
    for (int x = 0; x < 256; ++x) {
        const QRgb a = src.pixel(2 * x, 0), b = src.pixel(2 * x + 1, 0), c = out.pixel(x, 0);
        EXPECT_EQ(qRed(c), std::min(qRed(a), qRed(b))) << x;
        EXPECT_EQ(qGreen(c), std::min(qGreen(a), qGreen(b))) << x;
        EXPECT_EQ(qBlue(c), std::min(qBlue(a), qBlue(b))) << x;
    }
}

TEST(Stretch, EnlargeRepeatsPixels)
{
    QImage src(2, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, qRgb(10, 20, 30));
    src.setPixel(1, 0, qRgb(200, 100, 50));
    const QImage out = Stretched(src, 6, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(out.pixel(x, y), x < 3 ? qRgb(10, 20, 30) : qRgb(200, 100, 50)) << x << "," << y;
    }
}

TEST(Stretch, MixedAxesShrinkOneAndRepeatTheOther)
{
    // 4 x 1 to 2 x 3: columns pair up by AND, the row repeats.
    QImage src(4, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, kWhite);
    src.setPixel(1, 0, kBlack);
    src.setPixel(2, 0, kWhite);
    src.setPixel(3, 0, kWhite);
    const QImage out = Stretched(src, 2, 3);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(out.pixel(0, y), kBlack);
        EXPECT_EQ(out.pixel(1, y), kWhite);
    }
}

TEST(Stretch, SameSizeIsAnExactCopy)
{
    QImage src(5, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            src.setPixel(x, y, qRgb(x * 40, y * 60, (x * y) % 256));
    EXPECT_EQ(Stretched(src, 5, 4), src);
}

TEST(Stretch, DrawClipsToTargetAndLeavesTheRestAlone)
{
    const QImage src = Filled(10, 10, kBlack);
    QImage dst = Filled(8, 8, qRgb(1, 2, 3));
    // Drawn 4 x 20: the columns 4..7 stay as they were, rows beyond 8 clip.
    StretchDraw(src, dst, 4, 20);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dst.pixel(x, y), x < 4 ? kBlack : qRgb(1, 2, 3)) << x << "," << y;
}

TEST(Stretch, DegenerateSizesDrawNothing)
{
    QImage dst = Filled(3, 3, kWhite);
    StretchDraw(Filled(4, 4, kBlack), dst, 0, 3);
    StretchDraw(Filled(4, 4, kBlack), dst, 3, -1);
    StretchDraw(QImage(), dst, 3, 3);
    EXPECT_EQ(CountBlack(dst), 0);
}

TEST(Stretch, OtherSourceFormatsAreConverted)
{
    QImage mono(8, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.fill(0);
    mono.setPixel(5, 1, 1);
    const QImage out = Stretched(mono, 4, 1);
    EXPECT_EQ(out.pixel(2, 0), kBlack);
    EXPECT_EQ(CountBlack(out), 1);
}

}  // namespace
}  // namespace tobrin
