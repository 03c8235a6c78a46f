#pragma once

#include <QMainWindow>

#include "app/session.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;

namespace tobrin {

class About;
class ChildSlot;
class DrawingWindow;
class SizeFields;
class TextPreview;
class DevicePreview;
class FrameStrip;

// The frame: a QMainWindow captioned "Tobrin" around a QMdiArea holding the
// drawing window, the text view and the device preview, each kept by a
// ChildSlot that loads it on demand and forgets it when it is closed. It
// owns the commands: one set of actions, shown in the menus on the bar
// whichever child window is active and, as buttons with their own enabled
// state, on the toolbar. Its source is split by concern as marked below.
class FrameWindow : public QMainWindow {
    Q_OBJECT
public:
    // Layout, in logical units.
    static constexpr int kClientWidthUnits = 8625;
    static constexpr int kClientHeightUnits = 8610;
    static constexpr int kDrawingWidthUnits = 5865;
    static constexpr int kDrawingHeightUnits = 3540;  // times kSizeFactor
    static constexpr double kSizeFactor = 1.25;
    static constexpr int kTextViewWidthUnits = 2688;
    static constexpr int kTimer1Interval = 10;  // milliseconds

    explicit FrameWindow(Session& session, QWidget* parent = nullptr);
    ~FrameWindow() override;

    Session& session() { return session_; }
    QMdiArea* Workspace() const { return mdi_; }

    // The drawing window; loaded again (its whole start-up runs) if it was closed.
    tobrin::DrawingWindow& DrawingWindow();
    tobrin::DrawingWindow* DrawingWindowIfLoaded() const;
    QMdiSubWindow* DrawingSubWindow() const;
    // The previews; loaded again hidden if they were closed.
    TextPreview& TextViewWindow();
    DevicePreview& TavDisplayWindow();
    QMdiSubWindow* TextViewSubWindow() const;
    QMdiSubWindow* TavSubWindow() const;
    TextPreview* TextViewIfLoaded() const;
    DevicePreview* TavDisplayIfLoaded() const;

    // Toolbar button 3 "Save hex file" follows the document's saved flag;
    // button 8 "Paste" follows the clipboard when a window is activated.
    bool SaveEnabled() const;
    bool PasteEnabled() const;

    // Shows a size in the size fields: the two texts first, then the two
    // spinners (width, then height). A spinner whose value changes applies
    // the size through ChangeSize, as a user's step would.
    void ShowSize(int width, int height);

    // Check marks of the "&Window" entries.
    void SetDrawVisibleChecked(bool on);
    void SetTextVisibleChecked(bool on);

    // File › "&Import": the import dialog, modal.
    void ImportMenu_Click();
    // Window › "&Drawing area": hides a shown drawing window, shows (loading
    // it again if it was closed) a hidden one.
    void ToggleDrawingArea();
    void ShowAbout();

    // Ends the program at once, without further questions ("&Exit" after
    // its own question was answered).
    void EndProgram();

    // Moves the keyboard focus to the drawing window (Enter in a size field).
    void FocusDrawingWindow();

    // The menus on the bar ("&File", "&Edit", "&View", "&Picture",
    // "&Window", "&Help"), the same whichever child window is active.
    QList<QMenu*> Menus() const;
    // A menu entry or toolbar button by its object name.
    QAction* FrameAction(const QString& objectName) const;
    QToolBar* Toolbar() const;
    // The frame strip (docked, hidden until there are frames or it is asked for).
    FrameStrip* Strip() const;
    SizeFields* Sizes() const;
    QTimer* Timer1() const;
    About* AboutWindow() const;

    // ---- Desktop conveniences: remembered places, recent files.
    // Brings back the frame's geometry and its windows' places of the last
    // run (none at the first start) and remembers them when the frame closes.
    void RememberArrangement();
    // File › "Recent files": opens one as Open would; a file no longer there
    // is removed from the list with a message.
    void OpenRecentFile(const QString& path);
    QMenu* RecentFilesMenu() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // framewindow.cpp: start-up, activation, ending.
    void ShowTitle();
    void ShowDrawing();
    void Timer1_Timer();
    void ExitMenu_Click();
    void CloseAbout();

    // framewindow_actions.cpp: the one set of actions, the menus, the toolbar.
    void BuildMenus();
    void BuildToolbar();
    QMenu* BuildPictureMenu();
    QMenu* BuildViewMenu();
    void ShowZoomLevel(int level);
    void SetPasteEnabled(bool enabled);
    void SubWindowActivated(QMdiSubWindow* window);
    void UpdateMenus();

    // framewindow_frames.cpp: the frames menu, the strip, onion skin, playback.
    QMenu* BuildFramesMenu();
    void BuildFrameStrip();
    void PlayAnimation(bool on);
    void ShowFrameStrip(bool on);

    // framewindow_children.cpp: the three child windows.
    void MakeChildSlots();
    void ArrangeWindows();
    void ToggleTavPreview();
    void ToggleTextView();
    void ToggleClosing(ChildSlot& slot);
    void WindowMenu_Open();
    // The workspace's client area, in logical units.
    double ClientWidthUnits() const;
    double ClientHeightUnits() const;

    // framewindow_desktop.cpp: screen readers, recent files, drops, settings.
    void NameForScreenReaders();
    void BuildRecentFilesMenu();
    void FillRecentFilesMenu();
    // A file dropped on the frame: an image opens the import dialog with it
    // loaded, unless it is a black-and-white PNG or BMP that fits a picture;
    // that and anything else opens as File › Open would.
    void OpenDroppedFile(const QString& path);
    void SaveArrangement();

    struct Impl;
    Session& session_;
    QMdiArea* mdi_ = nullptr;
    Impl* d_ = nullptr;
};

}  // namespace tobrin
