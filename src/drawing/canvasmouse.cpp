#include "drawing/canvasmouse.h"

#include <QPoint>

#include "core/canvaslayout.h"
#include "core/picturedocument.h"
#include "core/units.h"
#include <cmath>
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

    if ((dragging_ = GuideAt(X, Y)) != Guide::None)
        return;

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
    if (dragging_ != Guide::None) {
        DragGuide(X, Y);
        return;
    }
    if (!s.MouseIsDown) {
        const Guide over = GuideAt(X, Y);
        if (over != Guide::None) {
            main_.Canvas()->setCursor(over == Guide::Advance ? Qt::SplitHCursor : Qt::SplitVCursor);
            s.LastX = s.LastY = -1;  // the tool's cursor comes back on the next cell
            return;
        }
    }
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
    if (dragging_ != Guide::None) {
        dragging_ = Guide::None;
        return;
    }
    const bool down = s.MouseIsDown;
    s.MouseIsDown = false;
    main_.CurrentTool().Release(main_.Environment(), down);
}

CanvasMouse::Guide CanvasMouse::GuideAt(double X, double Y) const
{
    const PictureDocument& doc = main_.Document();
    if (!doc.IsFont())
        return Guide::None;
    // On the guide, or two pixels either side of it: the squares beside it
    // stay for drawing.
    const ViewWindow& v = main_.State().view;
    const CellGeometry& cells = main_.Canvas()->Cells();
    const int advance = doc.GlyphAdvance(doc.CurrentFrame()) - v.ViewLeft;
    const int baseline = doc.FontAscent() - v.ViewTop;
    auto near = [&cells](double at, int border, int count) {
        if (border < 0 || border > count)
            return false;
        const int line = cells.BorderUnits(border);
        return std::abs(at - line) <= units::ToUnits(2);
    };
    if (near(X, advance, v.ViewColumns))
        return Guide::Advance;
    if (near(Y, baseline, v.ViewRows))
        return Guide::Baseline;
    return Guide::None;
}

void CanvasMouse::DragGuide(double X, double Y)
{
    // The guide goes to the border nearest the pointer.
    const ViewWindow& v = main_.State().view;
    const CellGeometry& cells = main_.Canvas()->Cells();
    auto border = [&cells](double at) {
        const int cell = cells.CellAtUnits(at);
        return at - cells.BorderUnits(cell) < cells.BorderUnits(cell + 1) - at ? cell : cell + 1;
    };
    PictureDocument& doc = main_.Document();
    if (dragging_ == Guide::Advance)
        doc.SetGlyphAdvance(doc.CurrentFrame(), border(X) + v.ViewLeft);
    else
        doc.SetFontAscent(border(Y) + v.ViewTop);
}

}  // namespace tobrin
