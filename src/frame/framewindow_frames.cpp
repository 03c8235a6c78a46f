// The frames of the picture: the "&Frames" menu, the frame strip docked
// under the workspace, the onion skin and the animation in the device preview.

#include <QAction>
#include <QActionGroup>
#include <QDockWidget>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "drawing/drawingwindow.h"
#include "frame/framewindow_impl.h"
#include "preview/devicepreview.h"
#include "preview/framestrip.h"

namespace tobrin {

namespace {
// The menu lists the frames by number up to this many.
constexpr int kListedFrames = 64;
}  // namespace

QMenu* FrameWindow::BuildFramesMenu()
{
    PictureDocument& doc = session_.document;
    auto* m = new QMenu(QStringLiteral("F&rames"), this);
    m->setObjectName(QStringLiteral("FramesMenu"));
    auto add = [this, m](const QString& text, const char* name, const QList<QKeySequence>& keys, auto command) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        a->setShortcuts(keys);
        connect(a, &QAction::triggered, this, command);
        m->addAction(a);
        return a;
    };
    QAction* newFrame = add(QStringLiteral("&New frame"), "NewFrame", {QKeySequence(Qt::ALT | Qt::Key_N)},
                            [&doc] { doc.AddFrame(); });
    QAction* duplicate = add(QStringLiteral("&Duplicate frame"), "DuplicateFrame", {QKeySequence(Qt::ALT | Qt::Key_D)},
                             [&doc] { doc.DuplicateFrame(); });
    QAction* remove = add(QStringLiteral("De&lete frame"), "DeleteFrame", {}, [&doc] { doc.DeleteFrame(); });
    m->addSeparator();
    QAction* earlier = add(QStringLiteral("Move frame &earlier"), "MoveFrameEarlier",
                           {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp)},
                           [&doc] { doc.MoveFrame(doc.CurrentFrame(), doc.CurrentFrame() - 1); });
    QAction* later = add(QStringLiteral("Move frame la&ter"), "MoveFrameLater",
                         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown)},
                         [&doc] { doc.MoveFrame(doc.CurrentFrame(), doc.CurrentFrame() + 1); });
    // Page keys choose the frame; with Ctrl as well where a control of its
    // own takes the Page keys (a spin box steps with them).
    QAction* previous = add(QStringLiteral("&Previous frame"), "PreviousFrame",
                            {QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
                            [&doc] { doc.SetCurrentFrame(doc.CurrentFrame() - 1); });
    QAction* next = add(QStringLiteral("Ne&xt frame"), "NextFrame",
                        {QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
                        [&doc] { doc.SetCurrentFrame(doc.CurrentFrame() + 1); });
    m->addSeparator();
    auto onion = [this] {
        DrawingWindow().SetOnionSkin(d_->onionPrevious->isChecked(), d_->onionNext->isChecked());
    };
    d_->onionPrevious = add(QStringLiteral("&Onion skin"), "OnionSkin", {QKeySequence(Qt::ALT | Qt::Key_O)}, onion);
    d_->onionNext = add(QStringLiteral("Onion skin shows the ne&xt frame"), "OnionNext", {}, onion);
    for (QAction* a : {d_->onionPrevious, d_->onionNext})
        a->setCheckable(true);
    d_->onionPrevious->setStatusTip(QStringLiteral("Shows the frame before this one faintly on the canvas"));
    d_->onionNext->setStatusTip(QStringLiteral("Shows the frame after this one faintly as well"));
    d_->play = add(QStringLiteral("P&lay animation"), "PlayAnimation", {QKeySequence(Qt::Key_F5)},
                   [this](bool on) { PlayAnimation(on); });
    d_->play->setCheckable(true);
    d_->play->setStatusTip(QStringLiteral("Plays the frames in the device preview, each for its delay"));
    m->addSeparator();

    // The frames by number, the current one checked; made afresh each time.
    auto* listed = new QActionGroup(this);
    connect(m, &QMenu::aboutToShow, this, [this, m, listed, &doc] {
        for (QAction* a : listed->actions())
            delete a;
        const int count = std::min(doc.FrameCount(), kListedFrames);
        for (int i = 0; i < count; ++i) {
            auto* a = new QAction(QStringLiteral("Frame %1").arg(i), listed);
            a->setObjectName(QStringLiteral("Frame%1").arg(i));
            a->setCheckable(true);
            a->setChecked(i == doc.CurrentFrame());
            connect(a, &QAction::triggered, this, [&doc, i] { doc.SetCurrentFrame(i); });
            m->addAction(a);
        }
    });
    auto enable = [=, &doc] {
        const int n = doc.FrameCount();
        const int at = doc.CurrentFrame();
        newFrame->setEnabled(n < MonoSet::kMaxFrames);
        duplicate->setEnabled(n < MonoSet::kMaxFrames);
        remove->setEnabled(n > 1);
        earlier->setEnabled(at > 0);
        later->setEnabled(at + 1 < n);
        previous->setEnabled(at > 0);
        next->setEnabled(at + 1 < n);
    };
    enable();
    connect(&doc, &PictureDocument::framesChanged, this, enable);
    connect(&doc, &PictureDocument::currentFrameChanged, this, enable);
    d_->frameCommands = {newFrame, duplicate, remove, nullptr, d_->onionPrevious, d_->play};
    return m;
}

void FrameWindow::BuildFrameStrip()
{
    auto* dock = new QDockWidget(QStringLiteral("Frames"), this);
    dock->setObjectName(QStringLiteral("FrameStripDock"));
    dock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea | Qt::LeftDockWidgetArea
                          | Qt::RightDockWidgetArea);
    dock->setWidget(new FrameStrip(session_.document, d_->frameCommands, dock));
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    d_->strip = dock;
    dock->hide();
    auto* toggle = new QAction(QStringLiteral("&Frames"), this);
    toggle->setObjectName(QStringLiteral("FramesVisible"));
    toggle->setCheckable(true);
    connect(toggle, &QAction::triggered, this, [this](bool on) { ShowFrameStrip(on); });
    connect(dock, &QDockWidget::visibilityChanged, toggle, [toggle, dock] { toggle->setChecked(dock->isVisible()); });
    d_->stripToggle = toggle;
    // A single picture keeps the workspace it always had; the strip comes
    // up by itself once there is more than one frame.
    connect(&session_.document, &PictureDocument::framesChanged, this, [this] {
        if (session_.document.FrameCount() > 1 && !d_->stripShownOnce)
            ShowFrameStrip(true);
    });
}

void FrameWindow::ShowFrameStrip(bool on)
{
    QDockWidget* dock = d_->strip;
    d_->stripShownOnce = d_->stripShownOnce || on;
    if (dock->isVisible() == on)
        return;
    // The frame grows by the strip rather than squeeze the workspace, whose
    // windows are laid out for its size.
    const int before = mdi_->height();
    dock->setVisible(on);
    if (!on || dock->isFloating() || isMaximized() || isFullScreen())
        return;
    layout()->activate();
    resize(width(), height() + before - mdi_->height());
}

void FrameWindow::PlayAnimation(bool on)
{
    if (!on) {
        if (DevicePreview* preview = TavDisplayIfLoaded())
            preview->Stop();
        return;
    }
    DevicePreview& preview = TavDisplayWindow();
    if (!TavSubWindow()->isVisible())
        ToggleTavPreview();
    preview.Play();
}

FrameStrip* FrameWindow::Strip() const { return static_cast<FrameStrip*>(d_->strip->widget()); }

}  // namespace tobrin
