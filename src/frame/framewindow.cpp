// The frame window: construction and start-up, its title, activation,
// About, and the end of the program. Its commands are in
// framewindow_actions.cpp, its child windows in framewindow_children.cpp,
// what it shares with the desktop in framewindow_desktop.cpp.

#include "frame/framewindow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QDockWidget>
#include <QMenu>
#include <QTimer>
#include <QWindow>

#include "app/appresources.h"
#include "core/picturedocument.h"
#include "core/units.h"
#include "drawing/drawingwindow.h"
#include "drawing/selection.h"
#include "frame/about.h"
#include "frame/framewindow_impl.h"
#include "import/importdialog.h"
#include "preview/devicepreview.h"
#include "preview/textpreview.h"

namespace tobrin {

namespace {

// The largest program-icon size set before the frame is first on screen.
constexpr int kStartIconSize = 64;

}  // namespace

// ---- Construction and start-up ----------------------------------------------

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

    MakeChildSlots();
    BuildMenus();
    BuildRecentFilesMenu();
    BuildToolbar();
    BuildFrameStrip();
    d_->windowMenu->addAction(d_->stripToggle);
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

    // The device preview follows the document alone, never the canvas's
    // redraws: a change of the picture loads a closed preview again,
    // hidden, and a preview shows the whole picture from its load on.
    const auto previewLoaded = [this] {
        if (!d_->ending)
            TavDisplayWindow();
    };
    connect(&session_.document, &PictureDocument::pixelsChanged, this, previewLoaded);
    connect(&session_.document, &PictureDocument::sizeChanged, this, previewLoaded);
    connect(&session_.document, &PictureDocument::fileNameChanged, this, &FrameWindow::ShowTitle);
    connect(&session_.document, &PictureDocument::savedChanged, this, &FrameWindow::ShowTitle);
    ShowTitle();

    // Start-up.
    d_->text->Load();
    TextViewSubWindow()->show();
    d_->tav->Load();
    TavSubWindow()->show();
    d_->draw->Load();
    d_->draw->Place();
    d_->text->Place();
    UpdateMenus();
    d_->timer1->start();
}

FrameWindow::~FrameWindow()
{
    // The children go first, while everything they may call back into exists.
    d_->ending = true;
    disconnect(mdi_, nullptr, this, nullptr);
    delete d_->about;
    for (const auto& child : d_->children)
        child->Unload();
    delete d_;
    d_ = nullptr;
}

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
    DrawingSubWindow()->showNormal();
    mdi_->setActiveSubWindow(DrawingSubWindow());
    QIcon icon = windowIcon();
    About::AddAppIconSizes(icon, kStartIconSize, 256);
    QGuiApplication::setWindowIcon(icon);
    setWindowIcon(icon);
}

// ---- Title and About ---------------------------------------------------------

void FrameWindow::ShowTitle()
{
    // "name* \u2014 Tobrin", as a task list shows it; a changed picture
    // without a file is "Untitled*".
    const PictureDocument& doc = session_.document;
    if (doc.FileName().isEmpty() && doc.Saved()) {
        setWindowTitle(QStringLiteral("Tobrin"));
    } else {
        const QString name =
            doc.FileName().isEmpty() ? QStringLiteral("Untitled") : QFileInfo(doc.FileName()).fileName();
        setWindowTitle(QStringLiteral("%1[*] \u2014 Tobrin").arg(name));
    }
    setWindowModified(!doc.Saved());
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

// ---- Activation and ending -----------------------------------------------

bool FrameWindow::event(QEvent* e)
{
    const bool result = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate && d_ && !d_->ending) {
        // The drawing window hears of the activation as its own; it also
        // tells whether Paste has an image to take.
        if (tobrin::DrawingWindow* main = DrawingWindowIfLoaded())
            main->Form_Activate();
        else
            SetPasteEnabled(Selection::ClipboardHasImage());
    }
    return result;
}

void FrameWindow::closeEvent(QCloseEvent* event)
{
    if (!d_->ending) {
        QWidget* asker = DrawingWindowIfLoaded();
        if (!session_.ConfirmDiscard(asker ? asker : this)) {
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
    QWidget* asker = DrawingWindowIfLoaded();
    if (session_.ConfirmDiscard(asker ? asker : this))
        EndProgram();
}

void FrameWindow::ImportMenu_Click()
{
    ImportDialog dialog(session_, [this] { ShowDrawing(); }, &DrawingWindow());
    dialog.exec();
}

void FrameWindow::ShowDrawing()
{
    if (QMdiSubWindow* sub = DrawingSubWindow()) {
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

}  // namespace tobrin
