#pragma once

#include <QRect>
#include <QString>
#include <optional>

#include "core/picturedata.h"

namespace tobrin {

// Whole-picture and block transforms of the "&Picture" menu. They work on
// a bare plane (the 241 x 121 layout of PicData) and a picture size, so
// any owner of the pixels can use them. Only the cells reported in
// `changed` may be written; every other cell of the plane, including the
// stale content outside the picture, keeps its bytes.
enum class Transform {
    FlipHorizontal,
    FlipVertical,
    RotateClockwise,
    RotateCounterClockwise,
    Invert,
    ShiftLeft,   // one pixel, the left column wraps round to the right
    ShiftRight,
    ShiftUp,
    ShiftDown,
};

struct TransformResult {
    bool ok = false;
    QString reason;    // why nothing changed, when !ok; for the user
    int width = 0;     // picture size afterwards (rotations of the whole
    int height = 0;    // picture swap it)
    QRect block;       // the block afterwards (the whole picture without one)
    QRect changed;     // bounding rectangle of every cell that may differ
};

// What `ApplyTransform` would do, without doing it: menus grey an entry
// whose result is not ok and can show the reason.
//
// block: picture cells to act on (a selection); clipped to the picture.
// Without one the whole width x height picture is transformed.
//
// Rotating the whole picture swaps width and height and is refused when
// the result would be larger than 240 x 120. Rotating a block keeps its
// top-left corner; where the turned block would reach beyond the picture
// it is moved left or up just far enough to lie inside, and it is refused
// only when it is longer than the picture in either direction. Cells the
// block leaves behind become clear (white), and the cells it newly covers
// are overwritten, so a square block turns in place and a non-square one
// comes back after four turns as long as it never had to be moved.
TransformResult PlanTransform(Transform t, int width, int height,
                              const std::optional<QRect>& block = std::nullopt);

// Carries the transform out on `plane` when PlanTransform allows it; the
// result is the plan either way.
TransformResult ApplyTransform(PictureData::Plane& plane, Transform t, int width, int height,
                               const std::optional<QRect>& block = std::nullopt);

}  // namespace tobrin
