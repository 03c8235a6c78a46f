#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/transform.h"

using namespace tobrin;

namespace {

using Plane = PictureData::Plane;

// The whole plane filled at random, so stale cells outside the picture
// are visible to the comparisons too.
Plane RandomPlane(unsigned seed)
{
    std::mt19937 rng(seed);
    Plane p;
    for (auto& v : p)
        v = rng() & 1;
    return p;
}

std::uint8_t At(const Plane& p, int x, int y) { return p[PictureData::Offset(x, y)]; }

// Applies a sequence and checks that each step was allowed; returns the
// final size.
QSize ApplyAll(Plane& p, QSize size, std::initializer_list<Transform> steps, std::optional<QRect> block = {})
{
    for (Transform t : steps) {
        const TransformResult r = ApplyTransform(p, t, size.width(), size.height(), block);
        EXPECT_TRUE(r.ok) << r.reason.toStdString();
        size = QSize(r.width, r.height);
        if (block)
            block = r.block;
    }
    return size;
}

// Every cell of the plane outside `keep` equals the original.
void ExpectUntouchedOutside(const Plane& before, const Plane& after, const QRect& keep)
{
    for (int y = 0; y < kPicRows; ++y) {
        for (int x = 0; x < kPicColumns; ++x) {
            if (!keep.contains(x, y)) {
                ASSERT_EQ(At(before, x, y), At(after, x, y)) << x << "," << y;
            }
        }
    }
}

using T = Transform;

}  // namespace

TEST(Transform, SequencesThatUndoThemselvesGiveBackThePlane)
{
    // Odd sizes, a block on the bottom-right edge and one at the origin;
    // square blocks turn in place, so the whole plane must come back.
    const struct {
        QSize size;
        std::optional<QRect> block;
    } cases[] = {
        {{13, 7}, {}},
        {{120, 120}, {}},
        {{13, 7}, QRect(9, 2, 4, 4)},
        {{240, 120}, QRect(235, 115, 5, 5)},
    };
    const std::initializer_list<T> sequences[] = {
        {T::RotateClockwise, T::RotateClockwise, T::RotateClockwise, T::RotateClockwise},
        {T::RotateCounterClockwise, T::RotateClockwise},
        {T::FlipHorizontal, T::FlipHorizontal},
        {T::FlipVertical, T::FlipVertical},
        {T::Invert, T::Invert},
        {T::ShiftLeft, T::ShiftRight},
        {T::ShiftUp, T::ShiftDown},
        {T::FlipHorizontal, T::FlipVertical, T::RotateClockwise, T::RotateClockwise},
    };
    unsigned seed = 1;
    for (const auto& c : cases) {
        for (const auto& seq : sequences) {
            const Plane original = RandomPlane(seed++);
            Plane p = original;
            EXPECT_EQ(ApplyAll(p, c.size, seq, c.block), c.size);
            if (c.block) {
                EXPECT_EQ(p, original);
                continue;
            }
            // The turned picture may have overwritten stale cells below
            // or beside it; the picture itself and the rest come back.
            const int side = std::max(c.size.width(), c.size.height());
            ExpectUntouchedOutside(original, p, QRect(0, 0, side, side));
            for (int y = 0; y < c.size.height(); ++y)
                for (int x = 0; x < c.size.width(); ++x)
                    ASSERT_EQ(At(p, x, y), At(original, x, y)) << c.size.width() << "x" << c.size.height();
        }
    }
}

TEST(Transform, EachStepMovesTheRightCellsAndNothingElse)
{
    const QSize size(13, 7);
    const Plane original = RandomPlane(7);
    const QRect block(8, 3, 5, 4);  // touches the right and bottom edges
    for (const std::optional<QRect>& b : {std::optional<QRect>(), std::optional<QRect>(block)}) {
        const QRect r = b ? *b : QRect(QPoint(0, 0), size);
        auto expect = [&](T t, auto source) {
            Plane p = original;
            const TransformResult res = ApplyTransform(p, t, size.width(), size.height(), b);
            ASSERT_TRUE(res.ok);
            EXPECT_EQ(res.changed, r);
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x) {
                    const QPoint s = source(x - r.left(), y - r.top());
                    ASSERT_EQ(At(p, x, y), At(original, r.left() + s.x(), r.top() + s.y()))
                        << int(t) << " at " << x << "," << y;
                }
            ExpectUntouchedOutside(original, p, r);
        };
        const int w = r.width(), h = r.height();
        expect(T::FlipHorizontal, [&](int i, int j) { return QPoint(w - 1 - i, j); });
        expect(T::FlipVertical, [&](int i, int j) { return QPoint(i, h - 1 - j); });
        expect(T::ShiftLeft, [&](int i, int j) { return QPoint((i + 1) % w, j); });
        expect(T::ShiftRight, [&](int i, int j) { return QPoint((i + w - 1) % w, j); });
        expect(T::ShiftUp, [&](int i, int j) { return QPoint(i, (j + 1) % h); });
        expect(T::ShiftDown, [&](int i, int j) { return QPoint(i, (j + h - 1) % h); });
    }
}

TEST(Transform, RotatingThePictureSwapsItsSizeAndKeepsStaleCells)
{
    const Plane original = RandomPlane(3);
    Plane p = original;
    const TransformResult r = ApplyTransform(p, T::RotateClockwise, 13, 7);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(QSize(r.width, r.height), QSize(7, 13));
    // Clockwise: the old bottom-left corner becomes the top-left one.
    EXPECT_EQ(At(p, 0, 0), At(original, 0, 6));
    EXPECT_EQ(At(p, 6, 0), At(original, 0, 0));
    EXPECT_EQ(At(p, 6, 12), At(original, 12, 0));
    ExpectUntouchedOutside(original, p, QRect(0, 0, 7, 13));
}

TEST(Transform, NonSquareBlockStaysInsideAndClearsWhatItLeaves)
{
    const Plane original = RandomPlane(5);
    // Away from the edges the turned block keeps its top-left corner and
    // four turns bring the block's content back.
    {
        Plane p = original;
        const QRect block(2, 1, 5, 3);
        const TransformResult r = ApplyTransform(p, T::RotateCounterClockwise, 13, 7, block);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.block, QRect(2, 1, 3, 5));
        EXPECT_EQ(r.changed, QRect(2, 1, 5, 5));
        EXPECT_EQ(At(p, 5, 1), 0);  // left behind: clear
        EXPECT_EQ(At(p, 2, 1), At(original, 6, 1));  // old top-right corner
        ExpectUntouchedOutside(original, p, r.changed);
        ApplyAll(p, {13, 7}, {T::RotateCounterClockwise, T::RotateCounterClockwise, T::RotateCounterClockwise},
            r.block);
        for (int y = block.top(); y <= block.bottom(); ++y)
            for (int x = block.left(); x <= block.right(); ++x)
                ASSERT_EQ(At(p, x, y), At(original, x, y));
    }
    // On the right edge a tall block is moved left to stay in the picture.
    {
        Plane p = original;
        const TransformResult r = ApplyTransform(p, T::RotateClockwise, 13, 7, QRect(11, 0, 2, 6));
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.block, QRect(7, 0, 6, 2));
        ExpectUntouchedOutside(original, p, r.changed);
    }
}

TEST(Transform, RefusalsChangeNothingAndSayWhy)
{
    const Plane original = RandomPlane(9);
    struct Case {
        T t;
        QSize size;
        std::optional<QRect> block;
    };
    const Case cases[] = {
        {T::RotateClockwise, {240, 120}, {}},      // would be 120 x 240
        {T::RotateCounterClockwise, {130, 10}, {}},
        {T::RotateClockwise, {40, 8}, QRect(0, 0, 10, 2)},  // 10 tall in an 8-high picture
        {T::Invert, {40, 8}, QRect(50, 50, 3, 3)},           // outside the picture
        {T::FlipVertical, {0, 8}, {}},
    };
    for (const Case& c : cases) {
        Plane p = original;
        const TransformResult r = ApplyTransform(p, c.t, c.size.width(), c.size.height(), c.block);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.reason.isEmpty());
        EXPECT_EQ(p, original);
    }
    // A block reaching past the picture is cut to it.
    const TransformResult r = PlanTransform(T::Invert, 40, 8, QRect(35, 5, 10, 10));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.changed, QRect(35, 5, 5, 3));
}
