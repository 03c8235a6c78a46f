#include "drawing/canvasmouse.h"

#include <QPoint>

#include "core/canvaslayout.h"
#include "core/picturedocument.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "drawing/toolsettings.h"
#include "drawing/tools/tool.h"

namespace tobrin {

void CanvasMouse::SwapPaintColour()
{
    DrawingState& s = main_.State();
    if (s.PaintStyle == PaintStyle::Black) {
        main_.Tools().SetPaintStyle(PaintStyle::White);
        main_.Tools().SetWhiteTransparent(false);
    } else if (s.PaintStyle == PaintStyle::White) {
        main_.Tools().SetPaintStyle(PaintStyle::Black);
    }
}

void CanvasMouse::DrawArea_MouseDown(MouseButton button, Qt::KeyboardModifiers modifiers, double X, double Y)
{
    DrawingState& s = main_.State();
    if (button == MouseButton::Right) {
        // The right button swaps "Black" and "White" and ends whatever is
        // under way as a release would; under "Reverse" it does nothing.
        if (s.PaintStyle == PaintStyle::Reverse)
            return;
        SwapPaintColour();
        DrawArea_MouseUp(button, modifiers, X, Y);
        return;
    }

    // A press starts a history step; only a change it makes marks the
    // picture unsaved.
    main_.Document().BackUp();

    const ViewWindow& v = s.view;
    // The cell under the pointer at the canvas's zoom level.
    const CellGeometry& cells = main_.Canvas()->Cells();
    const int cx = cells.CellAtUnits(X), cy = cells.CellAtUnits(Y);
    if (cx > v.ViewColumns - 1 || cy > v.ViewRows - 1 || cx < 0 || cy < 0)
        return;  // beyond the last whole cell

    const QPoint cell(cx + v.ViewLeft, cy + v.ViewTop);
    s.MouseIsDown = true;
    s.StartX = cell.x();
    s.StartY = cell.y();
    s.MarqueeShown = false;
    main_.CurrentTool().Press(main_.Environment(), cell, modifiers);
    s.LastX = cell.x();
    s.LastY = cell.y();
}

void CanvasMouse::DrawArea_MouseMove(MouseButton buttons, Qt::KeyboardModifiers modifiers, double X, double Y)
{
    DrawingState& s = main_.State();
    const DrawArea* canvas = main_.Canvas();
    if (X < 0 || Y < 0 || X > canvas->CanvasWidthUnits() || Y > canvas->CanvasHeightUnits())
        return;
    const ViewWindow& v = s.view;
    const CellGeometry& cells = main_.Canvas()->Cells();
    const int x = cells.CellAtUnits(X) + v.ViewLeft, y = cells.CellAtUnits(Y) + v.ViewTop;
    // Compared with the last press (or pen stamp), not the previous move.
    if (x == s.LastX && y == s.LastY)
        return;

    Tool& tool = main_.CurrentTool();
    main_.Tools().ShowCoordinates(x, y);
    main_.Canvas()->setCursor(tool.Cursor());
    if (!s.MouseIsDown)
        return;
    if (tool.info().pressOnEveryCell)
        DrawArea_MouseDown(buttons, modifiers, X, Y);
    else
        tool.Move(main_.Environment(), QPoint(x, y), modifiers);
}

void CanvasMouse::DrawArea_MouseUp(MouseButton, Qt::KeyboardModifiers, double, double)
{
    DrawingState& s = main_.State();
    const bool down = s.MouseIsDown;
    s.MouseIsDown = false;
    main_.CurrentTool().Release(main_.Environment(), down);
}

}  // namespace tobrin
