#include "core/monochrome.h"

#include <algorithm>
#include <array>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
#if defined(__SSE2__)
    // The average never falls as the sum grows, so the table is one step:
    // below sum `step` every pixel takes `lower`, from it on `upper`. Four
    // pixels at a time then compare their sums with the step.
    const int top = 255 * count;
    int step = 0;
    while (step <= top && bySum[static_cast<std::size_t>(step)] == bySum[0])
        ++step;
    bool oneStep = true;
    for (int sum = step; sum <= top; ++sum)
        oneStep = oneStep && bySum[static_cast<std::size_t>(sum)] == bySum[static_cast<std::size_t>(step)];
    if (oneStep) {
        const std::uint32_t lower = bySum[0];
        const std::uint32_t upper = step <= top ? bySum[static_cast<std::size_t>(step)] : lower;
        const __m128i red = _mm_set1_epi32(static_cast<int>(redMask));
        const __m128i green = _mm_set1_epi32(static_cast<int>(greenMask));
        const __m128i blue = _mm_set1_epi32(static_cast<int>(blueMask));
        const __m128i below = _mm_set1_epi32(step - 1);
        const __m128i low = _mm_set1_epi32(static_cast<int>(lower));
        const __m128i change = _mm_set1_epi32(static_cast<int>(lower ^ upper));
        for (int y = 0; y < height; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(disp.constScanLine(y));
            auto* to = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
            int x = 0;
            for (; x + 4 <= width; x += 4) {
                const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
                const __m128i sum = _mm_add_epi32(_mm_add_epi32(_mm_and_si128(_mm_srli_epi32(c, 16), red),
                                                                _mm_and_si128(_mm_srli_epi32(c, 8), green)),
                                                  _mm_and_si128(c, blue));
                const __m128i reached = _mm_cmpgt_epi32(sum, below);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x),
                                 _mm_xor_si128(low, _mm_and_si128(reached, change)));
            }
            for (; x < width; ++x) {
                const QRgb c = in[x];
                to[x] = bySum[((c >> 16) & redMask) + ((c >> 8) & greenMask) + (c & blueMask)];
            }
        }
        return out;
    }
#endif
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
