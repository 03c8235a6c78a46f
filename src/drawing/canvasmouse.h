#pragma once

namespace tobrin {

class DrawingWindow;

// The mouse state machine of the canvas: press, move and release in canvas
// units (100 per cell, origin at the view's first cell). Buttons: 1 left,
// 2 right, 4 middle; a move carries the held buttons ORed together.
class CanvasMouse {
public:
    explicit CanvasMouse(DrawingWindow& main) : main_(main) {}

    void DrawArea_MouseDown(int button, int shift, double X, double Y);
    void DrawArea_MouseMove(int button, int shift, double X, double Y);
    void DrawArea_MouseUp(int button, int shift, double X, double Y);

private:
    void SwapPaintColour();

    DrawingWindow& main_;
};

}  // namespace tobrin
