#include "drawing/main.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <cstring>
#include <vector>

#include "core/canvaslayout.h"
#include "core/plotdecision.h"
#include "core/units.h"
#include "drawing/drawarea.h"
#include "frame/loadform.h"
#include "hexfile/filecommands.h"
#include "import/import.h"
#include "preview/tavdisplay.h"
#include "tools/canvasmouse.h"
#include "tools/selection.h"
#include "tools/toolsettings.h"

namespace tobrin {

struct Main::Impl {
    explicit Impl(Main& m) : mouse(m) {}

    std::unique_ptr<FileCommands> files;
    ToolSettings* tools = nullptr;
    Selection* selection = nullptr;
    CanvasMouse mouse;
    QScrollBar* hScroll = nullptr;
    QScrollBar* vScroll = nullptr;
    CanvasLayoutFacts layout;
    QList<QMenu*> menus;
    QAction* drawVisible = nullptr;
    QAction* tavVisible = nullptr;
    QAction* textVisible = nullptr;
    std::vector<QRgb> cellColours;  // reused by the redraw
};

Main::Main(Session& session, LoadForm& frame, QWidget* parent)
    : QWidget(parent), session_(session), frame_(frame), d_(std::make_unique<Impl>(*this))
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Drawing area"));

    drawArea_ = new DrawArea(this);
    drawArea_->move(units::ToPixels(canvasgeometry::kCanvasLeft), units::ToPixels(canvasgeometry::kCanvasTop));
    connect(drawArea_, &DrawArea::MouseDown, this,
            [this](int b, int s, double x, double y) { DrawArea_MouseDown(b, s, x, y); });
    connect(drawArea_, &DrawArea::MouseMove, this,
            [this](int b, int s, double x, double y) { DrawArea_MouseMove(b, s, x, y); });
    connect(drawArea_, &DrawArea::MouseUp, this,
            [this](int b, int s, double x, double y) { DrawArea_MouseUp(b, s, x, y); });

    d_->hScroll = new QScrollBar(Qt::Horizontal, this);
    d_->hScroll->setObjectName(QStringLiteral("HSizeScroll"));
    d_->hScroll->hide();
    connect(d_->hScroll, &QScrollBar::valueChanged, this, [this] { HSizeScroll_Change(); });
    d_->vScroll = new QScrollBar(Qt::Vertical, this);
    d_->vScroll->setObjectName(QStringLiteral("VSizeScroll"));
    d_->vScroll->hide();
    connect(d_->vScroll, &QScrollBar::valueChanged, this, [this] { VSizeScroll_Change(); });

    d_->tools = new ToolSettings(*this);
    d_->selection = new Selection(*this);
    d_->files = std::make_unique<FileCommands>(*this, session_, frame_);
    BuildMenus();

    StartUp();
}

Main::~Main() = default;

ToolSettings& Main::Tools() { return *d_->tools; }
Selection& Main::SelectionTool() { return *d_->selection; }
const CanvasLayoutFacts& Main::Layout() const { return d_->layout; }
QScrollBar* Main::HSizeScroll() const { return d_->hScroll; }
QScrollBar* Main::VSizeScroll() const { return d_->vScroll; }

// ---------------------------------------------------------------- start-up

void Main::StartUp()
{
    Declarations& decl = session_.decl;

    // 1, 2: grid lines and the canvas's first size (the layout resizes it).
    drawArea_->SetCanvasSize(4020, 3215);

    // 3: the saved flag. A later load (the window was closed and is shown
    // again) keeps the flag and the "Save hex file" button as they were.
    if (!session_.DrawingLoadedOnce) {
        decl.PictureSaved = 1;
        frame_.SetSaveEnabled(false);
        session_.DrawingLoadedOnce = true;
    } else {
        frame_.SetSaveEnabled(decl.PictureSaved == 0);
    }

    // 4, 5: plot value, picture size and view.
    state_.PlotValue = 1;
    decl.MaxY = 31;
    decl.MaxX = 39;
    state_.view = ViewWindow{};
    state_.view.ViewRight = 39;
    state_.view.ViewBottom = 31;
    state_.view.ViewRows = 32;
    state_.view.ViewColumns = 40;
    d_->layout = ComputeCanvasLayout(1e9, 1e9, decl.MaxX, decl.MaxY, 0, 0);

    // 6: the hex text of the empty 40 x 32 picture.
    for (int y = 0; y <= 31; ++y)
        HexRows[y] = ".db $0,$0,$0,$0,$0";
    UpdateHexText();

    // 7 to 13: drop-down entries and the default settings.
    d_->tools->FillMenus();
    d_->tools->ApplyDefaults();

    // 14: both "&Drawing area" entries are checked.
    SetDrawVisibleChecked(true);
    frame_.SetDrawVisibleChecked(true);
}

void Main::BuildMenus()
{
    auto add = [this](QMenu* menu, const QString& text, const QString& name, const QKeySequence& key,
                      void (Main::*handler)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return a;
    };

    auto* file = new QMenu(QStringLiteral("&File"), this);
    file->setObjectName(QStringLiteral("FileMenu"));
    add(file, QStringLiteral("&New"), QStringLiteral("NewMenu"), QKeySequence(QStringLiteral("Ctrl+N")), &Main::NewMenu_Click);
    add(file, QStringLiteral("&Open"), QStringLiteral("Open"), QKeySequence(QStringLiteral("Ctrl+O")), &Main::Open_Click);
    file->addSeparator();
    add(file, QStringLiteral("&Save as..."), QStringLiteral("Saveas"), {}, &Main::Saveas_Click);
    add(file, QStringLiteral("&Save"), QStringLiteral("Save"), QKeySequence(QStringLiteral("Ctrl+S")), &Main::Save_Click);
    file->addSeparator();
    add(file, QStringLiteral("&Import"), QStringLiteral("ImportMenu"), QKeySequence(QStringLiteral("Ctrl+I")), &Main::ImportMenu_Click);
    file->addSeparator();
    add(file, QStringLiteral("&Exit"), QStringLiteral("ExitMenu"), QKeySequence(QStringLiteral("Ctrl+Q")), &Main::ExitMenu_Click);

    auto* edit = new QMenu(QStringLiteral("&Edit"), this);
    edit->setObjectName(QStringLiteral("EditMenu"));
    add(edit, QStringLiteral("&Undo"), QStringLiteral("UndoMenu"), QKeySequence(QStringLiteral("Ctrl+Z")), &Main::UndoMenu_Click);
    edit->addSeparator();
    add(edit, QStringLiteral("&Cut"), QStringLiteral("CutMenu"), QKeySequence(QStringLiteral("Ctrl+X")), &Main::CutMenu_Click);
    add(edit, QStringLiteral("&Copy"), QStringLiteral("Copy"), QKeySequence(QStringLiteral("Ctrl+C")), &Main::Copy_Click);
    add(edit, QStringLiteral("&Paste"), QStringLiteral("Paste"), QKeySequence(QStringLiteral("Ctrl+V")), &Main::Paste_Click);

    auto* window = new QMenu(QStringLiteral("&Window"), this);
    window->setObjectName(QStringLiteral("WindowMenu"));
    add(window, QStringLiteral("&Arrange windows"), QStringLiteral("Arrange"), {}, &Main::Arrange_Click);
    window->addSeparator();
    d_->drawVisible = add(window, QStringLiteral("&Drawing area"), QStringLiteral("DrawVisible"), {}, &Main::DrawVisible_Click);
    d_->tavVisible = add(window, QStringLiteral("&Tav preview"), QStringLiteral("TavVisible"), {}, &Main::TavVisible_Click);
    d_->textVisible = add(window, QStringLiteral("&Text view"), QStringLiteral("TextVisible"), {}, &Main::TextVisible_Click);
    for (QAction* a : {d_->drawVisible, d_->tavVisible, d_->textVisible})
        a->setCheckable(true);
    connect(window, &QMenu::aboutToShow, this, &Main::RefreshWindowChecks);

    auto* help = new QMenu(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("HelpMenu"));
    add(help, QStringLiteral("&About..."), QStringLiteral("About"), {}, &Main::About_Click);

    d_->menus = {file, edit, window, help};
}

QList<QMenu*> Main::Menus() const { return d_->menus; }

// ------------------------------------------------------ activation, resize

void Main::Form_Activate()
{
    RedrawAll();
    frame_.SetPasteEnabled(Selection::ClipboardHasImage());
}

void Main::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Main::Form_Resize()
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

void Main::closeEvent(QCloseEvent* event)
{
    SetDrawVisibleChecked(false);
    frame_.SetDrawVisibleChecked(false);
    d_->selection->DashTimer()->stop();
    QWidget::closeEvent(event);
}

// ------------------------------------------------------------------ layout

void Main::LayoutCanvas()
{
    const Declarations& decl = session_.decl;
    const double W = units::ToUnits(width());
    const double H = units::ToUnits(height());
    const double hBar = units::ToUnits(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, d_->hScroll));
    const double vBar = units::ToUnits(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, d_->vScroll));
    const CanvasLayoutFacts f = ComputeCanvasLayout(W, H, decl.MaxX, decl.MaxY, hBar, vBar);
    d_->layout = f;

    ViewWindow& v = state_.view;
    v.ViewColumns = f.ViewColumns;
    v.ViewRows = f.ViewRows;
    v.ViewLeft = f.ViewLeft;
    v.ViewRight = f.ViewRight;
    v.ViewTop = f.ViewTop;
    v.ViewBottom = f.ViewBottom;

    drawArea_->move(units::ToPixels(canvasgeometry::kCanvasLeft), units::ToPixels(canvasgeometry::kCanvasTop));
    drawArea_->SetCanvasSize(f.canvasWidth, f.canvasHeight);

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

void Main::HSizeScroll_Change()
{
    ViewWindow& v = state_.view;
    v.ViewLeft = d_->hScroll->value();
    v.ViewRight = v.ViewLeft + v.ViewColumns - 1;
    RedrawAll();
}

void Main::VSizeScroll_Change()
{
    ViewWindow& v = state_.view;
    v.ViewTop = d_->vScroll->value();
    v.ViewBottom = v.ViewTop + v.ViewRows - 1;
    RedrawAll();
}

void Main::Relocate(double& x, double& y)
{
    const Declarations& decl = session_.decl;
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

void Main::PlotPixel(int x, int y, int ink, bool commit)
{
    Declarations& decl = session_.decl;
    const PlotDecision pd = DecidePlot(state_.PaintStyle, ink, decl.Pic(x, y), state_.WhiteTransparent);
    state_.PlotValue = pd.PlotValue;
    if (!pd.draw)
        return;  // white is transparent
    QRgb colour;
    if (pd.PlotValue == 1) {
        colour = commit ? DrawArea::kSetColour : DrawArea::kTentativeSet;
        if (commit) {
            decl.Pic(x, y) = 1;
            PlotPreviewPixel(x, y, TavDisplay::kSetColour);
        }
    } else {
        colour = commit ? DrawArea::kClearColour : DrawArea::kTentativeClear;
        if (commit) {
            decl.Pic(x, y) = 0;
            PlotPreviewPixel(x, y, TavDisplay::kClearColour);
        }
    }
    const ViewWindow& v = state_.view;
    if (x >= v.ViewLeft && x <= v.ViewRight && y >= v.ViewTop && y <= v.ViewBottom)
        drawArea_->PaintSquare(x - v.ViewLeft, y - v.ViewTop, colour);
}

void Main::PlotPreviewPixel(int x, int y, QRgb colour)
{
    frame_.TavDisplayWindow().PlotPixel(x, y, colour);
}

void Main::PaintViewCells()
{
    const Declarations& decl = session_.decl;
    const ViewWindow& v = state_.view;
    const int columns = v.ViewRight - v.ViewLeft + 1;
    const int rows = v.ViewBottom - v.ViewTop + 1;
    if (columns <= 0 || rows <= 0)
        return;
    std::vector<QRgb>& colours = d_->cellColours;
    colours.resize(static_cast<size_t>(columns) * rows);
    for (int r = 0; r < rows; ++r) {
        const std::uint8_t* pic = &decl.PicData[Declarations::Offset(v.ViewLeft, v.ViewTop + r)];
        QRgb* out = &colours[static_cast<size_t>(r) * columns];
        for (int c = 0; c < columns; ++c)
            out[c] = pic[c] ? DrawArea::kSetColour : DrawArea::kClearColour;
    }
    drawArea_->PaintSquares(columns, rows, colours.data());
}

void Main::RedrawAll()
{
    const Declarations& decl = session_.decl;
    const ViewWindow& v = state_.view;
    // Every cell of the view, clear ones included, so tentative squares go.
    PaintViewCells();
    PlotPreviewArea(v.ViewLeft, v.ViewTop, v.ViewRight, v.ViewBottom);
    d_->selection->StopMarquee();
}

void Main::RefreshPreview()
{
    const Declarations& decl = session_.decl;
    PlotPreviewArea(0, 0, decl.MaxX, decl.MaxY);
}

void Main::PlotPreviewArea(int x1, int y1, int x2, int y2)
{
    const Declarations& decl = session_.decl;
    TavDisplay& preview = frame_.TavDisplayWindow();
    const QImage& shown = preview.Display();
    const int w = shown.width(), h = shown.height();
    for (int y = y1; y <= y2; ++y) {
        const std::uint8_t* pic = &decl.PicData[Declarations::Offset(0, y)];
        const QRgb* dots = y < h ? reinterpret_cast<const QRgb*>(shown.constScanLine(y)) : nullptr;
        for (int x = x1; x <= x2; ++x) {
            const QRgb colour = pic[x] ? TavDisplay::kSetColour : TavDisplay::kClearColour;
            // A dot that already shows its colour needs no plot.
            if (dots && x < w && (dots[x] | 0xFF000000u) == colour)
                continue;
            preview.PlotPixel(x, y, colour);
        }
    }
}

void Main::UpdateHexText()
{
    BuildHexRows(session_.decl, HexRows);
    session_.HexText = QString::fromStdString(AssembleHexText(session_.decl, HexRows));
    frame_.HexTextChanged();
}

// -------------------------------------------------- undo, new, size, exit

void Main::BackUp()
{
    Declarations& decl = session_.decl;
    for (int y = 0; y <= decl.MaxY; ++y) {
        const int at = Declarations::Offset(0, y);
        std::memcpy(&decl.UndoData[at], &decl.PicData[at], static_cast<size_t>(decl.MaxX) + 1);
    }
}

void Main::UndoMenu_Click()
{
    Declarations& decl = session_.decl;
    for (int y = 0; y <= decl.MaxY; ++y) {
        const int at = Declarations::Offset(0, y);
        std::memcpy(&decl.PicData[at], &decl.UndoData[at], static_cast<size_t>(decl.MaxX) + 1);
    }
    RedrawAll();
    UpdateHexText();
    RefreshPreview();
}

void Main::ChangeSize(int mx, int my)
{
    Declarations& decl = session_.decl;
    // The picture is at least 4 x 4 and at most the device's 240 x 120.
    mx = std::clamp(mx, 3, kMaxWidth - 1);
    my = std::clamp(my, 3, kMaxHeight - 1);
    frame_.TavDisplayWindow().FillDisplay(TavDisplay::kClearColour);
    decl.MaxX = mx;
    decl.MaxY = my;
    LayoutCanvas();
    UpdateHexText();
    BackUp();
    RefreshPreview();
}

bool Main::ConfirmDiscard()
{
    if (session_.decl.PictureSaved != 0)
        return true;
    return session_.dialogs.AskYesNo(this, QStringLiteral("File not saved"),
                                     QStringLiteral("Picture not saved. Continue?"));
}

void Main::NewMenu_Click()
{
    if (!ConfirmDiscard())
        return;
    Declarations& decl = session_.decl;
    BackUp();
    decl.PicData.fill(0);  // the whole array, outside the picture too
    holder_.ClearArea(holder_.AreaWidth(), holder_.AreaHeight());
    RedrawAll();
    decl.MaxX = 39;
    decl.MaxY = 31;
    ChangeSize(39, 31);
    frame_.ShowSize(40, 32);
    decl.PictureSaved = 1;
    frame_.SetSaveEnabled(false);
    // A new picture has no file yet: Save asks for a name.
    CurrentFileName.clear();
}

void Main::ExitMenu_Click()
{
    if (ConfirmDiscard())
        frame_.EndProgram();
}

// ------------------------------------------------------------ file, import

void Main::Open_Click() { d_->files->Open(); }
void Main::Save_Click() { d_->files->Save(); }
void Main::Saveas_Click() { d_->files->Saveas(); }
bool Main::OpenFile(const QString& path) { return d_->files->ReadHexFile(path); }

void Main::ImportMenu_Click()
{
    Import dialog(
        session_,
        [this](int mx, int my) {
            frame_.ShowSize(mx + 1, my + 1);
            ChangeSize(mx, my);
            RedrawAll();
            session_.decl.PictureSaved = 0;
            frame_.SetSaveEnabled(true);
        },
        [this] { ShowDrawing(); }, this);
    dialog.exec();
}

void Main::ShowDrawing()
{
    if (QMdiSubWindow* sub = frame_.DrawingSubWindow()) {
        sub->show();
        if (QMdiArea* area = frame_.Workspace())
            area->setActiveSubWindow(sub);
    } else {
        show();
    }
    SetDrawVisibleChecked(true);
    frame_.SetDrawVisibleChecked(true);
}

// ------------------------------------------------------------------ window

void Main::Arrange_Click() { frame_.ArrangeWindows(); }

void Main::DrawVisible_Click()
{
    frame_.ToggleDrawingArea();
    RefreshWindowChecks();
}

void Main::TavVisible_Click()
{
    frame_.ToggleTavPreview();
    RefreshWindowChecks();
}

void Main::TextVisible_Click()
{
    frame_.ToggleTextView();
    RefreshWindowChecks();
}

void Main::About_Click() { frame_.ShowAbout(); }

void Main::SetDrawVisibleChecked(bool on) { d_->drawVisible->setChecked(on); }
void Main::SetTavVisibleChecked(bool on) { d_->tavVisible->setChecked(on); }
void Main::SetTextVisibleChecked(bool on) { d_->textVisible->setChecked(on); }

void Main::RefreshWindowChecks()
{
    QMdiSubWindow* drawing = frame_.DrawingSubWindow();
    SetDrawVisibleChecked(drawing ? drawing->isVisible() : isVisible());
    QMdiSubWindow* tav = frame_.TavSubWindow();
    SetTavVisibleChecked(tav && tav->isVisible());
    QMdiSubWindow* text = frame_.TextViewSubWindow();
    SetTextVisibleChecked(text && text->isVisible());
}

// ---------------------------------------------------------------- scratch

void Main::LoadHolder() { holder_.LoadHolder(session_.decl, state_.view); }

void Main::TransferHolder(bool commit)
{
    TransferSettings s;
    s.CurrentTool = state_.CurrentTool;
    s.LineStyleIndex = state_.LineStyleIndex;
    s.FillStyleIndex = state_.FillStyleIndex;
    s.PatternDensity = state_.PatternDensity;
    s.WhiteTransparent = state_.WhiteTransparent;
    s.StartX = state_.StartX;
    s.StartY = state_.StartY;
    TransferMarks(holder_, state_.view, s, [this, commit](int x, int y, int ink) { PlotPixel(x, y, ink, commit); });
    if (commit)
        LoadHolder();  // no mark is ever stored twice
}

// ------------------------------------------------------ tools, clipboard

void Main::DrawTool_ButtonClick(int button) { d_->tools->DrawTool_ButtonClick(button); }
void Main::SettingBar_ButtonClick(int button) { d_->tools->SettingBar_ButtonClick(button); }
void Main::SettingBar_ButtonMenuClick(int button, int entry) { d_->tools->SettingBar_ButtonMenuClick(button, entry); }
void Main::LineScroll_Change() { d_->tools->LineScroll_Change(); }
void Main::PatternScroll_Change() { d_->tools->PatternScroll_Change(); }
void Main::LineWidth_KeyDown(int keyCode) { d_->tools->LineWidth_KeyDown(keyCode); }
void Main::PatternSize_KeyDown(int keyCode) { d_->tools->PatternSize_KeyDown(keyCode); }
void Main::LineWidth_LostFocus() { d_->tools->LineWidth_LostFocus(); }
void Main::PatternSize_LostFocus() { d_->tools->PatternSize_LostFocus(); }

void Main::DrawArea_MouseDown(int button, int shift, double X, double Y) { d_->mouse.DrawArea_MouseDown(button, shift, X, Y); }
void Main::DrawArea_MouseMove(int button, int shift, double X, double Y) { d_->mouse.DrawArea_MouseMove(button, shift, X, Y); }
void Main::DrawArea_MouseUp(int button, int shift, double X, double Y) { d_->mouse.DrawArea_MouseUp(button, shift, X, Y); }

void Main::DashTimer_Timer() { d_->selection->DashTimer_Timer(); }
void Main::CutMenu_Click() { d_->selection->CutMenu_Click(); }
void Main::Copy_Click() { d_->selection->Copy_Click(); }
void Main::Paste_Click() { d_->selection->Paste_Click(); }

}  // namespace tobrin
