// The frame's child windows: the drawing window, the text view and the
// device preview, each in a ChildSlot that loads it on demand, places it,
// and forgets it when it is closed; and the "&Window" commands.

#include <QMenu>
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "core/picturedocument.h"
#include "core/units.h"
#include "drawing/drawingwindow.h"
#include "frame/toolsmenu.h"
#include "frame/framewindow_impl.h"
#include "preview/devicepreview.h"
#include "preview/textpreview.h"

namespace tobrin {

namespace {

// A new child window of the frame, kept with the others.
template <class W, class Make>
ChildSlotOf<W>* AddChild(std::vector<std::unique_ptr<ChildSlot>>& children, QMdiArea& workspace,
                         ChildSlot::Kind kind, Make make)
{
    auto* child = new ChildSlotOf<W>(workspace, std::move(kind), std::function<W*()>(std::move(make)));
    children.emplace_back(child);
    return child;
}

}  // namespace

void FrameWindow::MakeChildSlots()
{
    using Kind = ChildSlot::Kind;

    // The drawing window, top left.
    Kind draw;
    draw.subWindowName = QStringLiteral("DrawingSubWindow");
    draw.settingsKey = QStringLiteral("frame/drawingWindow");
    draw.setUp = [this](QWidget& widget) {
        auto& main = static_cast<tobrin::DrawingWindow&>(widget);
        connect(&main, &tobrin::DrawingWindow::pasteAvailable, this, &FrameWindow::SetPasteEnabled);
        connect(&main, &tobrin::DrawingWindow::zoomChanged, this, &FrameWindow::ShowZoomLevel);
        ShowZoomLevel(main.ZoomLevel());
        connect(&main, &tobrin::DrawingWindow::toolChanged, d_->toolsMenu,
                [menu = d_->toolsMenu](const QString& id) { ShowToolInMenu(menu, id); });
        ShowToolInMenu(d_->toolsMenu, main.CurrentToolId());
    };
    draw.place = [](QMdiSubWindow& sub) {
        sub.setGeometry(0, 0, units::ToPixels(kDrawingWidthUnits), units::ToPixels(kSizeFactor * kDrawingHeightUnits));
    };
    d_->draw = AddChild<tobrin::DrawingWindow>(d_->children, *mdi_, draw, [this] {
        auto* main = new tobrin::DrawingWindow(session_);
        if (main->windowTitle().isEmpty())
            main->setWindowTitle(QStringLiteral("Drawing area"));
        return main;
    });

    // The text view, along the whole right edge.
    Kind text;
    text.subWindowName = QStringLiteral("TextViewSubWindow");
    text.settingsKey = QStringLiteral("frame/textView");
    text.place = [this](QMdiSubWindow& sub) {
        const double left = ClientWidthUnits() - kTextViewWidthUnits;
        sub.setGeometry(units::ToPixels(left), 0, units::ToPixels(kTextViewWidthUnits),
                        units::ToPixels(ClientHeightUnits()));
    };
    d_->text = AddChild<TextPreview>(d_->children, *mdi_, text, [this] { return new TextPreview(session_.document); });

    // The device preview, bottom left: a fixed border without a maximise
    // button; a press on its display scrolls the drawing there.
    Kind tav;
    tav.subWindowName = QStringLiteral("TavSubWindow");
    tav.settingsKey = QStringLiteral("frame/tavPreview");
    tav.flags = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    tav.fixedSize = QSize(units::ToPixels(DevicePreview::kOuterWidthUnits),
                          units::ToPixels(DevicePreview::kOuterHeightUnits));
    tav.setUp = [this](QWidget& widget) {
        // Play's check mark follows the animation, which ends with its window.
        connect(static_cast<DevicePreview*>(&widget), &DevicePreview::playingChanged, this,
                [this](bool playing) { d_->play->setChecked(playing); });
        // The action is the context: the frame may be half destroyed by then.
        QAction* play = d_->play;
        connect(&widget, &QObject::destroyed, play, [play] { play->setChecked(false); });
        connect(static_cast<DevicePreview*>(&widget), &DevicePreview::DisplayClicked, this, [this](int x, int y) {
            if (tobrin::DrawingWindow* main = DrawingWindowIfLoaded()) {
                double dx = x, dy = y;
                main->Relocate(dx, dy);
            }
        });
    };
    tav.place = [this](QMdiSubWindow& sub) {
        const double top = ClientHeightUnits() - units::ToUnits(sub.height());
        sub.move(0, units::ToPixels(top));
    };
    d_->tav = AddChild<DevicePreview>(d_->children, *mdi_, tav, [this] { return new DevicePreview(session_.document); });

    for (const auto& child : d_->children)
        connect(child.get(), &ChildSlot::closed, this, &FrameWindow::UpdateMenus);
}

double FrameWindow::ClientWidthUnits() const { return units::ToUnits(mdi_->contentsRect().width()); }
double FrameWindow::ClientHeightUnits() const { return units::ToUnits(mdi_->contentsRect().height()); }

// ---- Access, loading a closed window again -----------------------------------

tobrin::DrawingWindow& FrameWindow::DrawingWindow() { return d_->draw->Load(); }
tobrin::DrawingWindow* FrameWindow::DrawingWindowIfLoaded() const { return d_ ? d_->draw->IfLoaded() : nullptr; }
QMdiSubWindow* FrameWindow::DrawingSubWindow() const { return d_->draw->SubWindow(); }

TextPreview& FrameWindow::TextViewWindow() { return d_->text->Load(); }
TextPreview* FrameWindow::TextViewIfLoaded() const { return d_->text->IfLoaded(); }
QMdiSubWindow* FrameWindow::TextViewSubWindow() const { return d_->text->SubWindow(); }

DevicePreview& FrameWindow::TavDisplayWindow() { return d_->tav->Load(); }
DevicePreview* FrameWindow::TavDisplayIfLoaded() const { return d_->tav->IfLoaded(); }
QMdiSubWindow* FrameWindow::TavSubWindow() const { return d_->tav->SubWindow(); }

// ---- Window commands -----------------------------------------------------

void FrameWindow::SetDrawVisibleChecked(bool on) { d_->draw->SetChecked(on); }
void FrameWindow::SetTextVisibleChecked(bool on) { d_->text->SetChecked(on); }

void FrameWindow::WindowMenu_Open()
{
    for (const auto& child : d_->children)
        child->CheckIfShown();
}

void FrameWindow::ArrangeWindows()
{
    tobrin::DrawingWindow& main = DrawingWindow();
    QMdiSubWindow* draw = DrawingSubWindow();
    if (draw->isMaximized() || draw->isMinimized())
        draw->showNormal();
    else
        draw->show();
    // Closed previews are loaded again, hidden, to be positioned.
    d_->tav->Load();
    d_->text->Load();
    QMdiSubWindow* tav = TavSubWindow();
    QMdiSubWindow* text = TextViewSubWindow();

    const double innerWidth = ClientWidthUnits();
    const double innerHeight = ClientHeightUnits();
    const double drawHeight = innerHeight - units::ToUnits(tav->height());
    const double drawWidth = innerWidth - units::ToUnits(text->width());
    draw->setGeometry(0, 0, units::ToPixels(drawWidth), units::ToPixels(drawHeight));
    tav->move(0, units::ToPixels(drawHeight));
    text->move(units::ToPixels(drawWidth), 0);
    main.LayoutCanvas();
    UpdateMenus();
}

void FrameWindow::ToggleDrawingArea()
{
    if (d_->draw->Shown()) {
        DrawingSubWindow()->hide();
        SetDrawVisibleChecked(false);
        UpdateMenus();
        return;
    }
    // The canvas follows the document while hidden: showing it needs no redraw.
    DrawingWindow();
    SetDrawVisibleChecked(true);
    DrawingSubWindow()->show();
    mdi_->setActiveSubWindow(DrawingSubWindow());
    UpdateMenus();
}

void FrameWindow::ToggleTavPreview() { ToggleClosing(*d_->tav); }
void FrameWindow::ToggleTextView() { ToggleClosing(*d_->text); }

void FrameWindow::ToggleClosing(ChildSlot& child)
{
    if (child.Shown()) {
        child.SubWindow()->close();  // its unload clears the check mark
        return;
    }
    child.Load();
    child.SubWindow()->show();
    child.SetChecked(true);
}

void FrameWindow::FocusDrawingWindow()
{
    if (!d_->draw->Shown())
        return;
    mdi_->setActiveSubWindow(DrawingSubWindow());
    DrawingWindow().setFocus(Qt::OtherFocusReason);
}

}  // namespace tobrin
