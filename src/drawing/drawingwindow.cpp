#include "drawing/drawingwindow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QResizeEvent>
#include <QTimer>

#include "core/canvaslayout.h"
#include "core/units.h"
#include "drawing/canvasmouse.h"
#include "drawing/canvasview.h"
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
    void ClearTentative() override { w_.View().ClearTentative(); }
    void RestorePreviousTool() override { w_.RestorePreviousTool(); }
    void StoreMarks(const std::function<void(ScratchSurface&)>& draw) override { w_.StoreMarks(draw); }
    void ShowTentativeCell(QPoint cell, bool set) override
    {
        w_.View().ShowTentative(cell.x(), cell.y(), set ? DrawArea::kTentativeSet : DrawArea::kTentativeClear);
    }
    void FocusCanvas() override { w_.Canvas()->setFocus(Qt::OtherFocusReason); }
    Dialogs& Questions() override { return w_.session().dialogs; }
    QWidget* Window() override { return &w_; }

private:
    DrawingWindow& w_;
};

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
    CanvasView* view = nullptr;
};

DrawingWindow::DrawingWindow(Session& session, QWidget* parent)
    : QWidget(parent), session_(session), d_(std::make_unique<Impl>(*this))
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Drawing area"));

    d_->view = new CanvasView(*this);
    drawArea_ = d_->view->Canvas();
    connect(d_->view, &CanvasView::zoomChanged, this, &DrawingWindow::zoomChanged);
    d_->tools = new ToolSettings(*this);
    d_->selection = new Selection(*this);
    d_->files = std::make_unique<FileCommands>(session_, this);

    StartUp();
    d_->view->Follow();

    PictureDocument& doc = session_.document;
    connect(&doc, &PictureDocument::fileNameChanged, this, &DrawingWindow::ShowFileInTitle);
    connect(&doc, &PictureDocument::aboutToWrite, this, [this] { CurrentTool().Finish(d_->environment); });
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
    // Text being typed is stored before the block comes, as a change of
    // tool would store it.
    if (current.Typing())
        current.Leave(d_->environment);
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
    if (state_.Mirror != Mirror::Off)
        d_->mirrorBlock = HeldBlock();
    // The guides move; a held selection's marquee goes on marching.
    QTimer* dash = d_->selection->DashTimer();
    const bool marching = dash->isActive();
    d_->view->RedrawAll();
    if (marching)
        dash->start();
}

QRect DrawingWindow::MirrorArea() const { return d_->mirrorBlock.value_or(session_.document.Bounds()); }

CanvasView& DrawingWindow::View() { return *d_->view; }
const CanvasLayoutFacts& DrawingWindow::Layout() const { return d_->view->Layout(); }
QScrollBar* DrawingWindow::HSizeScroll() const { return d_->view->HSizeScroll(); }
QScrollBar* DrawingWindow::VSizeScroll() const { return d_->view->VSizeScroll(); }
void DrawingWindow::LayoutCanvas() { d_->view->LayoutCanvas(); }
void DrawingWindow::RedrawAll() { d_->view->RedrawAll(); }
void DrawingWindow::Relocate(double& x, double& y) { d_->view->Relocate(x, y); }
void DrawingWindow::HSizeScroll_Change() { d_->view->HSizeScroll_Change(); }
void DrawingWindow::VSizeScroll_Change() { d_->view->VSizeScroll_Change(); }
int DrawingWindow::ZoomLevel() const { return d_->view->ZoomLevel(); }
void DrawingWindow::ZoomTo(int cellPixels, const QPointF* pointUnits) { d_->view->ZoomTo(cellPixels, pointUnits); }
void DrawingWindow::ZoomIn() { ZoomTo(ZoomInStep(ZoomLevel())); }
void DrawingWindow::ZoomOut() { ZoomTo(ZoomOutStep(ZoomLevel())); }
void DrawingWindow::ActualSize() { ZoomTo(zoom::kActualCellPixels); }
void DrawingWindow::FitToWindow() { d_->view->FitToWindow(); }

void DrawingWindow::SetOnionSkin(bool previous, bool next)
{
    session_.onion = {previous, next};
    d_->view->RedrawAll();
}

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
        doc.StartAfresh();
        session_.DrawingLoadedOnce = true;
    }
    state_.PlotValue = 1;
    state_.view = ViewWindow{};

    d_->tools->FillMenus();
    d_->tools->ApplyDefaults();
    if (const std::optional<Session::DrawingSettings> kept = session_.keptDrawing) {
        if (Tool* tool = d_->toolBox.Find(kept->tool))
            d_->toolBox.SetCurrent(*tool);
        d_->tools->ApplySettings(kept->state);
        d_->view->SetZoomLevel(kept->zoom);
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

bool DrawingWindow::event(QEvent* event)
{
    // While a tool takes typed text, a plain key is text for it even where
    // it is a shortcut (the letters choose tools, M mirrors): the key then
    // comes as a key press. Keys with Ctrl, Alt or Meta stay shortcuts.
    if (event->type() == QEvent::ShortcutOverride && CurrentTool().Typing()) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        const int k = key->key();
        const bool editing = k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Home || k == Qt::Key_End
                             || k == Qt::Key_Delete;
        if (plain && (editing || !key->text().isEmpty())) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void DrawingWindow::keyPressEvent(QKeyEvent* event)
{
    // The canvas passes on the keys it does not take; the tool has them
    // first, as a key and then as text.
    Tool& tool = CurrentTool();
    if (tool.Key(d_->environment, event->key())
        || (!event->text().isEmpty() && tool.Text(d_->environment, event->text()))) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
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
    // So is text being typed.
    if (CurrentTool().Typing())
        CurrentTool().Leave(d_->environment);
    Session::DrawingSettings kept;
    kept.tool = CurrentToolId();
    kept.state = state_;
    kept.state.MouseIsDown = false;
    kept.state.SelectionHeld = false;
    kept.zoom = ZoomLevel();
    session_.keptDrawing = kept;
    QWidget::closeEvent(event);
}

// ------------------------------------------------------------ pixel output

void DrawingWindow::PlotPixel(int x, int y, int ink, bool commit)
{
    PictureDocument& doc = session_.document;
    const PlotDecision pd = commit ? doc.PlotPixel(x, y, ink, state_.PaintStyle, state_.WhiteTransparent)
                                   : DecidePlot(state_.PaintStyle, ink, doc.Pic(x, y), state_.WhiteTransparent);
    state_.PlotValue = pd.PlotValue;
    // A committed pixel reaches the canvas through the document's signal.
    if (pd.draw && !commit)
        d_->view->ShowTentative(x, y, pd.PlotValue == 1 ? DrawArea::kTentativeSet : DrawArea::kTentativeClear);
}

// --------------------------------------------------------------- undo, new

void DrawingWindow::UndoMenu_Click() { session_.document.Undo(); }
void DrawingWindow::RedoMenu_Click() { session_.document.Redo(); }

// --------------------------------------------------------------- transforms

std::optional<QRect> DrawingWindow::HeldBlock() const
{
    if (!state_.SelectionHeld)
        return std::nullopt;
    return QRect(QPoint(state_.StartX, state_.StartY), QPoint(state_.LastX, state_.LastY));
}

TransformResult DrawingWindow::PlanTransformNow(Transform t) const
{
    const PictureDocument& doc = session_.document;
    return PlanTransform(t, doc.Data().Width(), doc.Data().Height(), HeldBlock());
}

void DrawingWindow::TransformMenu_Click(Transform t)
{
    const std::optional<QRect> block = HeldBlock();
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

void DrawingWindow::TransferHolder(bool commit) { Transfer(holder_, state_.view, commit); }

void DrawingWindow::StoreMarks(const std::function<void(ScratchSurface&)>& draw)
{
    // A surface of its own over the whole picture, so marks beyond the view
    // are stored too; the view's holder is left as it is until the end.
    const PictureDocument& doc = session_.document;
    ViewWindow whole;
    whole.ViewLeft = whole.ViewTop = 0;
    whole.ViewRight = doc.MaxX();
    whole.ViewBottom = doc.MaxY();
    whole.ViewColumns = doc.MaxX() + 1;
    whole.ViewRows = doc.MaxY() + 1;
    ScratchSurface marks;
    marks.LoadHolder(doc.Data(), whole);
    draw(marks);
    Transfer(marks, whole, true);
}

void DrawingWindow::Transfer(ScratchSurface& holder, const ViewWindow& v, bool commit)
{
    // Mirror drawing repeats the marks before they go anywhere, so every
    // tool's strokes are mirrored alike.
    if (state_.Mirror != Mirror::Off)
        holder.MirrorMarks(state_.Mirror, MirrorArea().translated(-v.ViewLeft, -v.ViewTop));
    TransferSettings s;
    s.SolidStroke = CurrentTool().info().solidStroke;
    s.LineStyleIndex = state_.LineStyleIndex;
    s.FillStyleIndex = state_.FillStyleIndex;
    s.PatternDensity = state_.PatternDensity;
    s.WhiteTransparent = state_.WhiteTransparent;
    s.StartX = state_.StartX;
    s.StartY = state_.StartY;
    {
        const PictureDocument::Batch batch(session_.document);
        TransferMarks(holder, v, s,
                      [this, commit](int x, int y, int ink) { PlotPixel(x, y, ink, commit); });
    }
    if (commit) {
        d_->view->ClearTentative();
        LoadHolder();  // no mark is ever stored twice
    }
}

}  // namespace tobrin
