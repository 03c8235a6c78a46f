#include "core/transform.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tobrin {

namespace {

using Plane = PictureData::Plane;

bool IsRotation(Transform t)
{
    return t == Transform::RotateClockwise || t == Transform::RotateCounterClockwise;
}

TransformResult Refuse(QString reason)
{
    TransformResult r;
    r.reason = std::move(reason);
    return r;
}

std::uint8_t* Row(Plane& plane, int x, int y) { return plane.data() + PictureData::Offset(x, y); }

// The block's cells, row by row, into a compact buffer.
std::vector<std::uint8_t> CopyBlock(Plane& plane, const QRect& b)
{
    std::vector<std::uint8_t> out(static_cast<size_t>(b.width()) * b.height());
    for (int j = 0; j < b.height(); ++j)
        std::memcpy(out.data() + static_cast<size_t>(j) * b.width(), Row(plane, b.x(), b.y() + j),
                    static_cast<size_t>(b.width()));
    return out;
}

void FillBlock(Plane& plane, const QRect& b, std::uint8_t value)
{
    for (int j = 0; j < b.height(); ++j)
        std::memset(Row(plane, b.x(), b.y() + j), value, static_cast<size_t>(b.width()));
}

// Pixels are 0 or 1, so eight of them flip at once with one 64-bit XOR.
void InvertRun(std::uint8_t* run, int count)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, run + i, 8);
        word ^= kOnes;
        std::memcpy(run + i, &word, 8);
    }
    for (; i < count; ++i)
        run[i] ^= 1;
}

// Writes the turned copy of `src` (w x h, row by row) into `dst` (h x w).
void Rotate(Plane& plane, const std::vector<std::uint8_t>& src, int w, int h, const QRect& dst,
            bool clockwise)
{
    // Clockwise, destination (i, j) shows source (j, h - 1 - i);
    // counter-clockwise it shows source (w - 1 - j, i).
    for (int j = 0; j < dst.height(); ++j) {
        std::uint8_t* out = Row(plane, dst.x(), dst.y() + j);
        if (clockwise) {
            for (int i = 0; i < dst.width(); ++i)
                out[i] = src[static_cast<size_t>(h - 1 - i) * w + j];
        } else {
            for (int i = 0; i < dst.width(); ++i)
                out[i] = src[static_cast<size_t>(i) * w + (w - 1 - j)];
        }
    }
}

}  // namespace

TransformResult PlanTransform(Transform t, int width, int height, const std::optional<QRect>& block)
{
    if (width < 1 || height < 1 || width > kMaxWidth || height > kMaxHeight)
        return Refuse(QStringLiteral("There is no picture to change."));

    const QRect picture(0, 0, width, height);
    const QRect b = block ? block->normalized().intersected(picture) : picture;
    if (b.isEmpty())
        return Refuse(QStringLiteral("The selection lies outside the picture."));

    TransformResult r;
    r.ok = true;
    r.width = width;
    r.height = height;
    r.block = b;
    r.changed = b;
    if (!IsRotation(t))
        return r;

    if (!block) {
        if (height > kMaxWidth || width > kMaxHeight)
            return Refuse(QStringLiteral("Turned, the picture would be %1 × %2 pixels; "
                                         "a picture is at most %3 × %4 pixels.")
                              .arg(height).arg(width).arg(kMaxWidth).arg(kMaxHeight));
        r.width = height;
        r.height = width;
        r.block = QRect(0, 0, height, width);
        r.changed = r.block;
        return r;
    }

    if (b.height() > width || b.width() > height)
        return Refuse(QStringLiteral("Turned, the selection would be %1 × %2 pixels, "
                                     "too large for the %3 × %4 picture.")
                          .arg(b.height()).arg(b.width()).arg(width).arg(height));
    // Keeps the top-left corner, moved back just far enough to stay inside.
    const int left = std::min(b.x(), width - b.height());
    const int top = std::min(b.y(), height - b.width());
    r.block = QRect(left, top, b.height(), b.width());
    r.changed = b.united(r.block);
    return r;
}

TransformResult ApplyTransform(Plane& plane, Transform t, int width, int height,
                               const std::optional<QRect>& block)
{
    const TransformResult r = PlanTransform(t, width, height, block);
    if (!r.ok)
        return r;

    // The cells read: for a rotation that is the block or the picture as
    // it was, not as it ends up.
    const QRect picture(0, 0, width, height);
    const QRect b = block ? block->normalized().intersected(picture) : picture;
    const int w = b.width(), h = b.height();
    switch (t) {
    case Transform::FlipHorizontal:
        for (int j = 0; j < h; ++j) {
            std::uint8_t* row = Row(plane, b.x(), b.y() + j);
            std::reverse(row, row + w);
        }
        break;
    case Transform::FlipVertical: {
        // Whole rows trade places through a spare row (memcpy is several
        // times faster than a byte-wise swap).
        std::vector<std::uint8_t> spare(static_cast<size_t>(w));
        for (int j = 0; j < h / 2; ++j) {
            std::uint8_t* upper = Row(plane, b.x(), b.y() + j);
            std::uint8_t* lower = Row(plane, b.x(), b.y() + h - 1 - j);
            std::memcpy(spare.data(), upper, spare.size());
            std::memcpy(upper, lower, spare.size());
            std::memcpy(lower, spare.data(), spare.size());
        }
        break;
    }
    case Transform::Invert:
        for (int j = 0; j < h; ++j)
            InvertRun(Row(plane, b.x(), b.y() + j), w);
        break;
    case Transform::ShiftLeft:
    case Transform::ShiftRight:
        for (int j = 0; j < h; ++j) {
            std::uint8_t* row = Row(plane, b.x(), b.y() + j);
            std::rotate(row, t == Transform::ShiftLeft ? row + 1 : row + w - 1, row + w);
        }
        break;
    case Transform::ShiftUp:
    case Transform::ShiftDown: {
        // Rows move through one spare row; the block's rows are not
        // contiguous in the plane, so std::rotate cannot do it in one go.
        std::vector<std::uint8_t> spare(static_cast<size_t>(w));
        const bool up = t == Transform::ShiftUp;
        const int first = up ? 0 : h - 1, step = up ? 1 : -1;
        std::memcpy(spare.data(), Row(plane, b.x(), b.y() + first), spare.size());
        for (int k = 0, j = first; k < h - 1; ++k, j += step)
            std::memcpy(Row(plane, b.x(), b.y() + j), Row(plane, b.x(), b.y() + j + step), spare.size());
        std::memcpy(Row(plane, b.x(), b.y() + first + step * (h - 1)), spare.data(), spare.size());
        break;
    }
    case Transform::RotateClockwise:
    case Transform::RotateCounterClockwise: {
        const std::vector<std::uint8_t> src = CopyBlock(plane, b);
        if (block)
            FillBlock(plane, b, 0);  // what the turned block leaves is clear
        Rotate(plane, src, w, h, r.block, t == Transform::RotateClockwise);
        break;
    }
    }
    return r;
}

}  // namespace tobrin
