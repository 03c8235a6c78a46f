#pragma once

#include <QMainWindow>
#include <QPointer>

#include "frame/session.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;

namespace tobrin {

class About;
class Main;
class SizeFields;
class TextView;
class TavDisplay;

// The frame: a QMainWindow captioned "Tobrin" around a QMdiArea holding the
// drawing window, the text view and the device preview. Its menus and toolbar
// hand every command to the drawing window's handler of the same name.
class LoadForm : public QMainWindow {
    Q_OBJECT
public:
    // Layout, in logical units.
    static constexpr int kClientWidthUnits = 8625;
    static constexpr int kClientHeightUnits = 8610;
    static constexpr int kDrawingWidthUnits = 5865;
    static constexpr int kDrawingHeightUnits = 3540;  // times SizeFactor
    static constexpr int kTextViewWidthUnits = 2688;
    static constexpr int kTimer1Interval = 10;  // milliseconds

    explicit LoadForm(Session& session, QWidget* parent = nullptr);
    ~LoadForm() override;

    Session& session() { return session_; }
    QMdiArea* Workspace() const { return mdi_; }

    // The drawing window; loaded again (its whole start-up runs) if it was closed.
    Main& DrawingWindow();
    Main* DrawingWindowIfLoaded() const;
    QMdiSubWindow* DrawingSubWindow() const;
    // The previews; loaded again hidden if they were closed.
    TextView& TextViewWindow();
    TavDisplay& TavDisplayWindow();
    QMdiSubWindow* TextViewSubWindow() const;
    QMdiSubWindow* TavSubWindow() const;
    TextView* TextViewIfLoaded() const;
    TavDisplay* TavDisplayIfLoaded() const;

    // Toolbar button 3 "Save hex file" and button 8 "Paste".
    void SetSaveEnabled(bool enabled);
    bool SaveEnabled() const;
    void SetPasteEnabled(bool enabled);
    bool PasteEnabled() const;

    // Shows a size in the size fields: the two texts first, then the two
    // spinners (width, then height). A spinner whose value changes applies
    // the size through ChangeSize, as a user's step would.
    void ShowSize(int width, int height);

    // Check marks of the frame's own "&Window" entries.
    void SetDrawVisibleChecked(bool on);
    void SetTavVisibleChecked(bool on);
    void SetTextVisibleChecked(bool on);

    // The hex text in the session changed: the text view shows it.
    void HexTextChanged();

    // Window commands (the drawing window's handlers call these).
    void ArrangeWindows();
    void ToggleDrawingArea();
    void ToggleTavPreview();
    void ToggleTextView();
    void ShowAbout();

    // Ends the program at once, without further questions ("&Exit" after
    // its own question was answered).
    void EndProgram();

    // Moves the keyboard focus to the drawing window (Enter in a size field).
    void FocusDrawingWindow();

    // The frame's own menus, toolbar, size fields, Timer1 and About box.
    QList<QMenu*> FrameMenus() const;
    // A frame menu entry or toolbar button by its object name.
    QAction* FrameAction(const QString& objectName) const;
    QToolBar* Toolbar() const;
    SizeFields* Sizes() const;
    QTimer* Timer1() const;
    About* AboutWindow() const;

    // The client area of the workspace, in logical units.
    double ClientWidthUnits() const;
    double ClientHeightUnits() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    void LoadDrawingWindow();
    void LoadTextView();
    void LoadTavDisplay();
    void PlaceTextView();
    void PlaceTavDisplay();
    void PlaceDrawingWindow();
    void Timer1_Timer();
    void WindowMenu_Open();
    void SubWindowActivated(QMdiSubWindow* window);
    void UpdateMenus();
    void SetMainChecked(const QString& objectName, bool on);
    void CloseAbout();

    struct Impl;
    Session& session_;
    QMdiArea* mdi_ = nullptr;
    Impl* d_ = nullptr;
};

}  // namespace tobrin
