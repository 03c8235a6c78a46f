#include "core/stretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tobrin {

std::uint32_t MinOfSpan(const std::uint32_t* p, const std::uint32_t* end)
{
    std::uint32_t v = 0xFFFFFFFFu;
#if defined(__SSE2__)
    if (end - p >= 8) {
        __m128i acc = _mm_set1_epi32(-1);
        for (; end - p >= 4; p += 4)
            acc = _mm_min_epu8(acc, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        acc = _mm_min_epu8(acc, _mm_shuffle_epi32(acc, _MM_SHUFFLE(1, 0, 3, 2)));
        acc = _mm_min_epu8(acc, _mm_shuffle_epi32(acc, _MM_SHUFFLE(2, 3, 0, 1)));
        v = static_cast<std::uint32_t>(_mm_cvtsi128_si32(acc));
    }
#endif
    for (; p != end; ++p)
        v = MinChannels(v, *p);
    return v;
}

void MinInto(std::uint32_t* out, const std::uint32_t* in, int n)
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= n; i += 4) {
        auto* o = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(o, _mm_min_epu8(_mm_loadu_si128(o), _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i))));
    }
#endif
    for (; i < n; ++i)
        out[i] = MinChannels(out[i], in[i]);
}

namespace {

// For target index t of n targets over m sources: the half-open source range
// [begin, end). Shrinking partitions the sources; enlarging gives each target
// the one source under it.
struct Span {
    int begin;
    int end;
};

Span SourceSpan(int t, int targets, int sources)
{
    const auto begin = static_cast<int>(static_cast<std::int64_t>(t) * sources / targets);
    auto end = static_cast<int>(static_cast<std::int64_t>(t + 1) * sources / targets);
    end = std::max(end, begin + 1);
    return {begin, std::min(end, sources)};
}

}  // namespace

void StretchDraw(const QImage& srcIn, QImage& dst, int drawnWidth, int drawnHeight)
{
    if (srcIn.isNull() || dst.isNull() || drawnWidth <= 0 || drawnHeight <= 0)
        return;
    Q_ASSERT(dst.format() == QImage::Format_RGB32);
    const QImage src = (srcIn.format() == QImage::Format_RGB32 || srcIn.format() == QImage::Format_ARGB32)
        ? srcIn
        : srcIn.convertToFormat(QImage::Format_RGB32);
    const int sw = src.width();
    const int sh = src.height();
    const int outW = std::min(drawnWidth, dst.width());
    const int outH = std::min(drawnHeight, dst.height());
    if (outW <= 0 || outH <= 0)
        return;

    std::vector<Span> columns(static_cast<std::size_t>(outW));
    bool oneToOneColumns = true;
    for (int tx = 0; tx < outW; ++tx) {
        columns[static_cast<std::size_t>(tx)] = SourceSpan(tx, drawnWidth, sw);
        oneToOneColumns = oneToOneColumns && columns[static_cast<std::size_t>(tx)].end
            == columns[static_cast<std::size_t>(tx)].begin + 1;
    }

    std::vector<std::uint32_t> row(static_cast<std::size_t>(outW));
    Span previous{-1, -1};
    for (int ty = 0; ty < outH; ++ty) {
        auto* out = reinterpret_cast<std::uint32_t*>(dst.scanLine(ty));
        const Span rows = SourceSpan(ty, drawnHeight, sh);
        if (rows.begin == previous.begin && rows.end == previous.end) {
            // Enlarging vertically: the same source rows as the row above.
            const auto* above = reinterpret_cast<const std::uint32_t*>(dst.constScanLine(ty - 1));
            std::copy(above, above + outW, out);
            continue;
        }
        previous = rows;
        std::fill(row.begin(), row.end(), 0xFFFFFFFFu);
        for (int sy = rows.begin; sy < rows.end; ++sy) {
            const auto* in = reinterpret_cast<const std::uint32_t*>(src.constScanLine(sy));
            if (oneToOneColumns) {
                for (int tx = 0; tx < outW; ++tx)
                    row[static_cast<std::size_t>(tx)] =
                        MinChannels(row[static_cast<std::size_t>(tx)], in[columns[static_cast<std::size_t>(tx)].begin]);
            } else {
                for (int tx = 0; tx < outW; ++tx) {
                    const Span c = columns[static_cast<std::size_t>(tx)];
                    row[static_cast<std::size_t>(tx)] =
                        MinChannels(row[static_cast<std::size_t>(tx)], MinOfSpan(in + c.begin, in + c.end));
                }
            }
        }
        // Keep the result opaque whatever the source's alpha said.
        for (int tx = 0; tx < outW; ++tx)
            out[tx] = row[static_cast<std::size_t>(tx)] | 0xFF000000u;
    }
}

QImage Stretched(const QImage& src, int width, int height)
{
    QImage out(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    out.fill(0xFFFFFFFFu);
    StretchDraw(src, out, width, height);
    return out;
}

}  // namespace tobrin
