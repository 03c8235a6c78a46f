#include "core/stretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tobrin {
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
                    std::uint32_t v = 0xFFFFFFFFu;
                    for (int sx = c.begin; sx < c.end; ++sx)
                        v = MinChannels(v, in[sx]);
                    row[static_cast<std::size_t>(tx)] = MinChannels(row[static_cast<std::size_t>(tx)], v);
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
