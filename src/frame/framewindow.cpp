#include "frame/framewindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <QWindow>

#include "app/accessible.h"
#include "app/appresources.h"
#include "app/dropfile.h"
#include "app/places.h"
#include "app/childwindow.h"
#include "core/formats.h"
#include "core/imageloader.h"
#include "core/units.h"
#include "core/zoom.h"
#include "drawing/drawingwindow.h"
#include "drawing/selection.h"
#include "files/filecommands.h"
#include "frame/about.h"
#include "frame/sizefields.h"
#include "import/importdialog.h"
#include "preview/devicepreview.h"
#include "preview/textpreview.h"

namespace tobrin {

namespace {

// The largest program-icon size set before the frame is first on screen.
constexpr int kStartIconSize = 64;

bool Shown(const QWidget* w) { return w && !w->isHidden(); }

QIcon ToolbarIcon(const QString& name)
{
    return ResourceIcon(QStringLiteral(":/icons/toolbar/%1.png").arg(name),
                        QStringLiteral(":/icons/toolbar/disabled/%1.png").arg(name));
}

QAction* FindAction(const QList<QMenu*>& menus, const QString& name)
{
    for (QMenu* m : menus)
        for (QAction* a : m->actions())
            if (a->objectName() == name)
                return a;
    return nullptr;
}

}  // namespace

struct FrameWindow::Impl {
    tobrin::DrawingWindow* main = nullptr;
    TextPreview* text = nullptr;
    DevicePreview* tav = nullptr;
    QPointer<ChildWindow> drawSub, textSub, tavSub;
    bool loadingMain = false;
    bool ending = false;
    int timer1Waits = 0;

    QList<QMenu*> frameMenus;
    QList<QMenu*> drawingMenus;
    QList<QPointer<QMenu>> shownMenus;
    // The keys of the actions the toolbar shows, live only while a menu
    // holding the action is on the bar (UpdateMenus).
    QHash<QAction*, QKeySequence> toolbarKeys;
    QAction* drawVisible = nullptr;
    QAction* tavVisible = nullptr;
    // The two menu sets name this entry differently.
    QAction* textVisible = nullptr;
    QAction* textVisibleDrawing = nullptr;

    QToolBar* toolbar = nullptr;
    QAction* saveButton = nullptr;
    QAction* pasteButton = nullptr;
    SizeFields* sizes = nullptr;
    QTimer* timer1 = nullptr;
    QPointer<About> about;
    QPointer<QMdiSubWindow> lastActive;

    QMenu* recentFiles = nullptr;
    bool rememberArrangement = false;
};

FrameWindow::FrameWindow(Session& session, QWidget* parent) : QMainWindow(parent), session_(session), d_(new Impl)
{
    InitResources();
    UseQuickStyleIcons();
    setObjectName(QStringLiteral("LoadForm"));
    setWindowTitle(QStringLiteral("Tobrin"));
    // The sizes a title bar and a task list show; the large ones (decoding
    // them and handing them to the window system is a twentieth of the
    // start-up) follow once the frame is on screen.
    const QIcon icon = About::AppIcon(kStartIconSize);
    QGuiApplication::setWindowIcon(icon);
    setWindowIcon(icon);

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("Workspace"));
    mdi_->setFrameShape(QFrame::NoFrame);
    mdi_->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &FrameWindow::SubWindowActivated);

    BuildMenus();
    BuildRecentFilesMenu();
    BuildToolbar();
    NameForScreenReaders();
    setAcceptDrops(true);
    UpdateMenus();

    // Client area of the given size (with the menu bar and the toolbar in
    // place, so their heights are known), the frame centred on the screen.
    const QSize client(units::ToPixels(kClientWidthUnits), units::ToPixels(kClientHeightUnits));
    resize(client);
    layout()->activate();
    resize(size() + (client - mdi_->size()));
    layout()->activate();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    d_->timer1 = new QTimer(this);
    d_->timer1->setObjectName(QStringLiteral("Timer1"));
    d_->timer1->setSingleShot(true);
    d_->timer1->setInterval(kTimer1Interval);
    connect(d_->timer1, &QTimer::timeout, this, &FrameWindow::Timer1_Timer);

    // A change of the picture draws to the device preview: a closed one is
    // loaded again, hidden, and shows the picture from its start.
    const auto previewLoaded = [this] {
        if (!d_->ending)
            TavDisplayWindow();
    };
    connect(&session_.document, &PictureDocument::pixelsChanged, this, previewLoaded);
    connect(&session_.document, &PictureDocument::sizeChanged, this, previewLoaded);

    // Start-up.
    LoadTextView();
    d_->textSub->show();
    LoadTavDisplay();
    d_->tavSub->show();
    LoadDrawingWindow();
    PlaceDrawingWindow();
    PlaceTextView();
    UpdateMenus();
    d_->timer1->start();
}

FrameWindow::~FrameWindow()
{
    // The children go first, while everything they may call back into exists.
    d_->ending = true;
    disconnect(mdi_, nullptr, this, nullptr);
    delete d_->about;
    delete d_->drawSub;
    delete d_->textSub;
    delete d_->tavSub;
    d_->main = nullptr;
    d_->text = nullptr;
    d_->tav = nullptr;
    delete d_;
    d_ = nullptr;
}

void FrameWindow::BuildMenus()
{
    // Every command reaches the drawing window first, loading it again if
    // it was closed, as the drawing window's own menus always did.
    auto entry = [this](const QString& text, const char* name, auto command, const QKeySequence& key = {}) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, command] {
            DrawingWindow();
            command();
        });
        return a;
    };
    auto onDrawing = [this](auto member) { return [this, member] { (DrawingWindow().*member)(); }; };
    auto onFiles = [this](void (FileCommands::*member)()) { return [this, member] { (DrawingWindow().Files().*member)(); }; };
    auto onSelection = [this](void (Selection::*member)()) {
        return [this, member] { (DrawingWindow().SelectionTool().*member)(); };
    };
    auto onFrame = [this](void (FrameWindow::*member)()) { return [this, member] { (this->*member)(); }; };

    QAction* newEntry = entry(QStringLiteral("&New"), "NewMenu", onDrawing(&tobrin::DrawingWindow::NewMenu_Click),
                              QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction* open = entry(QStringLiteral("&Open"), "Open", onFiles(&FileCommands::Open), QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* saveAs = entry(QStringLiteral("&Save as..."), "Saveas", onFiles(&FileCommands::Saveas));
    QAction* save = entry(QStringLiteral("&Save"), "Save", onFiles(&FileCommands::Save), QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction* import = entry(QStringLiteral("&Import"), "ImportMenu", onFrame(&FrameWindow::ImportMenu_Click),
                            QKeySequence(Qt::CTRL | Qt::Key_I));
    // The picture written in another format; the file name and saved flag stay.
    QAction* exportEntry = entry(QStringLiteral("Ex&port\u2026"), "ExportMenu", onFiles(&FileCommands::Export));
    // Ctrl+Q ends the program only while the drawing window is active.
    QAction* exitFrame = entry(QStringLiteral("&Exit"), "ExitMenu", onFrame(&FrameWindow::ExitMenu_Click));
    QAction* exitDrawing = entry(QStringLiteral("&Exit"), "ExitMenu", onFrame(&FrameWindow::ExitMenu_Click),
                                 QKeySequence(Qt::CTRL | Qt::Key_Q));
    QAction* undo = entry(QStringLiteral("&Undo"), "UndoMenu", onDrawing(&tobrin::DrawingWindow::UndoMenu_Click),
                          QKeySequence(Qt::CTRL | Qt::Key_Z));
    // History: Redo, and both entries greyed while there is nothing to take back or redo.
    QAction* redo = entry(QStringLiteral("&Redo"), "RedoMenu", onDrawing(&tobrin::DrawingWindow::RedoMenu_Click));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    undo->setEnabled(session_.document.CanUndo());
    redo->setEnabled(session_.document.CanRedo());
    connect(&session_.document, &PictureDocument::undoAvailable, undo, &QAction::setEnabled);
    connect(&session_.document, &PictureDocument::redoAvailable, redo, &QAction::setEnabled);
    QAction* cut = entry(QStringLiteral("&Cut"), "CutMenu", onSelection(&Selection::CutMenu_Click), QKeySequence(Qt::CTRL | Qt::Key_X));
    QAction* copy = entry(QStringLiteral("&Copy"), "Copy", onSelection(&Selection::Copy_Click), QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction* paste = entry(QStringLiteral("&Paste"), "Paste", onSelection(&Selection::Paste_Click), QKeySequence(Qt::CTRL | Qt::Key_V));
    QAction* arrange = entry(QStringLiteral("&Arrange windows"), "Arrange", onFrame(&FrameWindow::ArrangeWindows));
    auto toggle = [this](void (FrameWindow::*member)()) {
        return [this, member] {
            (this->*member)();
            WindowMenu_Open();
        };
    };
    d_->drawVisible = entry(QStringLiteral("&Drawing area"), "DrawVisible", toggle(&FrameWindow::ToggleDrawingArea));
    d_->tavVisible = entry(QStringLiteral("&Tav preview"), "TavVisible", toggle(&FrameWindow::ToggleTavPreview));
    d_->textVisible = entry(QStringLiteral("&Text preview"), "TextVisible", toggle(&FrameWindow::ToggleTextView));
    d_->textVisibleDrawing = entry(QStringLiteral("&Text view"), "TextVisible", toggle(&FrameWindow::ToggleTextView));
    for (QAction* a : {d_->drawVisible, d_->tavVisible, d_->textVisible, d_->textVisibleDrawing})
        a->setCheckable(true);
    auto* about = new QAction(QStringLiteral("&About..."), this);
    about->setObjectName(QStringLiteral("About"));
    connect(about, &QAction::triggered, this, &FrameWindow::ShowAbout);

    auto menu = [this](const QString& title, const char* name, const QList<QAction*>& actions) {
        auto* m = new QMenu(title, this);
        m->setObjectName(QLatin1String(name));
        for (QAction* a : actions) {
            if (a)
                m->addAction(a);
            else
                m->addSeparator();
        }
        return m;
    };
    QMenu* help = menu(QStringLiteral("&Help"), "HelpMenu", {about});
    QMenu* frameWindow = menu(QStringLiteral("&Window"), "WindowMenu",
                              {arrange, nullptr, d_->drawVisible, d_->tavVisible, d_->textVisible});
    QMenu* drawingWindow = menu(QStringLiteral("&Window"), "WindowMenu",
                                {arrange, nullptr, d_->drawVisible, d_->tavVisible, d_->textVisibleDrawing});
    for (QMenu* m : {frameWindow, drawingWindow})
        connect(m, &QMenu::aboutToShow, this, &FrameWindow::WindowMenu_Open);
    d_->frameMenus = {menu(QStringLiteral("&File"), "FileMenu",
                           {newEntry, open, nullptr, saveAs, save, nullptr, import, exportEntry, nullptr, exitFrame}),
                      frameWindow, help};
    d_->drawingMenus = {menu(QStringLiteral("&File"), "FileMenu",
                             {newEntry, open, nullptr, saveAs, save, nullptr, import, exportEntry, nullptr, exitDrawing}),
                        menu(QStringLiteral("&Edit"), "EditMenu", {undo, redo, nullptr, cut, copy, paste}),
                        BuildViewMenu(), BuildPictureMenu(), drawingWindow, help};
}

// ---- Editing menus: zoom and picture transforms -----------------------------

QMenu* FrameWindow::BuildViewMenu()
{
    auto* m = new QMenu(QStringLiteral("&View"), this);
    m->setObjectName(QStringLiteral("ViewMenu"));
    auto add = [this, m](const QString& text, const char* name, void (tobrin::DrawingWindow::*command)(),
                         const QList<QKeySequence>& keys) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, [this, command] { (DrawingWindow().*command)(); });
        m->addAction(a);
        return a;
    };
    QAction* in = add(QStringLiteral("Zoom &in"), "ZoomIn", &tobrin::DrawingWindow::ZoomIn,
                      {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* out = add(QStringLiteral("Zoom &out"), "ZoomOut", &tobrin::DrawingWindow::ZoomOut,
                       {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    add(QStringLiteral("&Actual size"), "ActualSize", &tobrin::DrawingWindow::ActualSize,
        {QKeySequence(Qt::CTRL | Qt::Key_0)});
    add(QStringLiteral("&Fit to window"), "FitToWindow", &tobrin::DrawingWindow::FitToWindow, {});
    // At either end of the zoom ladder the entry that cannot go on is greyed.
    connect(m, &QMenu::aboutToShow, this, [this, in, out] {
        const tobrin::DrawingWindow* w = DrawingWindowIfLoaded();
        const int level = w ? w->ZoomLevel() : zoom::kActualCellPixels;
        in->setEnabled(ZoomInStep(level) != level);
        out->setEnabled(ZoomOutStep(level) != level);
    });
    return m;
}

QMenu* FrameWindow::BuildPictureMenu()
{
    auto* m = new QMenu(QStringLiteral("&Picture"), this);
    m->setObjectName(QStringLiteral("PictureMenu"));
    auto add = [this, m](const QString& text, const char* name, Transform t, const QKeySequence& key = {}) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, t] { DrawingWindow().TransformMenu_Click(t); });
        m->addAction(a);
        return a;
    };
    add(QStringLiteral("Flip &horizontal"), "FlipHorizontal", Transform::FlipHorizontal);
    add(QStringLiteral("Flip &vertical"), "FlipVertical", Transform::FlipVertical);
    QAction* clockwise =
        add(QStringLiteral("Rotate 90\u00b0 &clockwise"), "RotateClockwise", Transform::RotateClockwise);
    QAction* counter = add(QStringLiteral("Rotate 90\u00b0 c&ounter-clockwise"), "RotateCounterClockwise",
                           Transform::RotateCounterClockwise);
    add(QStringLiteral("&Invert"), "Invert", Transform::Invert);
    m->addSeparator();
    add(QStringLiteral("Shift &left"), "ShiftLeft", Transform::ShiftLeft, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left));
    add(QStringLiteral("Shift &right"), "ShiftRight", Transform::ShiftRight,
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right));
    add(QStringLiteral("Shift &up"), "ShiftUp", Transform::ShiftUp, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up));
    add(QStringLiteral("Shift &down"), "ShiftDown", Transform::ShiftDown, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down));
    // A rotation that would not fit is greyed, its reason as the tip.
    connect(m, &QMenu::aboutToShow, this, [this, clockwise, counter] {
        const tobrin::DrawingWindow* w = DrawingWindowIfLoaded();
        for (auto [a, t] : {std::pair{clockwise, Transform::RotateClockwise}, std::pair{counter, Transform::RotateCounterClockwise}}) {
            TransformResult plan;
            plan.ok = true;  // with no drawing window there is nothing to refuse yet
            if (w)
                plan = w->PlanTransformNow(t);
            a->setEnabled(plan.ok);
            a->setToolTip(plan.ok ? a->text().remove(QLatin1Char('&')) : plan.reason);
        }
    });
    return m;
}

void FrameWindow::BuildToolbar()
{
    d_->toolbar = addToolBar(QStringLiteral("Toolbar"));
    d_->toolbar->setObjectName(QStringLiteral("Toolbar"));
    d_->toolbar->setMovable(false);
    d_->toolbar->setFloatable(false);
    d_->toolbar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    // The buttons show the menus' own actions. "Save hex file" and "Paste"
    // are actions of their own that trigger the menu entries, because their
    // enabled state differs: the buttons grey out while the picture is saved
    // or the clipboard holds no picture, the menu entries never do.
    auto show = [this](QAction* a, const char* icon, const QString& tip, const char* name) {
        a->setIcon(ToolbarIcon(QLatin1String(icon)));
        a->setIconVisibleInMenu(false);
        a->setToolTip(tip);
        d_->toolbar->addAction(a);
        QWidget* w = d_->toolbar->widgetForAction(a);
        w->setObjectName(QLatin1String(name));
        w->setAccessibleName(tip);
        if (!a->shortcut().isEmpty())
            d_->toolbarKeys.insert(a, a->shortcut());
        return a;
    };
    auto shared = [this, show](const char* icon, const QString& tip, const char* name, const char* menuEntry) {
        show(FindAction(d_->drawingMenus, QLatin1String(menuEntry)), icon, tip, name);
    };
    auto own = [this, show](const char* icon, const QString& tip, const char* name, const char* menuEntry) {
        auto* a = new QAction(tip, this);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, FindAction(d_->drawingMenus, QLatin1String(menuEntry)), &QAction::trigger);
        return show(a, icon, tip, name);
    };
    shared("new", QStringLiteral("New picture"), "NewButton", "NewMenu");
    shared("open", QStringLiteral("Open file"), "OpenButton", "Open");
    d_->saveButton = own("save", QStringLiteral("Save hex file"), "SaveButton", "Save");
    shared("import", QStringLiteral("Import graphic file"), "ImportButton", "ImportMenu");
    d_->toolbar->addSeparator();
    shared("cut", QStringLiteral("Cut"), "CutButton", "CutMenu");
    shared("copy", QStringLiteral("Copy"), "CopyButton", "Copy");
    d_->pasteButton = own("paste", QStringLiteral("Paste"), "PasteButton", "Paste");
    // Asking the clipboard can wait on another program (tens of
    // milliseconds), so the first window does not: "Paste" starts disabled
    // and follows the clipboard from Timer1's tick on, when the drawing
    // window's first activation asks, before anything can be clicked.
    d_->pasteButton->setEnabled(false);
    d_->saveButton->setEnabled(!session_.document.Saved());
    connect(&session_.document, &PictureDocument::savedChanged, d_->saveButton,
            [this](bool saved) { d_->saveButton->setEnabled(!saved); });

    d_->toolbar->addSeparator();
    d_->sizes = new SizeFields(*this, session_, d_->toolbar);
    d_->toolbar->addWidget(d_->sizes);
}

// ---- Child windows -------------------------------------------------------

void FrameWindow::LoadDrawingWindow()
{
    if (d_->loadingMain)
        qFatal("The drawing window was asked for during its own start-up");
    auto* sub = new ChildWindow;
    sub->setObjectName(QStringLiteral("DrawingSubWindow"));
    d_->loadingMain = true;
    auto* main = new tobrin::DrawingWindow(session_);
    d_->loadingMain = false;
    if (main->windowTitle().isEmpty())
        main->setWindowTitle(QStringLiteral("Drawing area"));
    sub->setWidget(main);
    sub->setWindowTitle(main->windowTitle());
    mdi_->addSubWindow(sub);
    sub->hide();
    d_->main = main;
    d_->drawSub = sub;
    connect(sub, &ChildWindow::closed, this, [this, sub] {
        if (d_->drawSub != sub)
            return;
        d_->main = nullptr;
        d_->drawSub = nullptr;
        SetDrawVisibleChecked(false);
        UpdateMenus();
    });
    connect(main, &tobrin::DrawingWindow::pasteAvailable, this, &FrameWindow::SetPasteEnabled);
    // A redraw brings the view's preview dots up to date too, loading a
    // closed preview again (hidden), as every drawing to it does.
    connect(main, &tobrin::DrawingWindow::viewRedrawn, this,
            [this](const QRect& region) {
                if (!d_->ending)
                    TavDisplayWindow().ShowPicture(region);
            });
    SetDrawVisibleChecked(true);
    PlaceDrawingWindow();
}

void FrameWindow::LoadTextView()
{
    auto* sub = new ChildWindow;
    sub->setObjectName(QStringLiteral("TextViewSubWindow"));
    auto* text = new TextPreview(session_.document);
    sub->setWidget(text);
    sub->setWindowTitle(text->windowTitle());
    mdi_->addSubWindow(sub);
    sub->hide();
    d_->text = text;
    d_->textSub = sub;
    connect(sub, &ChildWindow::closed, this, [this, sub] {
        if (d_->textSub != sub)
            return;
        d_->text = nullptr;
        d_->textSub = nullptr;
        SetTextVisibleChecked(false);
        UpdateMenus();
    });
    SetTextVisibleChecked(true);
    PlaceTextView();
}

void FrameWindow::LoadTavDisplay()
{
    // A fixed border without a maximise button.
    auto* sub = new ChildWindow(nullptr, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                             | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                                             | Qt::WindowCloseButtonHint);
    sub->setObjectName(QStringLiteral("TavSubWindow"));
    auto* tav = new DevicePreview(session_.document);
    sub->setWidget(tav);
    sub->setWindowTitle(tav->windowTitle());
    sub->setOption(QMdiSubWindow::RubberBandResize, false);
    mdi_->addSubWindow(sub);
    sub->hide();
    sub->setFixedSize(units::ToPixels(DevicePreview::kOuterWidthUnits), units::ToPixels(DevicePreview::kOuterHeightUnits));
    d_->tav = tav;
    d_->tavSub = sub;
    connect(tav, &DevicePreview::DisplayClicked, this, [this](int x, int y) {
        if (tobrin::DrawingWindow* main = DrawingWindowIfLoaded()) {
            double dx = x, dy = y;
            main->Relocate(dx, dy);
        }
    });
    connect(sub, &ChildWindow::closed, this, [this, sub] {
        if (d_->tavSub != sub)
            return;
        d_->tav = nullptr;
        d_->tavSub = nullptr;
        SetTavVisibleChecked(false);
        UpdateMenus();
    });
    SetTavVisibleChecked(true);
    PlaceTavDisplay();
}

void FrameWindow::PlaceTextView()
{
    if (!d_->textSub)
        return;
    const double left = ClientWidthUnits() - kTextViewWidthUnits;
    d_->textSub->setGeometry(units::ToPixels(left), 0, units::ToPixels(kTextViewWidthUnits),
                             units::ToPixels(ClientHeightUnits()));
}

void FrameWindow::PlaceTavDisplay()
{
    if (!d_->tavSub)
        return;
    const double top = ClientHeightUnits() - units::ToUnits(d_->tavSub->height());
    d_->tavSub->move(0, units::ToPixels(top));
}

void FrameWindow::PlaceDrawingWindow()
{
    if (!d_->drawSub)
        return;
    d_->drawSub->setGeometry(0, 0, units::ToPixels(kDrawingWidthUnits),
                             units::ToPixels(kSizeFactor * kDrawingHeightUnits));
}

double FrameWindow::ClientWidthUnits() const { return units::ToUnits(mdi_->contentsRect().width()); }
double FrameWindow::ClientHeightUnits() const { return units::ToUnits(mdi_->contentsRect().height()); }

tobrin::DrawingWindow& FrameWindow::DrawingWindow()
{
    if (!d_->main)
        LoadDrawingWindow();
    return *d_->main;
}

tobrin::DrawingWindow* FrameWindow::DrawingWindowIfLoaded() const { return d_ ? d_->main : nullptr; }
QMdiSubWindow* FrameWindow::DrawingSubWindow() const { return d_->drawSub; }

TextPreview& FrameWindow::TextViewWindow()
{
    if (!d_->text)
        LoadTextView();
    return *d_->text;
}

DevicePreview& FrameWindow::TavDisplayWindow()
{
    if (!d_->tav)
        LoadTavDisplay();
    return *d_->tav;
}

QMdiSubWindow* FrameWindow::TextViewSubWindow() const { return d_->textSub; }
QMdiSubWindow* FrameWindow::TavSubWindow() const { return d_->tavSub; }
TextPreview* FrameWindow::TextViewIfLoaded() const { return d_->text; }
DevicePreview* FrameWindow::TavDisplayIfLoaded() const { return d_->tav; }

void FrameWindow::Timer1_Timer()
{
    d_->timer1->stop();
    // The drawing window comes after the frame's first picture, not before
    // it: its first activation asks the clipboard, which may wait on another
    // program. A shown frame that the window system has not put on screen
    // yet is waited for, a second at most.
    const QWindow* native = windowHandle();
    if (isVisible() && native && !native->isExposed() && d_->timer1Waits < 100) {
        ++d_->timer1Waits;
        d_->timer1->start();
        return;
    }
    DrawingWindow();
    d_->drawSub->showNormal();
    mdi_->setActiveSubWindow(d_->drawSub);
    QIcon icon = windowIcon();
    About::AddAppIconSizes(icon, kStartIconSize, 256);
    QGuiApplication::setWindowIcon(icon);
    setWindowIcon(icon);
}

// ---- Toolbar, size fields, check marks -----------------------------------

bool FrameWindow::SaveEnabled() const { return d_->saveButton->isEnabled(); }
void FrameWindow::SetPasteEnabled(bool enabled) { d_->pasteButton->setEnabled(enabled); }
bool FrameWindow::PasteEnabled() const { return d_->pasteButton->isEnabled(); }

void FrameWindow::ShowSize(int width, int height) { d_->sizes->ShowSize(width, height); }

void FrameWindow::SetDrawVisibleChecked(bool on) { d_->drawVisible->setChecked(on); }
void FrameWindow::SetTavVisibleChecked(bool on) { d_->tavVisible->setChecked(on); }
void FrameWindow::SetTextVisibleChecked(bool on)
{
    d_->textVisible->setChecked(on);
    d_->textVisibleDrawing->setChecked(on);
}

void FrameWindow::WindowMenu_Open()
{
    SetTavVisibleChecked(Shown(d_->tavSub));
    SetTextVisibleChecked(Shown(d_->textSub));
    SetDrawVisibleChecked(Shown(d_->drawSub));
}

QList<QMenu*> FrameWindow::FrameMenus() const { return d_->frameMenus; }
QList<QMenu*> FrameWindow::DrawingMenus() const { return d_->drawingMenus; }

QAction* FrameWindow::FrameAction(const QString& objectName) const
{
    // A toolbar button is found by its own name: the action it shows.
    for (QAction* a : d_->toolbar->actions())
        if (QWidget* w = d_->toolbar->widgetForAction(a); w && w->objectName() == objectName)
            return a;
    return FindAction(d_->frameMenus, objectName);
}

QAction* FrameWindow::DrawingAction(const QString& objectName) const
{
    return FindAction(d_->drawingMenus, objectName);
}

QToolBar* FrameWindow::Toolbar() const { return d_->toolbar; }
SizeFields* FrameWindow::Sizes() const { return d_->sizes; }
QTimer* FrameWindow::Timer1() const { return d_->timer1; }
About* FrameWindow::AboutWindow() const { return d_->about; }

// ---- Window commands -----------------------------------------------------

void FrameWindow::ArrangeWindows()
{
    tobrin::DrawingWindow& main = DrawingWindow();
    QMdiSubWindow* draw = d_->drawSub;
    if (draw->isMaximized() || draw->isMinimized())
        draw->showNormal();
    else
        draw->show();
    // Closed previews are loaded again, hidden, to be positioned.
    TavDisplayWindow();
    TextViewWindow();

    const double innerWidth = ClientWidthUnits();
    const double innerHeight = ClientHeightUnits();
    const double drawHeight = innerHeight - units::ToUnits(d_->tavSub->height());
    const double drawWidth = innerWidth - units::ToUnits(d_->textSub->width());
    draw->setGeometry(0, 0, units::ToPixels(drawWidth), units::ToPixels(drawHeight));
    d_->tavSub->move(0, units::ToPixels(drawHeight));
    d_->textSub->move(units::ToPixels(drawWidth), 0);
    main.LayoutCanvas();
    UpdateMenus();
}

void FrameWindow::ToggleDrawingArea()
{
    if (Shown(d_->drawSub)) {
        d_->drawSub->hide();
        SetDrawVisibleChecked(false);
        UpdateMenus();
        return;
    }
    tobrin::DrawingWindow& main = DrawingWindow();
    SetDrawVisibleChecked(true);
    d_->drawSub->show();
    mdi_->setActiveSubWindow(d_->drawSub);
    main.RedrawAll();
    UpdateMenus();
}

void FrameWindow::ToggleTavPreview()
{
    if (Shown(d_->tavSub)) {
        d_->tavSub->close();  // its unload clears the check marks
        return;
    }
    TavDisplayWindow();
    d_->tavSub->show();
    SetTavVisibleChecked(true);
}

void FrameWindow::ToggleTextView()
{
    if (Shown(d_->textSub)) {
        d_->textSub->close();  // its unload clears the check marks
        return;
    }
    TextViewWindow();
    d_->textSub->show();
    SetTextVisibleChecked(true);
}

void FrameWindow::ShowAbout()
{
    if (!d_->about) {
        d_->about = new About(this);
        d_->about->show();
    }
    d_->about->raise();
    d_->about->activateWindow();
}

void FrameWindow::CloseAbout()
{
    if (d_->about)
        d_->about->close();
}

void FrameWindow::FocusDrawingWindow()
{
    if (!Shown(d_->drawSub))
        return;
    mdi_->setActiveSubWindow(d_->drawSub);
    d_->main->setFocus(Qt::OtherFocusReason);
}

// ---- Menus follow the active child ---------------------------------------

void FrameWindow::SubWindowActivated(QMdiSubWindow* window)
{
    UpdateMenus();
    if (!window || window == d_->lastActive)
        return;  // the frame lost the focus, or the same child came back
    d_->lastActive = window;
    if (window == d_->drawSub && d_->main)
        d_->main->Form_Activate();
}

void FrameWindow::UpdateMenus()
{
    if (!d_ || d_->ending)
        return;
    // currentSubWindow() keeps the last active child while another window
    // of the program (a message box, the About box) has the focus.
    QMdiSubWindow* current = mdi_->currentSubWindow();
    QList<QMenu*> wanted = d_->frameMenus;
    if (d_->main && current && current == d_->drawSub && Shown(d_->drawSub)) {
        wanted = d_->drawingMenus;
    }
    QList<QMenu*> shown;
    for (const auto& m : d_->shownMenus)
        if (m)
            shown.append(m);
    if (shown == wanted && shown.size() == d_->shownMenus.size())
        return;

    // Only the menus on the bar have live shortcuts, so the two sets never
    // compete for the same keys. A toolbar button would keep its action's
    // keys live whatever the bar holds (Cut and Copy are in the drawing
    // window's Edit menu alone), so those keys follow the bar too.
    for (auto it = d_->toolbarKeys.cbegin(); it != d_->toolbarKeys.cend(); ++it) {
        const bool onBar = std::any_of(wanted.cbegin(), wanted.cend(),
                                       [&it](QMenu* m) { return m->actions().contains(it.key()); });
        it.key()->setShortcut(onBar ? it.value() : QKeySequence());
    }
    QMenuBar* bar = menuBar();
    for (QAction* a : bar->actions())
        bar->removeAction(a);
    d_->shownMenus.clear();
    for (QMenu* m : wanted) {
        bar->addMenu(m);
        d_->shownMenus.append(m);
    }
}

// ---- Activation and ending -----------------------------------------------

bool FrameWindow::event(QEvent* e)
{
    const bool result = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate && d_ && !d_->ending) {
        if (tobrin::DrawingWindow* main = d_->main)
            main->RedrawAll();
        SetPasteEnabled(Selection::ClipboardHasImage());
    }
    return result;
}

void FrameWindow::closeEvent(QCloseEvent* event)
{
    if (!d_->ending) {
        QWidget* asker = d_->main ? static_cast<QWidget*>(d_->main) : this;
        if (!session_.ConfirmDiscard(asker)) {
            event->ignore();
            return;
        }
        d_->ending = true;
    }
    SaveArrangement();
    CloseAbout();
    event->accept();
}

void FrameWindow::ExitMenu_Click()
{
    if (session_.ConfirmDiscard(d_->main ? static_cast<QWidget*>(d_->main) : this))
        EndProgram();
}

void FrameWindow::ImportMenu_Click()
{
    ImportDialog dialog(session_, [this] { ShowDrawing(); }, &DrawingWindow());
    dialog.exec();
}

void FrameWindow::ShowDrawing()
{
    if (QMdiSubWindow* sub = d_->drawSub) {
        sub->show();
        mdi_->setActiveSubWindow(sub);
    } else {
        DrawingWindow().show();
    }
    SetDrawVisibleChecked(true);
}

void FrameWindow::EndProgram()
{
    d_->ending = true;
    CloseAbout();
    close();
}

// ---- Desktop conveniences -----------------------------------------------

void FrameWindow::NameForScreenReaders()
{
    SetAccessibleScrollBars(mdi_, QStringLiteral("Workspace"));
    menuBar();  // made here if not yet, with its overflow button
    NameOverflowButtons(this);
}

void FrameWindow::BuildRecentFilesMenu()
{
    // One submenu, after "Save" in both File menus, filled when it opens.
    d_->recentFiles = new QMenu(QStringLiteral("&Recent files"), this);
    d_->recentFiles->setObjectName(QStringLiteral("RecentFilesMenu"));
    d_->recentFiles->menuAction()->setObjectName(QStringLiteral("RecentFiles"));
    connect(d_->recentFiles, &QMenu::aboutToShow, this, &FrameWindow::FillRecentFilesMenu);
    for (const QList<QMenu*>* menus : {&d_->frameMenus, &d_->drawingMenus}) {
        QMenu* file = menus->value(0);
        const QList<QAction*> entries = file ? file->actions() : QList<QAction*>();
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i]->objectName() == QLatin1String("Save")) {
                file->insertMenu(entries.value(i + 1), d_->recentFiles);
                break;
            }
        }
    }
    FillRecentFilesMenu();
}

void FrameWindow::FillRecentFilesMenu()
{
    QMenu* menu = d_->recentFiles;
    menu->clear();
    const QStringList files = places::RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        // An "&" in the path is text, not a mnemonic.
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* a = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        a->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
    menu->addSeparator();
    QAction* clear = menu->addAction(QStringLiteral("Clear"));
    clear->setObjectName(QStringLiteral("ClearRecentFiles"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        places::ClearRecentFiles();
        FillRecentFilesMenu();
    });
}

QMenu* FrameWindow::RecentFilesMenu() const { return d_->recentFiles; }

void FrameWindow::OpenRecentFile(const QString& path)
{
    tobrin::DrawingWindow& main = DrawingWindow();
    if (!QFileInfo(path).isFile()) {
        places::RemoveRecentFile(path);
        FillRecentFilesMenu();
        session_.dialogs.Message(&main, QStringLiteral("Recent files"),
                                 QStringLiteral("%1 is no longer there; it was removed from the list.")
                                     .arg(QDir::toNativeSeparators(path)),
                                 Dialogs::Icon::Warning);
        return;
    }
    if (!session_.ConfirmDiscard(&main))
        return;
    main.Files().ReadHexFile(path);
}

bool FrameWindow::IsImportImage(const QString& path)
{
    return ImageLoader::HasImageExtension(path);
}

void FrameWindow::OpenDroppedFile(const QString& path)
{
    tobrin::DrawingWindow& main = DrawingWindow();
    // A black-and-white PNG or BMP of a picture's size is a picture (one the
    // editor exported, say): it opens as File > Open would open it.
    if (IsImportImage(path) && !(FormatForPath(path) == PictureFormat::Image && ReadPictureFile(path))) {
        ImportDialog dialog(session_, [this] { ShowDrawing(); }, &main);
        dialog.LoadFile(path);
        dialog.exec();
        return;
    }
    if (!session_.ConfirmDiscard(&main))
        return;
    main.Files().ReadHexFile(path);
}

void FrameWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FrameWindow::dropEvent(QDropEvent* event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drag has ended: the questions and the import dialog are modal.
    QTimer::singleShot(0, this, [this, file] { OpenDroppedFile(file); });
}

namespace {
const QString kFrameGeometryKey = QStringLiteral("frame/geometry");
const QString kZoomKey = QStringLiteral("drawing/zoom");
const char* const kChildKeys[3] = {"frame/drawingWindow", "frame/textView", "frame/tavPreview"};
}  // namespace

void FrameWindow::RememberArrangement()
{
    d_->rememberArrangement = true;
    QSettings settings;
    const QByteArray geometry = settings.value(kFrameGeometryKey).toByteArray();
    if (geometry.isEmpty())
        return;  // the first start keeps the built-in layout
    restoreGeometry(geometry);
    const QMdiSubWindow* subs[3] = {d_->drawSub, d_->textSub, d_->tavSub};
    for (int i = 0; i < 3; ++i) {
        const QRect r = settings.value(QLatin1String(kChildKeys[i])).toRect();
        auto* sub = const_cast<QMdiSubWindow*>(subs[i]);
        if (!sub || !r.isValid())
            continue;
        if (sub == d_->tavSub)
            sub->move(r.topLeft());  // a fixed size
        else
            sub->setGeometry(r);
    }
    bool ok = false;
    const int zoomLevel = settings.value(kZoomKey).toInt(&ok);
    if (ok && d_->main)
        d_->main->ZoomTo(zoomLevel);  // clamped to the levels there are
}

void FrameWindow::SaveArrangement()
{
    if (!d_->rememberArrangement)
        return;
    QSettings settings;
    settings.setValue(kFrameGeometryKey, saveGeometry());
    const QMdiSubWindow* subs[3] = {d_->drawSub, d_->textSub, d_->tavSub};
    for (int i = 0; i < 3; ++i)
        if (subs[i] && !subs[i]->isMinimized() && !subs[i]->isMaximized())
            settings.setValue(QLatin1String(kChildKeys[i]), subs[i]->geometry());
    if (d_->main)
        settings.setValue(kZoomKey, d_->main->ZoomLevel());
}

}  // namespace tobrin
