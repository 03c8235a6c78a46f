#include "core/monochrome.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tobrin {

int RoundHalfEven(double v)
{
    const double floor = std::floor(v);
    const double diff = v - floor;
    double r;
    if (diff < 0.5)
        r = floor;
    else if (diff > 0.5)
        r = floor + 1.0;
    else
        r = std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
    return static_cast<int>(r);
}

namespace {

// sum / count rounded, ties to even; count 1..3.
int AverageLevel(int sum, int count)
{
    switch (count) {
    case 1:
        return sum;
    case 2: {
        const int half = sum / 2;
        // An odd sum is a tie: go to the even neighbour.
        return (sum & 1) ? half + (half & 1) : half;
    }
    default:
        // Thirds never tie.
        return (sum + 1) / 3;
    }
}

}  // namespace

int GreyLevel(std::uint32_t colour, const Components& use)
{
    const int blue = static_cast<int>(colour / 65536u);
    const int green = static_cast<int>((colour - static_cast<std::uint32_t>(blue) * 65536u) / 256u);
    const int red = static_cast<int>(colour - static_cast<std::uint32_t>(blue) * 65536u
                                     - static_cast<std::uint32_t>(green) * 256u);
    int sum = 0;
    int count = 0;
    if (use.red || !use.any()) {
        sum = red;
        count = 1;
    }
    if (use.green) {
        sum += green;
        ++count;
    }
    if (use.blue) {
        sum += blue;
        ++count;
    }
    return AverageLevel(sum, count);
}

QImage ThresholdImage(const QImage& dispIn, const Components& useIn, int tolerance, bool invert)
{
    if (dispIn.isNull())
        return QImage();
    const QImage disp = dispIn.format() == QImage::Format_RGB32 || dispIn.format() == QImage::Format_ARGB32
        ? dispIn
        : dispIn.convertToFormat(QImage::Format_RGB32);
    Components use = useIn;
    if (!use.any())
        use.red = true;
    const int count = int(use.red) + int(use.green) + int(use.blue);

    // Black or white for every possible component sum.
    std::array<std::uint32_t, 3 * 255 + 1> bySum{};
    for (int sum = 0; sum <= 255 * count; ++sum) {
        const bool white = (AverageLevel(sum, count) > tolerance) != invert;
        bySum[static_cast<std::size_t>(sum)] = white ? 0xFFFFFFFFu : 0xFF000000u;
    }
    const std::uint32_t redMask = use.red ? 0xFFu : 0u;
    const std::uint32_t greenMask = use.green ? 0xFFu : 0u;
    const std::uint32_t blueMask = use.blue ? 0xFFu : 0u;

    QImage out(disp.size(), QImage::Format_RGB32);
    // The sizes are read once: the calls would not leave the inner loop.
    const int width = disp.width();
    const int height = disp.height();
    if (count == 1) {
        // One component: its value alone is the sum.
        const int shift = use.red ? 16 : use.green ? 8 : 0;
        for (int y = 0; y < height; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(disp.constScanLine(y));
            auto* to = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
            for (int x = 0; x < width; ++x)
                to[x] = bySum[(in[x] >> shift) & 0xFFu];
        }
        return out;
    }
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(disp.constScanLine(y));
        auto* to = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb c = in[x];
            const std::uint32_t sum = ((c >> 16) & redMask) + ((c >> 8) & greenMask) + (c & blueMask);
            to[x] = bySum[sum];
        }
    }
    return out;
}

QSize AspectDrawnSize(int hSize, int vSize, int dw, int dh)
{
    if (dw <= 0 || dh <= 0 || hSize <= 0 || vSize <= 0)
        return QSize(std::max(hSize, 1), std::max(vSize, 1));
    const float rT = static_cast<float>(hSize) / static_cast<float>(vSize);
    const float rD = static_cast<float>(dw) / static_cast<float>(dh);
    int width;
    int height;
    if (rT < rD) {
        const float factor = static_cast<float>(dh + 2) / static_cast<float>(dw + 2);
        width = hSize;
        height = RoundHalfEven(static_cast<float>(hSize) * factor);
    } else {
        const float factor = static_cast<float>(dw + 2) / static_cast<float>(dh + 2);
        width = RoundHalfEven(static_cast<float>(vSize) * factor);
        height = vSize;
    }
    return QSize(std::max(width, 1), std::max(height, 1));
}

}  // namespace tobrin
