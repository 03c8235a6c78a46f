// The frame's commands: one set of QActions, shown in the menus on the bar
// and, as buttons, on the toolbar; the menus follow the active child window.

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <utility>

#include "app/appresources.h"
#include "core/zoom.h"
#include "drawing/drawingwindow.h"
#include "drawing/selection.h"
#include "files/filecommands.h"
#include "frame/toolsmenu.h"
#include "frame/framewindow_impl.h"
#include "frame/sizefields.h"

namespace tobrin {

namespace {

QIcon ToolbarIcon(const QString& name)
{
    return ResourceIcon(QStringLiteral(":/icons/toolbar/%1.png").arg(name),
                        QStringLiteral(":/icons/toolbar/disabled/%1.png").arg(name));
}

// A menu entry of the frame's menus by its object name.
QAction* FindMenuAction(const QList<QMenu*>& menus, const QString& name)
{
    for (QMenu* m : menus)
        for (QAction* a : m->actions())
            if (a->objectName() == name)
                return a;
    return nullptr;
}

}  // namespace

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
    QAction* newFont = entry(QStringLiteral("New &font\u2026"), "NewFontMenu", onFiles(&FileCommands::NewFont));
    newFont->setStatusTip(QStringLiteral("Makes a pixel font from an outline font, a BDF font or a picture of glyphs"));
    QAction* saveAs = entry(QStringLiteral("&Save as..."), "Saveas", onFiles(&FileCommands::Saveas));
    QAction* save = entry(QStringLiteral("&Save"), "Save", onFiles(&FileCommands::Save), QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction* import = entry(QStringLiteral("&Import"), "ImportMenu", onFrame(&FrameWindow::ImportMenu_Click),
                            QKeySequence(Qt::CTRL | Qt::Key_I));
    // The picture written in another format; the file name and saved flag stay.
    QAction* exportEntry = entry(QStringLiteral("Ex&port\u2026"), "ExportMenu", onFiles(&FileCommands::Export));
    QAction* exportTemplate = entry(QStringLiteral("Export with &Template\u2026"), "ExportTemplateMenu",
                                    onFiles(&FileCommands::ExportWithTemplate));
    exportTemplate->setStatusTip(QStringLiteral("Writes the picture as text in the shape an output template gives"));
    QAction* exit = entry(QStringLiteral("&Exit"), "ExitMenu", onFrame(&FrameWindow::ExitMenu_Click),
                          QKeySequence(Qt::CTRL | Qt::Key_Q));
    // History belongs to the document, which needs no drawing window.
    auto onDocument = [this](void (PictureDocument::*member)()) {
        return [this, member] { (session_.document.*member)(); };
    };
    QAction* undo = entry(QStringLiteral("&Undo"), "UndoMenu", onDocument(&PictureDocument::Undo),
                          QKeySequence(Qt::CTRL | Qt::Key_Z));
    // History: Redo, and both entries greyed while there is nothing to take back or redo.
    QAction* redo = entry(QStringLiteral("&Redo"), "RedoMenu", onDocument(&PictureDocument::Redo));
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
    // Each child window keeps its entry's check mark.
    QAction* drawVisible = entry(QStringLiteral("&Drawing area"), "DrawVisible", toggle(&FrameWindow::ToggleDrawingArea));
    QAction* tavVisible = entry(QStringLiteral("&Tav preview"), "TavVisible", toggle(&FrameWindow::ToggleTavPreview));
    QAction* textVisible = entry(QStringLiteral("&Text view"), "TextVisible", toggle(&FrameWindow::ToggleTextView));
    for (QAction* a : {drawVisible, tavVisible, textVisible})
        a->setCheckable(true);
    d_->draw->SetCheckMark(drawVisible);
    d_->tav->SetCheckMark(tavVisible);
    d_->text->SetCheckMark(textVisible);
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
    QMenu* window = menu(QStringLiteral("&Window"), "WindowMenu",
                         {arrange, nullptr, drawVisible, tavVisible, textVisible});
    d_->windowMenu = window;
    connect(window, &QMenu::aboutToShow, this, &FrameWindow::WindowMenu_Open);
    // One picture, one set of menus: the bar carries all of them whichever
    // child window is active, so every command and its keys work from the
    // previews too.
    d_->menus = {menu(QStringLiteral("&File"), "FileMenu",
                      {newEntry, newFont, open, nullptr, saveAs, save, nullptr, import, exportEntry, exportTemplate, nullptr, exit}),
                 menu(QStringLiteral("&Edit"), "EditMenu", {undo, redo, nullptr, cut, copy, paste}),
                 BuildViewMenu(), BuildPictureMenu(), BuildFramesMenu(),
                 d_->toolsMenu = MakeToolsMenu(this, [this]() -> tobrin::DrawingWindow& { return DrawingWindow(); }),
                 window, help};
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
    d_->zoomIn = add(QStringLiteral("Zoom &in"), "ZoomIn", &tobrin::DrawingWindow::ZoomIn,
                     {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    d_->zoomOut = add(QStringLiteral("Zoom &out"), "ZoomOut", &tobrin::DrawingWindow::ZoomOut,
                      {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    add(QStringLiteral("&Actual size"), "ActualSize", &tobrin::DrawingWindow::ActualSize,
        {QKeySequence(Qt::CTRL | Qt::Key_0)});
    add(QStringLiteral("&Fit to window"), "FitToWindow", &tobrin::DrawingWindow::FitToWindow, {});
    return m;
}

void FrameWindow::ShowZoomLevel(int level)
{
    // At either end of the zoom ladder the entry that cannot go on is
    // greyed, and with it its keys; every change of zoom updates both.
    d_->zoomIn->setEnabled(ZoomInStep(level) != level);
    d_->zoomOut->setEnabled(ZoomOutStep(level) != level);
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
        return a;
    };
    auto shared = [this, show](const char* icon, const QString& tip, const char* name, const char* menuEntry) {
        show(FindMenuAction(d_->menus, QLatin1String(menuEntry)), icon, tip, name);
    };
    auto own = [this, show](const char* icon, const QString& tip, const char* name, const char* menuEntry) {
        auto* a = new QAction(tip, this);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, FindMenuAction(d_->menus, QLatin1String(menuEntry)), &QAction::trigger);
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

// ---- Toolbar state, size fields, lookup ------------------------------------

bool FrameWindow::SaveEnabled() const { return d_->saveButton->isEnabled(); }
void FrameWindow::SetPasteEnabled(bool enabled) { d_->pasteButton->setEnabled(enabled); }
bool FrameWindow::PasteEnabled() const { return d_->pasteButton->isEnabled(); }

void FrameWindow::ShowSize(int width, int height) { d_->sizes->ShowSize(width, height); }

QList<QMenu*> FrameWindow::Menus() const { return d_->menus; }

QAction* FrameWindow::FrameAction(const QString& objectName) const
{
    // A toolbar button is found by its own name: the action it shows.
    for (QAction* a : d_->toolbar->actions())
        if (QWidget* w = d_->toolbar->widgetForAction(a); w && w->objectName() == objectName)
            return a;
    return FindMenuAction(d_->menus, objectName);
}

QToolBar* FrameWindow::Toolbar() const { return d_->toolbar; }
SizeFields* FrameWindow::Sizes() const { return d_->sizes; }
QTimer* FrameWindow::Timer1() const { return d_->timer1; }
About* FrameWindow::AboutWindow() const { return d_->about; }

// ---- Menus follow the active child ---------------------------------------

void FrameWindow::SubWindowActivated(QMdiSubWindow* window)
{
    UpdateMenus();
    if (!window || window == d_->lastActive)
        return;  // the frame lost the focus, or the same child came back
    d_->lastActive = window;
    if (window == d_->draw->SubWindow())
        if (tobrin::DrawingWindow* main = d_->draw->IfLoaded())
            main->Form_Activate();
}

void FrameWindow::UpdateMenus()
{
    if (!d_ || d_->ending || !d_->shownMenus.isEmpty())
        return;
    QMenuBar* bar = menuBar();
    for (QMenu* m : d_->menus) {
        bar->addMenu(m);
        d_->shownMenus.append(m);
    }
}

}  // namespace tobrin
