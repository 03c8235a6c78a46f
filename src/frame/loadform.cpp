#include "frame/loadform.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

#include "core/units.h"
#include "drawing/main.h"
#include "frame/about.h"
#include "frame/appresources.h"
#include "frame/childwindow.h"
#include "frame/sizefields.h"
#include "preview/tavdisplay.h"
#include "preview/textview.h"

namespace tobrin {

namespace {

bool ClipboardHasImage()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    return data && data->hasImage();
}

bool Shown(const QWidget* w) { return w && !w->isHidden(); }

QIcon ToolbarIcon(const QString& name)
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/toolbar/%1.png").arg(name), QSize(), QIcon::Normal);
    icon.addFile(QStringLiteral(":/icons/toolbar/disabled/%1.png").arg(name), QSize(), QIcon::Disabled);
    return icon;
}

QAction* FindAction(const QList<QAction*>& actions, const QString& name)
{
    for (QAction* a : actions) {
        if (a->objectName() == name)
            return a;
        if (QMenu* sub = a->menu())
            if (QAction* found = FindAction(sub->actions(), name))
                return found;
    }
    return nullptr;
}

}  // namespace

struct LoadForm::Impl {
    Main* main = nullptr;
    TextView* text = nullptr;
    TavDisplay* tav = nullptr;
    QPointer<ChildWindow> drawSub, textSub, tavSub;
    bool loadingMain = false;
    bool ending = false;

    QList<QMenu*> frameMenus;
    QList<QPointer<QMenu>> shownMenus;
    QList<QAction*> frameActions;
    QAction* drawVisible = nullptr;
    QAction* tavVisible = nullptr;
    QAction* textVisible = nullptr;

    QToolBar* toolbar = nullptr;
    QAction* saveButton = nullptr;
    QAction* pasteButton = nullptr;
    SizeFields* sizes = nullptr;
    QTimer* timer1 = nullptr;
    QPointer<About> about;
    QPointer<QMdiSubWindow> lastActive;
};

LoadForm::LoadForm(Session& session, QWidget* parent) : QMainWindow(parent), session_(session), d_(new Impl)
{
    InitResources();
    setObjectName(QStringLiteral("LoadForm"));
    setWindowTitle(QStringLiteral("Tobrin"));
    const QIcon icon = About::AppIcon();
    QGuiApplication::setWindowIcon(icon);
    setWindowIcon(icon);

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("Workspace"));
    mdi_->setFrameShape(QFrame::NoFrame);
    mdi_->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &LoadForm::SubWindowActivated);

    BuildMenus();
    BuildToolbar();
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
    connect(d_->timer1, &QTimer::timeout, this, &LoadForm::Timer1_Timer);

    // Start-up.
    session_.decl.SizeFactor = 1.25;
    LoadTextView();
    d_->textSub->show();
    LoadTavDisplay();
    d_->tavSub->show();
    LoadDrawingWindow();
    PlaceDrawingWindow();
    PlaceTextView();
    SetPasteEnabled(ClipboardHasImage());
    UpdateMenus();
    d_->timer1->start();
}

LoadForm::~LoadForm()
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

void LoadForm::BuildMenus()
{
    auto entry = [this](QMenu* menu, const QString& text, const char* name, void (Main::*handler)(),
                        const QKeySequence& shortcut = {}) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, [this, handler] { (DrawingWindow().*handler)(); });
        d_->frameActions.append(a);
        return a;
    };

    auto* file = new QMenu(QStringLiteral("&File"), this);
    file->setObjectName(QStringLiteral("FileMenu"));
    entry(file, QStringLiteral("&New"), "NewMenu", &Main::NewMenu_Click, QKeySequence(Qt::CTRL | Qt::Key_N));
    entry(file, QStringLiteral("&Open"), "Open", &Main::Open_Click, QKeySequence(Qt::CTRL | Qt::Key_O));
    file->addSeparator();
    entry(file, QStringLiteral("&Save as..."), "Saveas", &Main::Saveas_Click);
    entry(file, QStringLiteral("&Save"), "Save", &Main::Save_Click, QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    entry(file, QStringLiteral("&Import"), "ImportMenu", &Main::ImportMenu_Click, QKeySequence(Qt::CTRL | Qt::Key_I));
    file->addSeparator();
    entry(file, QStringLiteral("&Exit"), "ExitMenu", &Main::ExitMenu_Click);

    auto* window = new QMenu(QStringLiteral("&Window"), this);
    window->setObjectName(QStringLiteral("WindowMenu"));
    entry(window, QStringLiteral("&Arrange windows"), "Arrange", &Main::Arrange_Click);
    window->addSeparator();
    d_->drawVisible = entry(window, QStringLiteral("&Drawing area"), "DrawVisible", &Main::DrawVisible_Click);
    d_->tavVisible = entry(window, QStringLiteral("&Tav preview"), "TavVisible", &Main::TavVisible_Click);
    d_->textVisible = entry(window, QStringLiteral("&Text preview"), "TextVisible", &Main::TextVisible_Click);
    for (QAction* a : {d_->drawVisible, d_->tavVisible, d_->textVisible})
        a->setCheckable(true);
    connect(window, &QMenu::aboutToShow, this, &LoadForm::WindowMenu_Open);

    auto* help = new QMenu(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("HelpMenu"));
    QAction* about = help->addAction(QStringLiteral("&About..."));
    about->setObjectName(QStringLiteral("About"));
    connect(about, &QAction::triggered, this, &LoadForm::ShowAbout);
    d_->frameActions.append(about);

    d_->frameMenus = {file, window, help};
}

void LoadForm::BuildToolbar()
{
    d_->toolbar = addToolBar(QStringLiteral("Toolbar"));
    d_->toolbar->setObjectName(QStringLiteral("Toolbar"));
    d_->toolbar->setMovable(false);
    d_->toolbar->setFloatable(false);
    d_->toolbar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    auto button = [this](const char* icon, const QString& tip, const char* name, void (Main::*handler)()) {
        QAction* a = d_->toolbar->addAction(ToolbarIcon(QLatin1String(icon)), tip);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(tip);
        if (QWidget* w = d_->toolbar->widgetForAction(a))
            w->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, [this, handler] { (DrawingWindow().*handler)(); });
        d_->frameActions.append(a);
        return a;
    };
    button("new", QStringLiteral("New picture"), "NewButton", &Main::NewMenu_Click);
    button("open", QStringLiteral("Open file"), "OpenButton", &Main::Open_Click);
    d_->saveButton = button("save", QStringLiteral("Save hex file"), "SaveButton", &Main::Save_Click);
    button("import", QStringLiteral("Import graphic file"), "ImportButton", &Main::ImportMenu_Click);
    d_->toolbar->addSeparator();
    button("cut", QStringLiteral("Cut"), "CutButton", &Main::CutMenu_Click);
    button("copy", QStringLiteral("Copy"), "CopyButton", &Main::Copy_Click);
    d_->pasteButton = button("paste", QStringLiteral("Paste"), "PasteButton", &Main::Paste_Click);
    d_->saveButton->setEnabled(false);

    d_->toolbar->addSeparator();
    d_->sizes = new SizeFields(*this, session_, d_->toolbar);
    d_->toolbar->addWidget(d_->sizes);
}

// ---- Child windows -------------------------------------------------------

void LoadForm::LoadDrawingWindow()
{
    if (d_->loadingMain)
        qFatal("The drawing window was asked for during its own start-up");
    const bool reload = session_.DrawingLoadedOnce;
    auto* sub = new ChildWindow;
    sub->setObjectName(QStringLiteral("DrawingSubWindow"));
    d_->loadingMain = true;
    auto* main = new Main(session_, *this);
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
    // Its own Window menu starts in step with the previews.
    SetMainChecked(QStringLiteral("TavVisible"), Shown(d_->tavSub));
    SetMainChecked(QStringLiteral("TextVisible"), Shown(d_->textSub));
    PlaceDrawingWindow();
    // The new drawing window starts at 40 x 32 again; the size fields show it.
    if (reload)
        d_->sizes->ShowSizeQuietly(session_.decl.MaxX + 1, session_.decl.MaxY + 1);
}

void LoadForm::LoadTextView()
{
    auto* sub = new ChildWindow;
    sub->setObjectName(QStringLiteral("TextViewSubWindow"));
    auto* text = new TextView;
    text->SetText(session_.HexText);
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
        SetMainChecked(QStringLiteral("TextVisible"), false);
        UpdateMenus();
    });
    SetTextVisibleChecked(true);
    SetMainChecked(QStringLiteral("TextVisible"), true);
    PlaceTextView();
}

void LoadForm::LoadTavDisplay()
{
    // A fixed border without a maximise button.
    auto* sub = new ChildWindow(nullptr, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                             | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                                             | Qt::WindowCloseButtonHint);
    sub->setObjectName(QStringLiteral("TavSubWindow"));
    auto* tav = new TavDisplay;
    sub->setWidget(tav);
    sub->setWindowTitle(tav->windowTitle());
    sub->setOption(QMdiSubWindow::RubberBandResize, false);
    mdi_->addSubWindow(sub);
    sub->hide();
    sub->setFixedSize(units::ToPixels(TavDisplay::kOuterWidthUnits), units::ToPixels(TavDisplay::kOuterHeightUnits));
    d_->tav = tav;
    d_->tavSub = sub;
    connect(tav, &TavDisplay::DisplayClicked, this, [this](int x, int y) {
        if (Main* main = DrawingWindowIfLoaded()) {
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
        SetMainChecked(QStringLiteral("TavVisible"), false);
        UpdateMenus();
    });
    SetTavVisibleChecked(true);
    SetMainChecked(QStringLiteral("TavVisible"), true);
    PlaceTavDisplay();
}

void LoadForm::PlaceTextView()
{
    if (!d_->textSub)
        return;
    const double left = ClientWidthUnits() - kTextViewWidthUnits;
    d_->textSub->setGeometry(units::ToPixels(left), 0, units::ToPixels(kTextViewWidthUnits),
                             units::ToPixels(ClientHeightUnits()));
}

void LoadForm::PlaceTavDisplay()
{
    if (!d_->tavSub)
        return;
    const double top = ClientHeightUnits() - units::ToUnits(d_->tavSub->height());
    d_->tavSub->move(0, units::ToPixels(top));
}

void LoadForm::PlaceDrawingWindow()
{
    if (!d_->drawSub)
        return;
    d_->drawSub->setGeometry(0, 0, units::ToPixels(kDrawingWidthUnits),
                             units::ToPixels(session_.decl.SizeFactor * kDrawingHeightUnits));
}

double LoadForm::ClientWidthUnits() const { return units::ToUnits(mdi_->contentsRect().width()); }
double LoadForm::ClientHeightUnits() const { return units::ToUnits(mdi_->contentsRect().height()); }

Main& LoadForm::DrawingWindow()
{
    if (!d_->main)
        LoadDrawingWindow();
    return *d_->main;
}

Main* LoadForm::DrawingWindowIfLoaded() const { return d_ ? d_->main : nullptr; }
QMdiSubWindow* LoadForm::DrawingSubWindow() const { return d_->drawSub; }

TextView& LoadForm::TextViewWindow()
{
    if (!d_->text)
        LoadTextView();
    return *d_->text;
}

TavDisplay& LoadForm::TavDisplayWindow()
{
    if (!d_->tav)
        LoadTavDisplay();
    return *d_->tav;
}

QMdiSubWindow* LoadForm::TextViewSubWindow() const { return d_->textSub; }
QMdiSubWindow* LoadForm::TavSubWindow() const { return d_->tavSub; }
TextView* LoadForm::TextViewIfLoaded() const { return d_->text; }
TavDisplay* LoadForm::TavDisplayIfLoaded() const { return d_->tav; }

void LoadForm::Timer1_Timer()
{
    d_->timer1->stop();
    DrawingWindow();
    d_->drawSub->showNormal();
    mdi_->setActiveSubWindow(d_->drawSub);
}

// ---- Toolbar, size fields, check marks -----------------------------------

void LoadForm::SetSaveEnabled(bool enabled) { d_->saveButton->setEnabled(enabled); }
bool LoadForm::SaveEnabled() const { return d_->saveButton->isEnabled(); }
void LoadForm::SetPasteEnabled(bool enabled) { d_->pasteButton->setEnabled(enabled); }
bool LoadForm::PasteEnabled() const { return d_->pasteButton->isEnabled(); }

void LoadForm::ShowSize(int width, int height) { d_->sizes->ShowSize(width, height); }

void LoadForm::SetDrawVisibleChecked(bool on) { d_->drawVisible->setChecked(on); }
void LoadForm::SetTavVisibleChecked(bool on) { d_->tavVisible->setChecked(on); }
void LoadForm::SetTextVisibleChecked(bool on) { d_->textVisible->setChecked(on); }

void LoadForm::SetMainChecked(const QString& objectName, bool on)
{
    Main* main = d_->main;
    if (!main)
        return;
    QList<QAction*> actions;
    for (QMenu* menu : main->Menus())
        actions += menu->actions();
    QAction* a = FindAction(actions, objectName);
    if (!a)
        a = main->findChild<QAction*>(objectName);
    if (a)
        a->setChecked(on);
}

void LoadForm::HexTextChanged()
{
    if (d_->text)
        d_->text->SetText(session_.HexText);
}

void LoadForm::WindowMenu_Open()
{
    SetTavVisibleChecked(Shown(d_->tavSub));
    SetTextVisibleChecked(Shown(d_->textSub));
    SetDrawVisibleChecked(Shown(d_->drawSub));
}

QList<QMenu*> LoadForm::FrameMenus() const { return d_->frameMenus; }

QAction* LoadForm::FrameAction(const QString& objectName) const
{
    for (QAction* a : d_->frameActions)
        if (a->objectName() == objectName)
            return a;
    return nullptr;
}

QToolBar* LoadForm::Toolbar() const { return d_->toolbar; }
SizeFields* LoadForm::Sizes() const { return d_->sizes; }
QTimer* LoadForm::Timer1() const { return d_->timer1; }
About* LoadForm::AboutWindow() const { return d_->about; }

// ---- Window commands -----------------------------------------------------

void LoadForm::ArrangeWindows()
{
    Main& main = DrawingWindow();
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

void LoadForm::ToggleDrawingArea()
{
    if (Shown(d_->drawSub)) {
        d_->drawSub->hide();
        SetDrawVisibleChecked(false);
        SetMainChecked(QStringLiteral("DrawVisible"), false);
        UpdateMenus();
        return;
    }
    Main& main = DrawingWindow();
    SetDrawVisibleChecked(true);
    SetMainChecked(QStringLiteral("DrawVisible"), true);
    d_->drawSub->show();
    mdi_->setActiveSubWindow(d_->drawSub);
    main.RedrawAll();
    UpdateMenus();
}

void LoadForm::ToggleTavPreview()
{
    if (Shown(d_->tavSub)) {
        d_->tavSub->close();  // its unload clears the check marks
        return;
    }
    TavDisplayWindow();
    d_->tavSub->show();
    SetTavVisibleChecked(true);
    SetMainChecked(QStringLiteral("TavVisible"), true);
    DrawingWindow().RefreshPreview();
}

void LoadForm::ToggleTextView()
{
    if (Shown(d_->textSub)) {
        d_->textSub->close();  // its unload clears the check marks
        return;
    }
    TextViewWindow();
    d_->textSub->show();
    DrawingWindow().UpdateHexText();
    SetTextVisibleChecked(true);
    SetMainChecked(QStringLiteral("TextVisible"), true);
}

void LoadForm::ShowAbout()
{
    if (!d_->about) {
        d_->about = new About(this);
        d_->about->show();
    }
    d_->about->raise();
    d_->about->activateWindow();
}

void LoadForm::CloseAbout()
{
    if (d_->about)
        d_->about->close();
}

void LoadForm::FocusDrawingWindow()
{
    if (!Shown(d_->drawSub))
        return;
    mdi_->setActiveSubWindow(d_->drawSub);
    d_->main->setFocus(Qt::OtherFocusReason);
}

// ---- Menus follow the active child ---------------------------------------

void LoadForm::SubWindowActivated(QMdiSubWindow* window)
{
    UpdateMenus();
    if (!window || window == d_->lastActive)
        return;  // the frame lost the focus, or the same child came back
    d_->lastActive = window;
    if (window == d_->drawSub && d_->main)
        d_->main->Form_Activate();
}

void LoadForm::UpdateMenus()
{
    if (!d_ || d_->ending)
        return;
    // currentSubWindow() keeps the last active child while another window
    // of the program (a message box, the About box) has the focus.
    QMdiSubWindow* current = mdi_->currentSubWindow();
    QList<QMenu*> wanted = d_->frameMenus;
    if (d_->main && current && current == d_->drawSub && Shown(d_->drawSub)) {
        const QList<QMenu*> own = d_->main->Menus();
        if (!own.isEmpty())
            wanted = own;
    }
    QList<QMenu*> shown;
    for (const auto& m : d_->shownMenus)
        if (m)
            shown.append(m);
    if (shown == wanted && shown.size() == d_->shownMenus.size())
        return;

    // Only the menus on the bar have live shortcuts, so the two sets never
    // compete for the same keys.
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

bool LoadForm::event(QEvent* e)
{
    const bool result = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate && d_ && !d_->ending) {
        if (Main* main = d_->main)
            main->RedrawAll();
        SetPasteEnabled(ClipboardHasImage());
    }
    return result;
}

void LoadForm::closeEvent(QCloseEvent* event)
{
    if (!d_->ending) {
        bool mayClose;
        if (Main* main = d_->main) {
            mayClose = main->ConfirmDiscard();
        } else {
            // Without a drawing window, ask the same question it would.
            mayClose = session_.decl.PictureSaved != 0
                || session_.dialogs.AskYesNo(this, QStringLiteral("File not saved"),
                                             QStringLiteral("Picture not saved. Continue?"));
        }
        if (!mayClose) {
            event->ignore();
            return;
        }
        d_->ending = true;
    }
    CloseAbout();
    event->accept();
}

void LoadForm::EndProgram()
{
    d_->ending = true;
    CloseAbout();
    close();
}

}  // namespace tobrin
