#pragma once

namespace tobrin {

// The settings are numbered as their menus list them, from 1.
enum class PaintStyle { Black = 1, White, Reverse };
enum class LineStyle { Solid = 1, Empty, Dotted, Dashed, DotDash };
enum class FillStyle { Solid = 1, Transparent, Horizontal, Vertical, Cross, DiagonalLeft, DiagonalRight, CrossDiagonal };
// Pointer buttons; a move carries the held ones ORed together.
enum class MouseButton { None = 0, Left = 1, Right = 2, Middle = 4 };
// Mirror drawing: every stroke repeated about the vertical centre line, the
// horizontal one, or both.
enum class Mirror { Off = 0, Vertical = 1, Horizontal = 2, Both = 3 };

// Which part of the picture the canvas shows (picture indexes, inclusive).
struct ViewWindow {
    int ViewLeft = 0;
    int ViewTop = 0;
    int ViewRight = 39;
    int ViewBottom = 31;
    int ViewColumns = 40;
    int ViewRows = 32;
};

// The drawing window's settings and the state of the mouse machine. The
// current tool is the tool manager's (drawing/tools), not a number here.
struct DrawingState {
    ViewWindow view;
    tobrin::PaintStyle PaintStyle = PaintStyle::Black;
    bool WhiteTransparent = true;
    int PlotValue = 1;
    LineStyle LineStyleIndex = LineStyle::Solid;
    FillStyle FillStyleIndex = FillStyle::Transparent;
    int PatternDensity = 3;   // 2..10
    int PenWidth = 1;         // 1..10
    tobrin::Mirror Mirror = Mirror::Off;
    bool MouseIsDown = false;
    int StartX = 0, StartY = 0;
    int LastX = 0, LastY = 0;
    bool SelectionHeld = false;
    int MarqueeX1 = 0, MarqueeY1 = 0, MarqueeX2 = 0, MarqueeY2 = 0;  // canvas units
    // The cell a selection drag reached, and whether it drew a marquee at
    // all (a click without a drag selects nothing).
    int MarqueeEndX = 0, MarqueeEndY = 0;
    bool MarqueeShown = false;
    int MarqueePhase = 0;
};

}  // namespace tobrin
