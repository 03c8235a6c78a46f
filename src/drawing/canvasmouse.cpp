#include "drawing/canvasmouse.h"

#include <QPoint>
#include <cmath>

#include "core/canvaslayout.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "drawing/selection.h"
#include "drawing/toolsettings.h"

namespace tobrin {

namespace {

constexpr int kRightButton = 2;


}  // namespace

void CanvasMouse::SwapPaintColour()
{
    DrawingState& s = main_.State();
    if (s.PaintStyle == kPaintBlack) {
        s.PaintStyle = kPaintWhite;
        s.WhiteTransparent = false;
        main_.Tools().ShowWhiteTransparent(false);
    } else if (s.PaintStyle == kPaintWhite) {
        s.PaintStyle = kPaintBlack;
    }
    main_.Tools().ShowPaintStyle(s.PaintStyle);
}

void CanvasMouse::DrawArea_MouseDown(int button, int shift, double X, double Y)
{
    DrawingState& s = main_.State();
    if (button == kRightButton) {
        // The right button swaps "Black" and "White" and ends whatever is
        // under way as a release would; under "Reverse" it does nothing.
        if (s.PaintStyle == kPaintReverse)
            return;
        SwapPaintColour();
        DrawArea_MouseUp(button, shift, X, Y);
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

    const int x = cx + v.ViewLeft, y = cy + v.ViewTop;
    s.MouseIsDown = true;
    s.StartX = x;
    s.StartY = y;
    s.MarqueeShown = false;

    ScratchSurface& holder = main_.Holder();
    switch (s.CurrentTool) {
    case kToolPen:
        // Stamps of one stroke accumulate on the scratch surface. When it
        // does not hold the view (a captured selection, a new view size),
        // it is loaded first so no stamp is lost.
        if (holder.AreaWidth() != v.ViewRight - v.ViewLeft + 1
            || holder.AreaHeight() != v.ViewBottom - v.ViewTop + 1)
            main_.LoadHolder();
        holder.DrawPen(QPoint(x - v.ViewLeft, y - v.ViewTop));
        main_.TransferHolder(false);
        break;
    case kToolFill:
        if (s.PaintStyle != kPaintReverse) {
            main_.LoadHolder();
            // The boundary is the colour opposite to the clicked pixel.
            const QRgb boundary =
                main_.Document().Pic(x, y) == 1 ? ScratchSurface::kWhite : ScratchSurface::kBlack;
            holder.FloodFill(QPoint(x - v.ViewLeft, y - v.ViewTop), boundary);
            main_.TransferHolder(true);
        }
        break;
    default:
        break;
    }
    s.LastX = x;
    s.LastY = y;
}

void CanvasMouse::DrawArea_MouseMove(int button, int shift, double X, double Y)
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

    main_.Tools().ShowCoordinates(x, y);
    main_.Canvas()->setCursor(Qt::CrossCursor);
    if (!s.MouseIsDown)
        return;

    if (s.CurrentTool > kToolPen) {
        // Wipe the previous preview from the scratch surface and the canvas.
        main_.LoadHolder();
        main_.RedrawAll();
    }

    ScratchSurface& holder = main_.Holder();
    const QPoint a(s.StartX - v.ViewLeft, s.StartY - v.ViewTop);
    const QPoint b(x - v.ViewLeft, y - v.ViewTop);
    switch (s.CurrentTool) {
    case kToolSelection:
        main_.SelectionTool().MarqueeStep(x, y);
        break;
    case kToolPen:
        DrawArea_MouseDown(button, shift, X, Y);
        break;
    case kToolLine:
        holder.DrawLine(a, b);
        main_.TransferHolder(false);
        break;
    case kToolBox:
        holder.DrawBox(a, b);
        main_.TransferHolder(false);
        break;
    case kToolCircle:
        // The radius is the horizontal distance only; at least 1.
        holder.DrawCircle(a, x <= s.StartX ? 1 : x - s.StartX);
        main_.TransferHolder(false);
        break;
    case kToolPaste:
        main_.SelectionTool().BlockMove(x - s.StartX, y - s.StartY);
        break;
    default:
        break;
    }
}

void CanvasMouse::DrawArea_MouseUp(int, int, double, double)
{
    DrawingState& s = main_.State();
    if (s.CurrentTool == kToolSelection && s.MouseIsDown)
        main_.SelectionTool().Capture();
    if (s.CurrentTool > kToolSelection)
        main_.TransferHolder(true);
    if (s.CurrentTool == kToolPaste) {
        // The pasted block has been placed.
        s.CurrentTool = s.PreviousTool;
        main_.Tools().ShowToolPressed(s.CurrentTool);
    }
    s.MouseIsDown = false;
}

}  // namespace tobrin
