#include "drawing/canvasview.h"

#include <QPointF>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "app/accessible.h"
#include "core/picturedocument.h"
#include "core/units.h"
#include "core/zoom.h"
#include "drawing/canvasmouse.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "drawing/selection.h"
#include "drawing/tools/tool.h"

namespace tobrin {

namespace {
constexpr QRgb kGuideColour = 0xFFFF0000u;  // the mirror axes
constexpr QRgb kAdvanceColour = 0xFF1E9E50u;   // a glyph's advance
constexpr QRgb kBaselineColour = 0xFF2F5FD0u;  // a font's baseline
}  // namespace

CanvasView::CanvasView(DrawingWindow& main) : QObject(&main), main_(main), zoomLevel_(zoom::kActualCellPixels)
{
    drawArea_ = new DrawArea(&main);
    drawArea_->move(units::ToPixels(canvasgeometry::kCanvasLeft), units::ToPixels(canvasgeometry::kCanvasTop));
    CanvasMouse* mouse = &main.Mouse();
    connect(drawArea_, &DrawArea::MouseDown, this, [mouse](MouseButton b, Qt::KeyboardModifiers m, double x, double y) {
        mouse->DrawArea_MouseDown(b, m, x, y);
    });
    connect(drawArea_, &DrawArea::MouseMove, this, [mouse](MouseButton b, Qt::KeyboardModifiers m, double x, double y) {
        mouse->DrawArea_MouseMove(b, m, x, y);
    });
    connect(drawArea_, &DrawArea::MouseUp, this, [mouse](MouseButton b, Qt::KeyboardModifiers m, double x, double y) {
        mouse->DrawArea_MouseUp(b, m, x, y);
    });
    connect(drawArea_, &DrawArea::ZoomWheel, this, [this](int steps, double x, double y) {
        int level = zoomLevel_;
        for (; steps > 0; --steps)
            level = ZoomInStep(level);
        for (; steps < 0; ++steps)
            level = ZoomOutStep(level);
        const QPointF point(x, y);
        ZoomTo(level, &point);
    });

    hScroll_ = new QScrollBar(Qt::Horizontal, &main);
    hScroll_->setObjectName(QStringLiteral("HSizeScroll"));
    hScroll_->hide();
    connect(hScroll_, &QScrollBar::valueChanged, this, [this] { HSizeScroll_Change(); });
    vScroll_ = new QScrollBar(Qt::Vertical, &main);
    vScroll_->setObjectName(QStringLiteral("VSizeScroll"));
    vScroll_->hide();
    connect(vScroll_, &QScrollBar::valueChanged, this, [this] { VSizeScroll_Change(); });
    SetAccessible(drawArea_, QStringLiteral("Drawing canvas"),
                  QStringLiteral("The picture, one square per pixel: draw with the chosen tool"));
    SetAccessible(hScroll_, QStringLiteral("Drawing canvas, horizontal scroll bar"),
                  QStringLiteral("Scrolls the picture sideways"));
    SetAccessible(vScroll_, QStringLiteral("Drawing canvas, vertical scroll bar"),
                  QStringLiteral("Scrolls the picture up and down"));
}

void CanvasView::Follow()
{
    // The view follows the document: every size applied lays the canvas out
    // again, every change of pixels repaints (either also ends a marquee).
    PictureDocument& doc = main_.Document();
    layout_ = ComputeCanvasLayout(1e9, 1e9, doc.MaxX(), doc.MaxY(), 0, 0);
    connect(&doc, &PictureDocument::sizeChanged, this, [this] {
        LayoutCanvas();
        RedrawAll();
    });
    connect(&doc, &PictureDocument::pixelsChanged, this, &CanvasView::RedrawAll);
}

void CanvasView::SetZoomLevel(int cellPixels) { zoomLevel_ = ClampCellPixels(cellPixels); }

void CanvasView::ShowTentative(int x, int y, QRgb colour)
{
    const ViewWindow& v = main_.State().view;
    if (x < v.ViewLeft || x > v.ViewRight || y < v.ViewTop || y > v.ViewBottom)
        return;
    drawArea_->PaintSquare(x - v.ViewLeft, y - v.ViewTop, colour);
    tentative_.emplace_back(x, y);
}

void CanvasView::ClearTentative()
{
    // A marquee lies on the grid lines, which only a whole redraw renews.
    if (main_.SelectionTool().DashTimer()->isActive()) {
        RedrawAll();
        return;
    }
    const ViewWindow& v = main_.State().view;
    for (const QPoint& p : tentative_)
        if (p.x() >= v.ViewLeft && p.x() <= v.ViewRight && p.y() >= v.ViewTop && p.y() <= v.ViewBottom)
            drawArea_->PaintSquare(p.x() - v.ViewLeft, p.y() - v.ViewTop, CellColour(p.x(), p.y()));
    if (!tentative_.empty())
        DrawMirrorGuides();  // an odd axis runs through squares
    tentative_.clear();
}

void CanvasView::LayoutCanvas()
{
    const PictureData& decl = main_.Document().Data();
    const double W = units::ToUnits(main_.width());
    const double H = units::ToUnits(main_.height());
    const double hBar = units::ToUnits(main_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, hScroll_));
    const double vBar = units::ToUnits(main_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, vScroll_));
    const CanvasLayoutFacts f =
        ComputeCanvasLayout(W, H, decl.MaxX, decl.MaxY, hBar, vBar, CellGeometryFor(zoomLevel_));
    layout_ = f;

    ViewWindow& v = main_.State().view;
    v.ViewColumns = f.ViewColumns;
    v.ViewRows = f.ViewRows;
    v.ViewLeft = f.ViewLeft;
    v.ViewRight = f.ViewRight;
    v.ViewTop = f.ViewTop;
    v.ViewBottom = f.ViewBottom;

    drawArea_->move(units::ToPixels(canvasgeometry::kCanvasLeft), units::ToPixels(canvasgeometry::kCanvasTop));
    drawArea_->SetCanvasZoomed(f.canvasWidth, f.canvasHeight, f.canvasPixelWidth, f.canvasPixelHeight, f.cells);

    // The bars' change handlers would only repeat what is set here.
    auto placeBar = [](QScrollBar* bar, const ScrollBarFacts& b) {
        const QSignalBlocker block(bar);
        if (!b.visible) {
            bar->hide();  // its range stays as it was
            return;
        }
        const int left = units::ToPixels(b.left), top = units::ToPixels(b.top);
        bar->setGeometry(left, top, units::ToPixels(b.left + b.width) - left,
                         units::ToPixels(b.top + b.height) - top);
        bar->setRange(0, b.maximum);
        bar->setValue(0);
        bar->setPageStep(b.pageStep);
        bar->setSingleStep(1);
        bar->show();
    };
    placeBar(hScroll_, f.hBar);
    placeBar(vScroll_, f.vBar);

    // The rebuilt canvas shows the cells of the new view at once, and the
    // marks a tool keeps.
    PaintViewCells();
    main_.CurrentTool().Redrawn(main_.Environment());
}

void CanvasView::ZoomTo(int cellPixels, const QPointF* pointUnits)
{
    cellPixels = ClampCellPixels(cellPixels);
    if (cellPixels == zoomLevel_)
        return;
    const CanvasLayoutFacts before = layout_;
    const int viewLeft = main_.State().view.ViewLeft, viewTop = main_.State().view.ViewTop;
    const QPointF point = pointUnits ? *pointUnits : QPointF(before.canvasWidth / 2.0, before.canvasHeight / 2.0);
    zoomLevel_ = cellPixels;
    // The held selection's outline is drawn in canvas units: it is redrawn
    // round the same cells at the new size.
    main_.SelectionTool().StopMarquee();
    LayoutCanvas();
    const PictureData& decl = main_.Document().Data();
    const ZoomAnchor a = ComputeZoomAnchor(point.x(), point.y(), before.cells, viewLeft, viewTop, layout_.cells,
                                           layout_, decl.MaxX, decl.MaxY);
    {
        const QSignalBlocker blockH(hScroll_), blockV(vScroll_);
        if (!hScroll_->isHidden())
            hScroll_->setValue(a.viewLeft);
        if (!vScroll_->isHidden())
            vScroll_->setValue(a.viewTop);
    }
    ViewWindow& v = main_.State().view;
    v.ViewLeft = hScroll_->isHidden() ? 0 : hScroll_->value();
    v.ViewRight = v.ViewLeft + v.ViewColumns - 1;
    v.ViewTop = vScroll_->isHidden() ? 0 : vScroll_->value();
    v.ViewBottom = v.ViewTop + v.ViewRows - 1;
    if (const std::optional<QRect> block = main_.HeldBlock())
        main_.SelectionTool().Hold(*block);
    RedrawAll();
    emit zoomChanged(cellPixels);
}

void CanvasView::FitToWindow()
{
    const PictureData& decl = main_.Document().Data();
    ZoomTo(FitCellPixels(units::ToUnits(main_.width()), units::ToUnits(main_.height()), decl.MaxX, decl.MaxY));
}

void CanvasView::HSizeScroll_Change()
{
    // A hidden bar keeps its old range, so a value set on it may lie past a
    // picture that has since shrunk: the view stays inside the picture.
    ViewWindow& v = main_.State().view;
    v.ViewLeft = std::clamp(hScroll_->value(), 0, std::max(0, main_.Document().MaxX() + 1 - v.ViewColumns));
    v.ViewRight = v.ViewLeft + v.ViewColumns - 1;
    RedrawAll();
}

void CanvasView::VSizeScroll_Change()
{
    ViewWindow& v = main_.State().view;
    v.ViewTop = std::clamp(vScroll_->value(), 0, std::max(0, main_.Document().MaxY() + 1 - v.ViewRows));
    v.ViewBottom = v.ViewTop + v.ViewRows - 1;
    RedrawAll();
}

void CanvasView::Relocate(double& x, double& y)
{
    const PictureData& decl = main_.Document().Data();
    const ViewWindow& v = main_.State().view;
    ScrollBarFacts h = layout_.hBar, vb = layout_.vBar;
    h.visible = !hScroll_->isHidden();
    h.maximum = hScroll_->maximum();
    vb.visible = !vScroll_->isHidden();
    vb.maximum = vScroll_->maximum();
    const RelocateTarget t = ComputeRelocate(x, y, decl.MaxX, decl.MaxY, v.ViewColumns, v.ViewRows, h, vb);
    if (t.moveH)
        hScroll_->setValue(t.hValue);
    if (t.moveV)
        vScroll_->setValue(t.vValue);
}

std::pair<const std::uint8_t*, const std::uint8_t*> CanvasView::OnionPlanes() const
{
    const PictureDocument& doc = main_.Document();
    const Session::OnionSkin& onion = main_.session().onion;
    const int current = doc.CurrentFrame();
    const std::uint8_t* previous =
        onion.previous && current > 0 ? doc.FramePlane(current - 1).data() : nullptr;
    const std::uint8_t* next =
        onion.next && current + 1 < doc.FrameCount() ? doc.FramePlane(current + 1).data() : nullptr;
    return {previous, next};
}

namespace {

QRgb Shown(std::uint8_t cell, const std::uint8_t* previous, const std::uint8_t* next, int offset)
{
    if (cell)
        return DrawArea::kSetColour;
    const bool before = previous && previous[offset];
    const bool after = next && next[offset];
    if (before)
        return after ? DrawArea::kOnionBothColour : DrawArea::kOnionPreviousColour;
    return after ? DrawArea::kOnionNextColour : DrawArea::kClearColour;
}

}  // namespace

QRgb CanvasView::CellColour(int x, int y) const
{
    const auto [previous, next] = OnionPlanes();
    return Shown(main_.Document().Data().Pic(x, y), previous, next, PictureData::Offset(x, y));
}

void CanvasView::PaintViewCells()
{
    const PictureData& decl = main_.Document().Data();
    const auto [previous, next] = OnionPlanes();
    const ViewWindow& v = main_.State().view;
    const int columns = v.ViewRight - v.ViewLeft + 1;
    const int rows = v.ViewBottom - v.ViewTop + 1;
    if (columns <= 0 || rows <= 0)
        return;
    std::vector<QRgb>& colours = cellColours_;
    colours.resize(static_cast<size_t>(columns) * rows);
    for (int r = 0; r < rows; ++r) {
        const int start = PictureData::Offset(v.ViewLeft, v.ViewTop + r);
        const std::uint8_t* pic = &decl.PicData[start];
        QRgb* out = &colours[static_cast<size_t>(r) * columns];
        if (!previous && !next) {
            for (int c = 0; c < columns; ++c)
                out[c] = pic[c] ? DrawArea::kSetColour : DrawArea::kClearColour;
            continue;
        }
        for (int c = 0; c < columns; ++c)
            out[c] = Shown(pic[c], previous, next, start + c);
    }
    drawArea_->PaintSquares(columns, rows, colours.data());
}

void CanvasView::RedrawAll()
{
    // Every cell of the view, clear ones included, so tentative squares go.
    PaintViewCells();
    tentative_.clear();
    DrawMirrorGuides();
    DrawFontGuides();
    main_.SelectionTool().StopMarquee();
    main_.CurrentTool().Redrawn(main_.Environment());
}

void CanvasView::DrawMirrorGuides()
{
    const Mirror m = main_.State().Mirror;
    if (m == Mirror::Off)
        return;
    // Each axis runs through the middle of the area: along a cell border
    // for an even side, through the middle of the centre cell for an odd one.
    const QRect area = main_.MirrorArea();
    const ViewWindow& v = main_.State().view;
    const CellGeometry& cells = drawArea_->Cells();
    auto axis = [&cells](int first, int last, int viewFirst) {
        const int twice = first + last + 1 - 2 * viewFirst;  // the axis in half cells
        return twice % 2 == 0 ? cells.BorderUnits(twice / 2)
                              : (cells.BorderUnits(twice / 2) + cells.BorderUnits(twice / 2 + 1)) / 2;
    };
    const int top = cells.BorderUnits(std::max(area.top(), v.ViewTop) - v.ViewTop);
    const int bottom = cells.BorderUnits(std::min(area.bottom(), v.ViewBottom) + 1 - v.ViewTop);
    const int left = cells.BorderUnits(std::max(area.left(), v.ViewLeft) - v.ViewLeft);
    const int right = cells.BorderUnits(std::min(area.right(), v.ViewRight) + 1 - v.ViewLeft);
    if (m == Mirror::Vertical || m == Mirror::Both) {
        const int x = axis(area.left(), area.right(), v.ViewLeft);
        drawArea_->DrawOutline(x, top, x, bottom, kGuideColour, DrawArea::Stroke::Solid);
    }
    if (m == Mirror::Horizontal || m == Mirror::Both) {
        const int y = axis(area.top(), area.bottom(), v.ViewTop);
        drawArea_->DrawOutline(left, y, right, y, kGuideColour, DrawArea::Stroke::Solid);
    }
}

void CanvasView::DrawFontGuides()
{
    const PictureDocument& doc = main_.Document();
    const QPoint guides = doc.IsFont() ? QPoint(doc.GlyphAdvance(doc.CurrentFrame()), doc.FontAscent()) : QPoint(-1, -1);
    if (guides != drawnGuides_ && drawnGuides_ != QPoint(-1, -1)) {
        // The squares are painted again, the grid lines under them are not:
        // guides that moved are wiped with the grid.
        drawnGuides_ = QPoint(-1, -1);
        drawArea_->RedrawGrid();
        RedrawAll();
        return;
    }
    drawnGuides_ = guides;
    if (!doc.IsFont())
        return;
    // Lines along cell borders, across the whole view: the advance after
    // its last column, the baseline under the last row above it.
    const ViewWindow& v = main_.State().view;
    const CellGeometry& cells = drawArea_->Cells();
    const int right = cells.BorderUnits(v.ViewRight + 1 - v.ViewLeft);
    const int bottom = cells.BorderUnits(v.ViewBottom + 1 - v.ViewTop);
    const int advance = doc.GlyphAdvance(doc.CurrentFrame());
    // Three pixels wide where the zoom leaves room, so they stand out from the grid.
    const int half = cells.cell >= 8 ? 1 : 0;
    if (advance >= v.ViewLeft && advance <= v.ViewRight + 1) {
        const int x = cells.BorderUnits(advance - v.ViewLeft);
        for (int d = -half; d <= half; ++d) {
            const int at = x + int(units::ToUnits(d));
            drawArea_->DrawOutline(at, 0, at, bottom, kAdvanceColour, DrawArea::Stroke::Solid);
        }
    }
    const int baseline = doc.FontAscent();
    if (baseline >= v.ViewTop && baseline <= v.ViewBottom + 1) {
        const int y = cells.BorderUnits(baseline - v.ViewTop);
        for (int d = -half; d <= half; ++d) {
            const int at = y + int(units::ToUnits(d));
            drawArea_->DrawOutline(0, at, right, at, kBaselineColour, DrawArea::Stroke::Solid);
        }
    }
}

}  // namespace tobrin
