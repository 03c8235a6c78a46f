#include "core/dither.h"

#include <algorithm>
#include <cstdint>

namespace tobrin {

std::optional<Dither> DitherFromName(const QString& name)
{
    if (name == QLatin1String("none"))
        return Dither::None;
    if (name == QLatin1String("fs"))
        return Dither::FloydSteinberg;
    if (name == QLatin1String("atkinson"))
        return Dither::Atkinson;
    if (name == QLatin1String("bayer4"))
        return Dither::Bayer4;
    if (name == QLatin1String("bayer8"))
        return Dither::Bayer8;
    return std::nullopt;
}

const char* DitherName(Dither dither)
{
    switch (dither) {
    case Dither::None:
        return "none";
    case Dither::FloydSteinberg:
        return "fs";
    case Dither::Atkinson:
        return "atkinson";
    case Dither::Bayer4:
        return "bayer4";
    case Dither::Bayer8:
        return "bayer8";
    }
    return "none";
}

QString DitherCaption(Dither dither)
{
    switch (dither) {
    case Dither::None:
        return QStringLiteral("None");
    case Dither::FloydSteinberg:
        return QStringLiteral("Floyd\u2013Steinberg");
    case Dither::Atkinson:
        return QStringLiteral("Atkinson");
    case Dither::Bayer4:
        return QStringLiteral("Ordered 4\u00d74");
    case Dither::Bayer8:
        return QStringLiteral("Ordered 8\u00d78");
    }
    return QString();
}

GreyPlane GreyLevels(const QImage& imageIn, const Components& use)
{
    GreyPlane plane;
    if (imageIn.isNull())
        return plane;
    const QImage image = imageIn.format() == QImage::Format_RGB32 || imageIn.format() == QImage::Format_ARGB32
        ? imageIn
        : imageIn.convertToFormat(QImage::Format_RGB32);
    plane.width = image.width();
    plane.height = image.height();
    plane.levels.resize(std::size_t(plane.width) * std::size_t(plane.height));
    for (int y = 0; y < plane.height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = &plane.levels[std::size_t(y) * std::size_t(plane.width)];
        for (int x = 0; x < plane.width; ++x)
            out[x] = std::uint8_t(GreyLevel(ColourValue(line[x]), use));
    }
    return plane;
}

namespace {

struct Weight {
    int source;
    std::int64_t weight;
};

// For each of t targets over s sources: the sources it overlaps and the
// length they share, measured in units where a source is t long and a
// target s long (so every target's weights add up to s).
std::vector<std::vector<Weight>> AxisWeights(int s, int t)
{
    std::vector<std::vector<Weight>> out(static_cast<std::size_t>(t));
    for (int i = 0; i < t; ++i) {
        const std::int64_t begin = std::int64_t(i) * s;
        const std::int64_t end = begin + s;
        for (int j = int(begin / t); j < s && std::int64_t(j) * t < end; ++j) {
            const std::int64_t lo = std::max(begin, std::int64_t(j) * t);
            const std::int64_t hi = std::min(end, std::int64_t(j + 1) * t);
            if (hi > lo)
                out[std::size_t(i)].push_back({j, hi - lo});
        }
    }
    return out;
}

}  // namespace

GreyPlane AreaAverage(const GreyPlane& src, int tw, int th)
{
    GreyPlane out;
    out.width = std::max(tw, 1);
    out.height = std::max(th, 1);
    out.levels.assign(std::size_t(out.width) * std::size_t(out.height), 255);
    if (src.width <= 0 || src.height <= 0)
        return out;
    const auto columns = AxisWeights(src.width, out.width);
    const auto rows = AxisWeights(src.height, out.height);

    // Horizontal pass: every source row reduced to the target's columns.
    std::vector<std::int64_t> across(std::size_t(src.height) * std::size_t(out.width));
    for (int y = 0; y < src.height; ++y) {
        const std::uint8_t* in = &src.levels[std::size_t(y) * std::size_t(src.width)];
        std::int64_t* to = &across[std::size_t(y) * std::size_t(out.width)];
        for (int tx = 0; tx < out.width; ++tx) {
            std::int64_t sum = 0;
            for (const Weight& w : columns[std::size_t(tx)])
                sum += w.weight * in[w.source];
            to[tx] = sum;
        }
    }
    const std::int64_t total = std::int64_t(src.width) * src.height;
    for (int ty = 0; ty < out.height; ++ty) {
        std::uint8_t* to = &out.levels[std::size_t(ty) * std::size_t(out.width)];
        for (int tx = 0; tx < out.width; ++tx) {
            std::int64_t sum = 0;
            for (const Weight& w : rows[std::size_t(ty)])
                sum += w.weight * across[std::size_t(w.source) * std::size_t(out.width) + std::size_t(tx)];
            to[tx] = std::uint8_t((sum + total / 2) / total);
        }
    }
    return out;
}

namespace {

// The Bayer index of cell (x, y) in an n x n matrix (n a power of two):
// built as M(2n) = [4M, 4M+2; 4M+3, 4M+1] from M(1) = 0.
int BayerIndex(int x, int y, int n)
{
    // The lowest bits choose the outermost quadrant factor.
    int m = 0;
    for (int bit = 1; bit < n; bit *= 2) {
        const int xb = (x & bit) != 0;
        const int yb = (y & bit) != 0;
        m = 4 * m + (yb ? (xb ? 1 : 3) : (xb ? 2 : 0));
    }
    return m;
}

void Ordered(const GreyPlane& g, int n, int t, std::vector<std::uint8_t>& black)
{
    const int cells = n * n;
    const int r = std::max(1, std::min(t, 255 - t));
    // d * R for every cell, row by row.
    std::vector<int> scaled(static_cast<std::size_t>(cells));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            scaled[std::size_t(y * n + x)] = (2 * BayerIndex(x, y, n) + 1 - cells) * r;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            const bool white = cells * (int(g.At(x, y)) - t) > scaled[std::size_t((y % n) * n + x % n)];
            black[std::size_t(y) * std::size_t(g.width) + std::size_t(x)] = white ? 0 : 1;
        }
}

void FloydSteinberg(const GreyPlane& g, int t, std::vector<std::uint8_t>& black)
{
    // Error rows with one spare cell each side (index x + 1): a share that
    // lands there is dropped.
    std::vector<int> cur(std::size_t(g.width) + 2, 0);
    std::vector<int> next(std::size_t(g.width) + 2, 0);
    for (int y = 0; y < g.height; ++y) {
        const int dir = (y % 2 == 0) ? 1 : -1;
        int x = dir > 0 ? 0 : g.width - 1;
        for (int i = 0; i < g.width; ++i, x += dir) {
            const int at = x + 1;
            const int v = int(g.At(x, y)) + cur[std::size_t(at)];
            const int o = v > t ? 255 : 0;
            const int e = v - o;
            const int a = 7 * e / 16;
            const int b = 3 * e / 16;
            const int c = 5 * e / 16;
            const int d = e - a - b - c;
            cur[std::size_t(at + dir)] += a;
            next[std::size_t(at - dir)] += b;
            next[std::size_t(at)] += c;
            next[std::size_t(at + dir)] += d;
            black[std::size_t(y) * std::size_t(g.width) + std::size_t(x)] = o == 0 ? 1 : 0;
        }
        std::swap(cur, next);
        std::fill(next.begin(), next.end(), 0);
    }
}

void Atkinson(const GreyPlane& g, int t, std::vector<std::uint8_t>& black)
{
    // Three error rows (this one and the two below), index x + 1, two spare
    // cells on the right.
    const std::size_t span = std::size_t(g.width) + 3;
    std::vector<int> rows[3] = {std::vector<int>(span, 0), std::vector<int>(span, 0), std::vector<int>(span, 0)};
    for (int y = 0; y < g.height; ++y) {
        std::vector<int>& r0 = rows[y % 3];
        std::vector<int>& r1 = rows[(y + 1) % 3];
        std::vector<int>& r2 = rows[(y + 2) % 3];
        for (int x = 0; x < g.width; ++x) {
            const std::size_t at = std::size_t(x + 1);
            const int v = int(g.At(x, y)) + r0[at];
            const int o = v > t ? 255 : 0;
            const int s = (v - o) / 8;
            r0[at + 1] += s;
            r0[at + 2] += s;
            r1[at - 1] += s;
            r1[at] += s;
            r1[at + 1] += s;
            r2[at] += s;
            black[std::size_t(y) * std::size_t(g.width) + std::size_t(x)] = o == 0 ? 1 : 0;
        }
        std::fill(r0.begin(), r0.end(), 0);  // becomes the row two below the next
    }
}

}  // namespace

std::vector<std::uint8_t> DitherLevels(const GreyPlane& levels, Dither dither, int tolerance)
{
    std::vector<std::uint8_t> black(levels.levels.size(), 0);
    switch (dither) {
    case Dither::FloydSteinberg:
        FloydSteinberg(levels, tolerance, black);
        break;
    case Dither::Atkinson:
        Atkinson(levels, tolerance, black);
        break;
    case Dither::Bayer4:
        Ordered(levels, 4, tolerance, black);
        break;
    case Dither::Bayer8:
        Ordered(levels, 8, tolerance, black);
        break;
    case Dither::None:
        for (std::size_t i = 0; i < black.size(); ++i)
            black[i] = levels.levels[i] > tolerance ? 0 : 1;
        break;
    }
    return black;
}

void DrawDithered(const QImage& disp, const Components& use, int tolerance, bool invert, Dither dither,
                  int drawnWidth, int drawnHeight, QImage& dst)
{
    if (disp.isNull())
        return;
    DrawDitheredLevels(GreyLevels(disp, use), tolerance, invert, dither, drawnWidth, drawnHeight, dst);
}

void DrawDitheredLevels(const GreyPlane& levels, int tolerance, bool invert, Dither dither, int drawnWidth,
                        int drawnHeight, QImage& dst)
{
    if (levels.width <= 0 || levels.height <= 0 || dst.isNull() || drawnWidth <= 0 || drawnHeight <= 0)
        return;
    const int w = std::min(drawnWidth, dst.width());
    const int h = std::min(drawnHeight, dst.height());
    const GreyPlane scaled = AreaAverage(levels, drawnWidth, drawnHeight);
    // The visible part alone, so its error diffusion does not depend on
    // pixels nobody sees.
    GreyPlane visible;
    visible.width = w;
    visible.height = h;
    visible.levels.resize(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        std::copy_n(&scaled.levels[std::size_t(y) * std::size_t(scaled.width)], w,
                    &visible.levels[std::size_t(y) * std::size_t(w)]);
    const std::vector<std::uint8_t> black = DitherLevels(visible, dither, tolerance);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool isBlack = (black[std::size_t(y) * std::size_t(w) + std::size_t(x)] != 0) != invert;
            line[x] = isBlack ? 0xFF000000u : 0xFFFFFFFFu;
        }
    }
}

}  // namespace tobrin
