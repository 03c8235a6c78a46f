#include "drawing/selection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <algorithm>

#include "core/canvaslayout.h"
#include "drawing/canvasview.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "drawing/toolsettings.h"

namespace tobrin {

namespace {

// The cells from a to b, both included, in either direction.
QRect CellBlock(QPoint a, QPoint b)
{
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

constexpr QRgb kOpaqueBlack = 0xFF000000u;
constexpr QRgb kOpaqueWhite = 0xFFFFFFFFu;

// The mark a clipboard pixel gives: red for pure black, cyan for pure
// white, none (0) for anything else, transparent pixels included.
QRgb MarkFor(QRgb pixel)
{
    if (pixel == kOpaqueBlack)
        return ScratchSurface::kRed;
    if (pixel == kOpaqueWhite)
        return ScratchSurface::kCyan;
    return 0;
}

}  // namespace

Selection::Selection(DrawingWindow& main) : QObject(&main), main_(main)
{
    dashTimer_ = new QTimer(&main);
    dashTimer_->setObjectName(QStringLiteral("DashTimer"));
    dashTimer_->setInterval(300);
    connect(dashTimer_, &QTimer::timeout, this, &Selection::DashTimer_Timer);
}

bool Selection::ClipboardHasImage()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    return data && data->hasImage();
}

void Selection::MarqueeStep(int x, int y)
{
    DrawingState& s = main_.State();
    const ViewWindow& v = s.view;
    main_.LoadHolder();
    main_.View().ClearTentative();
    main_.Holder().DrawSelectionRect(QPoint(s.StartX - v.ViewLeft, s.StartY - v.ViewTop),
                                     QPoint(x - v.ViewLeft, y - v.ViewTop));
    DrawArea* canvas = main_.Canvas();
    canvas->DrawOutline(s.MarqueeX1, s.MarqueeY1, s.MarqueeX2, s.MarqueeY2, DrawArea::kSetColour,
                        DrawArea::Stroke::Solid);
    dashTimer_->start();
    // The marquee goes round every cell from the press to the pointer,
    // both included: exactly the block the selection will hold.
    s.MarqueeEndX = x;
    s.MarqueeEndY = y;
    s.MarqueeShown = true;
    SetMarqueeAround(CellBlock(QPoint(s.StartX, s.StartY), QPoint(x, y)));
    canvas->DrawOutline(s.MarqueeX1, s.MarqueeY1, s.MarqueeX2, s.MarqueeY2, DrawArea::kClearColour,
                        DrawArea::Stroke::Dotted);
}

void Selection::DashTimer_Timer()
{
    DrawingState& s = main_.State();
    DrawArea* canvas = main_.Canvas();
    // The two phases swap the colours of dots and gaps: the marquee marches.
    QRgb under, dots;
    if (s.MarqueePhase == 1) {
        s.MarqueePhase = 0;
        under = DrawArea::kClearColour;
        dots = DrawArea::kSetColour;
    } else {
        under = DrawArea::kSetColour;
        dots = DrawArea::kClearColour;
        s.MarqueePhase = 1;
    }
    canvas->DrawOutline(s.MarqueeX1, s.MarqueeY1, s.MarqueeX2, s.MarqueeY2, under, DrawArea::Stroke::Solid);
    canvas->DrawOutline(s.MarqueeX1, s.MarqueeY1, s.MarqueeX2, s.MarqueeY2, dots, DrawArea::Stroke::Dotted);
}

void Selection::StopMarquee()
{
    if (!dashTimer_->isActive())
        return;
    dashTimer_->stop();
    const DrawingState& s = main_.State();
    main_.Canvas()->DrawOutline(s.MarqueeX1, s.MarqueeY1, s.MarqueeX2, s.MarqueeY2, DrawArea::kSetColour,
                                DrawArea::Stroke::Solid);
}

void Selection::Capture()
{
    DrawingState& s = main_.State();
    // The block is the marquee's, whatever the line width the outline was
    // drawn with; a click that drew no marquee selects nothing.
    if (!s.MarqueeShown) {
        s.SelectionHeld = false;
        if (s.Mirror != Mirror::Off)
            main_.MirrorChanged();
        return;
    }
    s.MarqueeShown = false;
    const QRect block = CellBlock(QPoint(s.StartX, s.StartY), QPoint(s.MarqueeEndX, s.MarqueeEndY));
    s.StartX = block.left();
    s.StartY = block.top();
    s.LastX = block.right();
    s.LastY = block.bottom();
    TakeBlock();
    // Mirror drawing that is on goes about the new selection's centre lines.
    if (s.Mirror != Mirror::Off)
        main_.MirrorChanged();
}

void Selection::SetMarqueeAround(const QRect& block)
{
    DrawingState& s = main_.State();
    const ViewWindow& v = s.view;
    const CellGeometry& cells = main_.Canvas()->Cells();
    s.MarqueeX1 = cells.BorderUnits(block.left() - v.ViewLeft);
    s.MarqueeY1 = cells.BorderUnits(block.top() - v.ViewTop);
    s.MarqueeX2 = cells.BorderUnits(block.right() + 1 - v.ViewLeft);
    s.MarqueeY2 = cells.BorderUnits(block.bottom() + 1 - v.ViewTop);
}

void Selection::Hold(const QRect& block)
{
    DrawingState& s = main_.State();
    s.StartX = block.left();
    s.StartY = block.top();
    s.LastX = block.right();
    s.LastY = block.bottom();
    // The outline left on the canvas goes round the block where it is now.
    SetMarqueeAround(block);
    TakeBlock();
}

void Selection::TakeBlock()
{
    DrawingState& s = main_.State();
    ScratchSurface& holder = main_.Holder();
    const int w = s.LastX - s.StartX, h = s.LastY - s.StartY;
    const PictureData& decl = main_.Document().Data();
    holder.ClearArea(w + 1, h + 1);
    for (int i = 0; i <= w; ++i)
        for (int j = 0; j <= h; ++j)
            holder.SetPixel(i, j, decl.Pic(s.StartX + i, s.StartY + j) == 1 ? ScratchSurface::kBlack
                                                                              : ScratchSurface::kWhite);
    s.SelectionHeld = true;
}

void Selection::Copy_Click()
{
    main_.View().ClearTentative();  // stops and wipes the marquee
    if (!main_.State().SelectionHeld)
        main_.LoadHolder();  // the visible part of the picture
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(main_.Holder().Image().convertToFormat(QImage::Format_RGB32));
    emit main_.pasteAvailable(true);
}

void Selection::CutMenu_Click()
{
    Copy_Click();
    DrawingState& s = main_.State();
    PictureDocument& doc = main_.Document();
    const QRect block = main_.HeldBlock().value_or(doc.Bounds());
    // Erased in the paint colour; "Reverse" leaves the picture alone.
    if (s.PaintStyle == PaintStyle::Black || s.PaintStyle == PaintStyle::White)
        doc.FillBlock(block, s.PaintStyle == PaintStyle::White ? 1 : 0);
    s.SelectionHeld = false;
}

void Selection::Paste_Click()
{
    main_.Document().BackUp();
    // Pending marks are stored; a block still waiting is placed where it is.
    main_.TransferHolder(true);
    main_.View().ClearTentative();
    if (!ClipboardHasImage())
        return;

    const PictureData& decl = main_.Document().Data();
    ScratchSurface& holder = main_.Holder();
    main_.LoadHolder();
    holder.ResizeArea(decl.MaxX + 1, decl.MaxY + 1);
    main_.EnterPasteTool();

    tempPic_ = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_ARGB32);
    const int w = std::min(tempPic_.width(), decl.MaxX + 1);
    const int h = std::min(tempPic_.height(), decl.MaxY + 1);
    for (int j = 0; j < h; ++j) {
        const auto* line = reinterpret_cast<const QRgb*>(tempPic_.constScanLine(j));
        for (int i = 0; i < w; ++i)
            if (const QRgb mark = MarkFor(line[i]))
                holder.SetPixel(i, j, mark);
    }
    main_.TransferHolder(false);  // the block's top-left on the view's top-left cell
}

void Selection::BlockMove(int dx, int dy)
{
    ScratchSurface& holder = main_.Holder();
    // Only what lands on the scratch area matters.
    const int iFrom = std::max(0, -dx), iTo = std::min(tempPic_.width(), holder.AreaWidth() - dx);
    const int jFrom = std::max(0, -dy), jTo = std::min(tempPic_.height(), holder.AreaHeight() - dy);
    for (int j = jFrom; j < jTo; ++j) {
        const auto* line = reinterpret_cast<const QRgb*>(tempPic_.constScanLine(j));
        for (int i = iFrom; i < iTo; ++i)
            if (const QRgb mark = MarkFor(line[i]))
                holder.SetPixel(i + dx, j + dy, mark);
    }
    main_.TransferHolder(false);
}

}  // namespace tobrin
