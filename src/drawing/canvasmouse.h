#pragma once

#include <Qt>

#include "core/drawingstate.h"

namespace tobrin {

class DrawingWindow;

// The mouse state machine of the canvas: press, move and release in canvas
// units (cells of the canvas's zoom, origin at the view's first cell). It
// keeps the drag's cells in the drawing state and hands each step to the
// current tool; the right button swaps the paint colour.
class CanvasMouse {
public:
    explicit CanvasMouse(DrawingWindow& main) : main_(main) {}

    void DrawArea_MouseDown(MouseButton button, Qt::KeyboardModifiers modifiers, double X, double Y);
    void DrawArea_MouseMove(MouseButton buttons, Qt::KeyboardModifiers modifiers, double X, double Y);
    void DrawArea_MouseUp(MouseButton button, Qt::KeyboardModifiers modifiers, double X, double Y);

private:
    void SwapPaintColour();
    // A font's guides: the advance (a column border) and the baseline (a
    // row border) are dragged by a press on their line.
    enum class Guide { None, Advance, Baseline };
    Guide GuideAt(double X, double Y) const;
    void DragGuide(double X, double Y);
    Guide dragging_ = Guide::None;

    DrawingWindow& main_;
};

}  // namespace tobrin
