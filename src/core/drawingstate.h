#pragma once

namespace tobrin {

// Tools of the tool toolbar; Paste is the pasted block being placed.
enum ToolIndex { kToolSelection = 1, kToolPen = 2, kToolLine = 3, kToolBox = 4,
                 kToolCircle = 5, kToolFill = 6, kToolPaste = 7 };
enum PaintStyleIndex { kPaintBlack = 1, kPaintWhite = 2, kPaintReverse = 3 };

// Which part of the picture the canvas shows (picture indexes, inclusive).
struct ViewWindow {
    int ViewLeft = 0;
    int ViewTop = 0;
    int ViewRight = 39;
    int ViewBottom = 31;
    int ViewColumns = 40;
    int ViewRows = 32;
};

// The drawing window's settings and the state of the mouse machine.
struct DrawingState {
    ViewWindow view;
    int PaintStyle = kPaintBlack;
    bool WhiteTransparent = true;
    int PlotValue = 1;
    int CurrentTool = kToolPen;
    int PreviousTool = kToolPen;
    int LineStyleIndex = 1;   // 1 Solid .. 5 Dot - Dash
    int FillStyleIndex = 2;   // 1 Solid .. 8 Cross diagonal
    int PatternDensity = 3;   // 2..10
    int PenWidth = 1;         // 1..10
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
