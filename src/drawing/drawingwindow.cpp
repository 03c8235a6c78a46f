#include "drawing/drawingwindow.h"

#include <algorithm>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QPointF>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <vector>

#include "app/accessible.h"
#include "core/canvaslayout.h"
#include "core/units.h"
#include "drawing/canvasmouse.h"
#include "drawing/drawarea.h"
#include "drawing/selection.h"
#include "drawing/toolsettings.h"
#include "drawing/tools/toolregistry.h"
#include "files/filecommands.h"

namespace tobrin {

namespace {

// What the tools reach, through the drawing window.
class WindowEnvironment : public ToolEnvironment {
public:
    explicit WindowEnvironment(DrawingWindow& w) : w_(w) {}
    PictureDocument& Document() override { return w_.Document(); }
    ScratchSurface& Holder() override { return w_.Holder(); }
    DrawingState& State() override { return w_.State(); }
    Selection& SelectionTool() override { return w_.SelectionTool(); }
    void LoadHolder() override { w_.LoadHolder(); }
    void TransferHolder(bool commit) override { w_.TransferHolder(commit); }
    void ClearTentative() override { w_.RedrawAll(); }
    void RestorePreviousTool() override { w_.RestorePreviousTool(); }

private:
    DrawingWindow& w_;
};

constexpr QRgb kGuideColour = 0xFFFF0000u;  // the mirror axes

}  // namespace

struct DrawingWindow::Impl {
    explicit Impl(DrawingWindow& m) : mouse(m), environment(m) {}

    ToolBox toolBox;
    std::unique_ptr<FileCommands> files;
    ToolSettings* tools = nullptr;
    Selection* selection = nullptr;
    CanvasMouse mouse;
    WindowEnvironment environment;
    // Mirror drawing about a held selection's centre lines instead of the
    // picture's, when it was on while the selection was taken.
    std::optional<QRect> mirrorBlock;
    QScrollBar* hScroll = nullptr;
    QScrollBar* vScroll = nullptr;
    CanvasLayoutFacts layout;
    std::vector<QRgb> cellColours;  // reused by the redraw
    // While a transfer commits, PlotPixel paints each square itself.
    bool committing = false;
    int zoomLevel = zoom::kActualCellPixels;
};

DrawingWindow::DrawingWindow(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), d_(std::make_unique<Impl>(*this))
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Drawing area"));

    drawArea_ = new DrawArea(this);
    drawArea_->move(units::ToPixels(canvasgeometry::kCanvasLeft), units::ToPixels(canvasgeometry::kCanvasTop));
    CanvasMouse* mouse = &d_->mouse;
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
        int level = d_->zoomLevel;
        for (; steps > 0; --steps)
            level = ZoomInStep(level);
        for (; steps < 0; ++steps)
            level = ZoomOutStep(level);
        const QPointF point(x, y);
        ZoomTo(level, &point);
    });

    d_->hScroll = new QScrollBar(Qt::Horizontal, this);
    d_->hScroll->setObjectName(QStringLiteral("HSizeScroll"));
    d_->hScroll->hide();
    connect(d_->hScroll, &QScrollBar::valueChanged, this, [this] { HSizeScroll_Change(); });
    d_->vScroll = new QScrollBar(Qt::Vertical, this);
    d_->vScroll->setObjectName(QStringLiteral("VSizeScroll"));
    d_->vScroll->hide();
    SetAccessible(drawArea_, QStringLiteral("Drawing canvas"),
                  QStringLiteral("The picture, one square per pixel: draw with the chosen tool"));
    SetAccessible(d_->hScroll, QStringLiteral("Drawing canvas, horizontal scroll bar"),
                  QStringLiteral("Scrolls the picture sideways"));
    SetAccessible(d_->vScroll, QStringLiteral("Drawing canvas, vertical scroll bar"),
                  QStringLiteral("Scrolls the picture up and down"));
    connect(d_->vScroll, &QScrollBar::valueChanged, this, [this] { VSizeScroll_Change(); });

    d_->tools = new ToolSettings(*this);
    d_->selection = new Selection(*this);
    d_->files = std::make_unique<FileCommands>(session_, this);

    StartUp();

    // Every size applied comes with a redraw, which also ends a marquee.
    PictureDocument& doc = session_.document;
    connect(&doc, &PictureDocument::sizeChanged, this, [this] {
        LayoutCanvas();
        RedrawAll();
    });
    connect(&doc, &PictureDocument::pixelsChanged, this, [this] {
        if (!d_->committing)
            RedrawAll();
    });

    connect(&doc, &PictureDocument::fileNameChanged, this, &DrawingWindow::ShowFileInTitle);
    connect(&doc, &PictureDocument::savedChanged, this, &DrawingWindow::ShowFileInTitle);
    ShowFileInTitle();
}

void DrawingWindow::ShowFileInTitle()
{
    // The file's name and Qt's modified marker follow the caption; a picture
    // without a file keeps the bare caption, marked too once changed.
    const PictureDocument& doc = session_.document;
    if (doc.FileName().isEmpty())
        setWindowTitle(doc.Saved() ? QStringLiteral("Drawing area") : QStringLiteral("Drawing area[*]"));
    else
        setWindowTitle(QStringLiteral("Drawing area \u2014 %1[*]").arg(QFileInfo(doc.FileName()).fileName()));
    setWindowModified(!doc.Saved());
}

DrawingWindow::~DrawingWindow() = default;

FileCommands& DrawingWindow::Files() { return *d_->files; }
ToolSettings& DrawingWindow::Tools() { return *d_->tools; }
Selection& DrawingWindow::SelectionTool() { return *d_->selection; }
CanvasMouse& DrawingWindow::Mouse() { return d_->mouse; }
ToolBox& DrawingWindow::ToolList() { return d_->toolBox; }
Tool& DrawingWindow::CurrentTool() { return d_->toolBox.Current(); }
QString DrawingWindow::CurrentToolId() { return CurrentTool().info().id; }
QString DrawingWindow::PreviousToolId() { return d_->toolBox.Previous().info().id; }
ToolEnvironment& DrawingWindow::Environment() { return d_->environment; }

// ------------------------------------------------------------------- tools

void DrawingWindow::ChooseTool(const QString& id)
{
    Tool* tool = d_->toolBox.Find(id);
    if (!tool)
        return;
    CurrentTool().Leave(d_->environment);
    d_->toolBox.SetCurrent(*tool);
    state_.SelectionHeld = false;
    d_->tools->ShowToolPressed(*tool);
    emit toolChanged(id);
}

void DrawingWindow::EnterPasteTool()
{
    Tool& current = CurrentTool();
    if (current.info().onToolbar) {
        d_->tools->ShowToolReleased(current);
        d_->toolBox.SetPrevious(current);
    }
    d_->toolBox.SetCurrent(*d_->toolBox.Find(QStringLiteral("paste")));
    emit toolChanged(CurrentToolId());
}

void DrawingWindow::RestorePreviousTool()
{
    d_->toolBox.SetCurrent(d_->toolBox.Previous());
    d_->tools->ShowToolPressed(CurrentTool());
    emit toolChanged(CurrentToolId());
}

void DrawingWindow::MirrorChanged()
{
    d_->mirrorBlock.reset();
    if (state_.Mirror != Mirror::Off && state_.SelectionHeld)
        d_->mirrorBlock = QRect(QPoint(state_.StartX, state_.StartY), QPoint(state_.LastX, state_.LastY));
    // The guides move; a held selection's marquee goes on marching.
    QTimer* dash = d_->selection->DashTimer();
    const bool marching = dash->isActive();
    RedrawAll();
    if (marching)
        dash->start();
}

QRect DrawingWindow::MirrorArea() const { return d_->mirrorBlock.value_or(session_.document.Bounds()); }

void DrawingWindow::DrawMirrorGuides()
{
    const Mirror m = state_.Mirror;
    if (m == Mirror::Off)
        return;
    // Each axis runs through the middle of the area: along a cell border
    // for an even side, through the middle of the centre cell for an odd one.
    const QRect area = MirrorArea();
    const ViewWindow& v = state_.view;
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
const CanvasLayoutFacts& DrawingWindow::Layout() const { return d_->layout; }
QScrollBar* DrawingWindow::HSizeScroll() const { return d_->hScroll; }
QScrollBar* DrawingWindow::VSizeScroll() const { return d_->vScroll; }

// ---------------------------------------------------------------- start-up

void DrawingWindow::StartUp()
{
    PictureDocument& doc = session_.document;
    drawArea_->SetCanvasSize(4020, 3215);  // the layout sizes it again

    // The first load starts a saved, nameless 40 x 32 picture. A later load
    // (the window was closed and is shown again) is only a new window on
    // the same document: pixels, size, file name, saved flag and history
    // stay, and so do the tool settings and zoom the window had.
    if (!session_.DrawingLoadedOnce) {
        doc.SetSaved(true);
        doc.SetSize(39, 31);
        doc.SetFileName(QString());
        session_.DrawingLoadedOnce = true;
    }
    state_.PlotValue = 1;
    state_.view = ViewWindow{};
    d_->layout = ComputeCanvasLayout(1e9, 1e9, doc.MaxX(), doc.MaxY(), 0, 0);

    d_->tools->FillMenus();
    d_->tools->ApplyDefaults();
    if (const std::optional<Session::DrawingSettings> kept = session_.keptDrawing) {
        if (Tool* tool = d_->toolBox.Find(kept->tool))
            d_->toolBox.SetCurrent(*tool);
        d_->tools->ApplySettings(kept->state);
        d_->zoomLevel = ClampCellPixels(kept->zoom);
        session_.keptDrawing.reset();
    }
}

// ------------------------------------------------------ activation, resize

void DrawingWindow::Form_Activate()
{
    RedrawAll();
    emit pasteAvailable(Selection::ClipboardHasImage());
}

void DrawingWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void DrawingWindow::Form_Resize()
{
    // The outer window is the MDI sub-window when there is one.
    QWidget* outer = this;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        outer = sub;
    if (outer->isMinimized())
        return;
    const int minimum = units::ToPixels(canvasgeometry::kMinOuterSize);
    if (outer->width() < minimum)
        outer->resize(minimum, outer->height());
    if (outer->height() < minimum)
        outer->resize(outer->width(), minimum);
    d_->tools->Place(width());
    LayoutCanvas();
}

void DrawingWindow::closeEvent(QCloseEvent* event)
{
    d_->selection->DashTimer()->stop();
    // A block being placed is stored where it stands, as a change of tool
    // would store it, rather than lost with the window.
    if (CurrentToolId() == QLatin1String("paste")) {
        TransferHolder(true);
        d_->toolBox.SetCurrent(d_->toolBox.Previous());
    }
    Session::DrawingSettings kept;
    kept.tool = CurrentToolId();
    kept.state = state_;
    kept.state.MouseIsDown = false;
    kept.state.SelectionHeld = false;
    kept.zoom = d_->zoomLevel;
    session_.keptDrawing = kept;
    QWidget::closeEvent(event);
}

// ------------------------------------------------------------------ layout

void DrawingWindow::LayoutCanvas()
{
    const PictureData& decl = session_.document.Data();
    const double W = units::ToUnits(width());
    const double H = units::ToUnits(height());
    const double hBar = units::ToUnits(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, d_->hScroll));
    const double vBar = units::ToUnits(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, d_->vScroll));
    const CanvasLayoutFacts f =
        ComputeCanvasLayout(W, H, decl.MaxX, decl.MaxY, hBar, vBar, CellGeometryFor(d_->zoomLevel));
    d_->layout = f;

    ViewWindow& v = state_.view;
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
    placeBar(d_->hScroll, f.hBar);
    placeBar(d_->vScroll, f.vBar);

    // The rebuilt canvas shows the cells of the new view at once.
    PaintViewCells();
}

// -------------------------------------------------------------------- zoom

int DrawingWindow::ZoomLevel() const { return d_->zoomLevel; }

void DrawingWindow::ZoomTo(int cellPixels, const QPointF* pointUnits)
{
    cellPixels = ClampCellPixels(cellPixels);
    if (cellPixels == d_->zoomLevel)
        return;
    const CanvasLayoutFacts before = d_->layout;
    const int viewLeft = state_.view.ViewLeft, viewTop = state_.view.ViewTop;
    const QPointF point = pointUnits ? *pointUnits : QPointF(before.canvasWidth / 2.0, before.canvasHeight / 2.0);
    d_->zoomLevel = cellPixels;
    // The held selection's outline is drawn in canvas units: it is redrawn
    // round the same cells at the new size.
    d_->selection->StopMarquee();
    LayoutCanvas();
    const PictureData& decl = session_.document.Data();
    const ZoomAnchor a = ComputeZoomAnchor(point.x(), point.y(), before.cells, viewLeft, viewTop, d_->layout.cells,
                                           d_->layout, decl.MaxX, decl.MaxY);
    {
        const QSignalBlocker blockH(d_->hScroll), blockV(d_->vScroll);
        if (!d_->hScroll->isHidden())
            d_->hScroll->setValue(a.viewLeft);
        if (!d_->vScroll->isHidden())
            d_->vScroll->setValue(a.viewTop);
    }
    ViewWindow& v = state_.view;
    v.ViewLeft = d_->hScroll->isHidden() ? 0 : d_->hScroll->value();
    v.ViewRight = v.ViewLeft + v.ViewColumns - 1;
    v.ViewTop = d_->vScroll->isHidden() ? 0 : d_->vScroll->value();
    v.ViewBottom = v.ViewTop + v.ViewRows - 1;
    if (state_.SelectionHeld)
        d_->selection->Hold(QRect(QPoint(state_.StartX, state_.StartY), QPoint(state_.LastX, state_.LastY)));
    RedrawAll();
    emit zoomChanged(cellPixels);
}

void DrawingWindow::ZoomIn() { ZoomTo(ZoomInStep(d_->zoomLevel)); }
void DrawingWindow::ZoomOut() { ZoomTo(ZoomOutStep(d_->zoomLevel)); }
void DrawingWindow::ActualSize() { ZoomTo(zoom::kActualCellPixels); }

void DrawingWindow::FitToWindow()
{
    const PictureData& decl = session_.document.Data();
    ZoomTo(FitCellPixels(units::ToUnits(width()), units::ToUnits(height()), decl.MaxX, decl.MaxY));
}

void DrawingWindow::HSizeScroll_Change()
{
    // A hidden bar keeps its old range, so a value set on it may lie past a
    // picture that has since shrunk: the view stays inside the picture.
    ViewWindow& v = state_.view;
    v.ViewLeft = std::clamp(d_->hScroll->value(), 0, std::max(0, session_.document.MaxX() + 1 - v.ViewColumns));
    v.ViewRight = v.ViewLeft + v.ViewColumns - 1;
    RedrawAll();
}

void DrawingWindow::VSizeScroll_Change()
{
    ViewWindow& v = state_.view;
    v.ViewTop = std::clamp(d_->vScroll->value(), 0, std::max(0, session_.document.MaxY() + 1 - v.ViewRows));
    v.ViewBottom = v.ViewTop + v.ViewRows - 1;
    RedrawAll();
}

void DrawingWindow::Relocate(double& x, double& y)
{
    const PictureData& decl = session_.document.Data();
    const ViewWindow& v = state_.view;
    ScrollBarFacts h = d_->layout.hBar, vb = d_->layout.vBar;
    h.visible = !d_->hScroll->isHidden();
    h.maximum = d_->hScroll->maximum();
    vb.visible = !d_->vScroll->isHidden();
    vb.maximum = d_->vScroll->maximum();
    const RelocateTarget t = ComputeRelocate(x, y, decl.MaxX, decl.MaxY, v.ViewColumns, v.ViewRows, h, vb);
    if (t.moveH)
        d_->hScroll->setValue(t.hValue);
    if (t.moveV)
        d_->vScroll->setValue(t.vValue);
}

// ------------------------------------------------------------ pixel output

void DrawingWindow::PlotPixel(int x, int y, int ink, bool commit)
{
    PictureDocument& doc = session_.document;
    const PlotDecision pd = commit ? doc.PlotPixel(x, y, ink, state_.PaintStyle, state_.WhiteTransparent)
                                   : DecidePlot(state_.PaintStyle, ink, doc.Pic(x, y), state_.WhiteTransparent);
    state_.PlotValue = pd.PlotValue;
    if (!pd.draw)
        return;  // white is transparent
    QRgb colour;
    if (pd.PlotValue == 1)
        colour = commit ? DrawArea::kSetColour : DrawArea::kTentativeSet;
    else
        colour = commit ? DrawArea::kClearColour : DrawArea::kTentativeClear;
    const ViewWindow& v = state_.view;
    if (x >= v.ViewLeft && x <= v.ViewRight && y >= v.ViewTop && y <= v.ViewBottom)
        drawArea_->PaintSquare(x - v.ViewLeft, y - v.ViewTop, colour);
}

void DrawingWindow::PaintViewCells()
{
    const PictureData& decl = session_.document.Data();
    const ViewWindow& v = state_.view;
    const int columns = v.ViewRight - v.ViewLeft + 1;
    const int rows = v.ViewBottom - v.ViewTop + 1;
    if (columns <= 0 || rows <= 0)
        return;
    std::vector<QRgb>& colours = d_->cellColours;
    colours.resize(static_cast<size_t>(columns) * rows);
    for (int r = 0; r < rows; ++r) {
        const std::uint8_t* pic = &decl.PicData[PictureData::Offset(v.ViewLeft, v.ViewTop + r)];
        QRgb* out = &colours[static_cast<size_t>(r) * columns];
        for (int c = 0; c < columns; ++c)
            out[c] = pic[c] ? DrawArea::kSetColour : DrawArea::kClearColour;
    }
    drawArea_->PaintSquares(columns, rows, colours.data());
}

void DrawingWindow::RedrawAll()
{
    // Every cell of the view, clear ones included, so tentative squares go.
    PaintViewCells();
    DrawMirrorGuides();
    const ViewWindow& v = state_.view;
    emit viewRedrawn(QRect(QPoint(v.ViewLeft, v.ViewTop), QPoint(v.ViewRight, v.ViewBottom)));
    d_->selection->StopMarquee();
}

// --------------------------------------------------------------- undo, new

void DrawingWindow::UndoMenu_Click() { session_.document.Undo(); }
void DrawingWindow::RedoMenu_Click() { session_.document.Redo(); }

// --------------------------------------------------------------- transforms

namespace {
std::optional<QRect> HeldBlock(const DrawingState& s)
{
    if (!s.SelectionHeld)
        return std::nullopt;
    return QRect(QPoint(s.StartX, s.StartY), QPoint(s.LastX, s.LastY));
}
}  // namespace

TransformResult DrawingWindow::PlanTransformNow(Transform t) const
{
    const PictureDocument& doc = session_.document;
    return PlanTransform(t, doc.Data().Width(), doc.Data().Height(), HeldBlock(state_));
}

void DrawingWindow::TransformMenu_Click(Transform t)
{
    const std::optional<QRect> block = HeldBlock(state_);
    const TransformResult r = session_.document.TransformPicture(t, block);
    if (!r.ok) {
        session_.dialogs.Message(this, QStringLiteral("Picture"), r.reason, Dialogs::Icon::Information);
        return;
    }
    if (block)
        d_->selection->Hold(r.block);
}

void DrawingWindow::NewMenu_Click()
{
    if (!ConfirmDiscard())
        return;
    holder_.ClearArea(holder_.AreaWidth(), holder_.AreaHeight());
    session_.document.NewPicture();
}

// ---------------------------------------------------------------- scratch

void DrawingWindow::LoadHolder() { holder_.LoadHolder(session_.document.Data(), state_.view); }

void DrawingWindow::TransferHolder(bool commit)
{
    // Mirror drawing repeats the marks before they go anywhere, so every
    // tool's strokes are mirrored alike.
    if (state_.Mirror != Mirror::Off) {
        const ViewWindow& v = state_.view;
        holder_.MirrorMarks(state_.Mirror, MirrorArea().translated(-v.ViewLeft, -v.ViewTop));
    }
    TransferSettings s;
    s.SolidStroke = CurrentTool().info().solidStroke;
    s.LineStyleIndex = state_.LineStyleIndex;
    s.FillStyleIndex = state_.FillStyleIndex;
    s.PatternDensity = state_.PatternDensity;
    s.WhiteTransparent = state_.WhiteTransparent;
    s.StartX = state_.StartX;
    s.StartY = state_.StartY;
    {
        const QScopedValueRollback<bool> painting(d_->committing, commit);
        const PictureDocument::Batch batch(session_.document);
        TransferMarks(holder_, state_.view, s,
                      [this, commit](int x, int y, int ink) { PlotPixel(x, y, ink, commit); });
    }
    if (commit)
        LoadHolder();  // no mark is ever stored twice
}

}  // namespace tobrin
