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

void MakeOpaque(std::uint32_t* p, int n)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; i + 4 <= n; i += 4) {
        auto* v = reinterpret_cast<__m128i*>(p + i);
        _mm_storeu_si128(v, _mm_or_si128(_mm_loadu_si128(v), alpha));
    }
#endif
    for (; i < n; ++i)
        p[i] |= 0xFF000000u;
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

// MinChannels of two pixels in a vector register: fewer steps than four
// masked minimums.
inline std::uint32_t MinOfTwo(std::uint32_t a, std::uint32_t b)
{
#if defined(__SSE2__)
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(
        _mm_min_epu8(_mm_cvtsi32_si128(static_cast<int>(a)), _mm_cvtsi32_si128(static_cast<int>(b)))));
#else
    return MinChannels(a, b);
#endif
}

}  // namespace

ColumnShares::ColumnShares(int targets, int drawn, int sources)
    : first_(static_cast<std::size_t>(std::max(targets, 0))), last_(first_.size())
{
    for (std::size_t t = 0; t < first_.size(); ++t) {
        const Span c = SourceSpan(static_cast<int>(t), drawn, sources);
        first_[t] = c.begin;
        last_[t] = c.end - 1;
        widest_ = std::max(widest_, c.end - c.begin);
    }
}

void ColumnShares::Combine(const std::uint32_t* row, std::uint32_t* out) const
{
    const int n = Count();
    const int* first = first_.data();
    const int* last = last_.data();
    if (widest_ == 1) {
        for (int t = 0; t < n; ++t)
            out[t] = row[first[t]];
    } else if (widest_ == 2) {
        // A share of one pixel is that pixel taken twice.
        for (int t = 0; t < n; ++t)
            out[t] = MinOfTwo(row[first[t]], row[last[t]]);
    } else {
        for (int t = 0; t < n; ++t)
            out[t] = MinOfSpan(row + first[t], row + last[t] + 1);
    }
}

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

    const ColumnShares columns(outW, drawnWidth, sw);

    // The rows are reached through the first one and the stride: a call
    // per row would not be much, but it is not needed either.
    const uchar* srcBits = src.constBits();
    const qsizetype srcStride = src.bytesPerLine();
    uchar* dstBits = dst.bits();
    const qsizetype dstStride = dst.bytesPerLine();
    const auto sourceRow = [&](int sy) { return reinterpret_cast<const std::uint32_t*>(srcBits + sy * srcStride); };

    std::vector<std::uint32_t> more(static_cast<std::size_t>(outW));
    Span previous{-1, -1};
    for (int ty = 0; ty < outH; ++ty) {
        auto* out = reinterpret_cast<std::uint32_t*>(dstBits + ty * dstStride);
        const Span rows = SourceSpan(ty, drawnHeight, sh);
        if (rows.begin == previous.begin && rows.end == previous.end) {
            // Enlarging vertically: the same source rows as the row above.
            std::copy_n(reinterpret_cast<const std::uint32_t*>(dstBits + (ty - 1) * dstStride), outW, out);
            continue;
        }
        previous = rows;
        // The first source row is combined with white, which leaves it as
        // it is; later rows (when shrinking) are combined into it.
        columns.Combine(sourceRow(rows.begin), out);
        for (int sy = rows.begin + 1; sy < rows.end; ++sy) {
            columns.Combine(sourceRow(sy), more.data());
            MinInto(out, more.data(), outW);
        }
        // Keep the result opaque whatever the source's alpha said.
        MakeOpaque(out, outW);
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
