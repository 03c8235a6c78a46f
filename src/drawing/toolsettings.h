#pragma once

#include <QObject>
#include <QString>
#include <array>

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;

namespace tobrin {

class DrawingWindow;
class SpinScroll;
struct DrawingState;

// The integer part (towards minus infinity) of the decimal number at the
// start of text, leading blanks skipped; 0 when the text starts with no
// number. "4.9" gives 4, "7px" 7, "-0.5" -1, "" and "abc" 0. Values beyond
// the int range come back clamped to it.
int LeadingInteger(const QString& text);

// The tool toolbar, the settings toolbar and the two number fields of the
// drawing window, with their handlers. The settings themselves live in the
// drawing window's DrawingState; this class shows them and changes them.
class ToolSettings : public QObject {
    Q_OBJECT
public:
    // Builds the controls as children of main.
    explicit ToolSettings(DrawingWindow& main);

    QToolBar* DrawTool() const { return drawTool_; }
    QToolBar* SettingBar() const { return settingBar_; }
    QLineEdit* LineWidth() const { return lineWidth_; }
    SpinScroll* LineScroll() const { return lineScroll_; }
    QLineEdit* PatternSize() const { return patternSize_; }
    SpinScroll* PatternScroll() const { return patternScroll_; }
    QLabel* CoorTextX() const { return coorTextX_; }
    QLabel* CoorTextY() const { return coorTextY_; }

    // The settings toolbar's buttons (1-based positions 2, 3, 5 and 9).
    QToolButton* PaintStyleButton() const { return paintButton_; }
    QAction* WhiteTransparentAction() const { return whiteTransparent_; }
    QToolButton* LineStyleButton() const { return lineStyleButton_; }
    QToolButton* FillStyleButton() const { return fillStyleButton_; }
    QAction* ToolAction(int tool) const;  // 1..6

    // Start-up: the entries of the drop-down menus, then the default
    // settings with their buttons.
    void FillMenus();
    void ApplyDefaults();
    // The settings a closed window had (tool, styles, widths), shown again.
    void ApplySettings(const DrawingState& kept);

    // Handlers.
    void DrawTool_ButtonClick(int button);
    void SettingBar_ButtonClick(int button);
    void SettingBar_ButtonMenuClick(int button, int entry);
    void LineScroll_Change();
    void PatternScroll_Change();
    void LineWidth_KeyDown(int keyCode);
    void PatternSize_KeyDown(int keyCode);
    void LineWidth_LostFocus();
    void PatternSize_LostFocus();

    // What the buttons show.
    void ShowToolPressed(int tool);   // 1..6
    void ShowToolReleased(int tool);  // 1..6
    void ShowPaintStyle(int style);   // icon 1..3 on "Paint style"
    void ShowWhiteTransparent(bool pressed);
    void ShowCoordinates(int x, int y);

    // Places the toolbars for a window of the given client width (pixels).
    void Place(int clientWidth);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddLineWidthKeys(DrawingWindow& main);
    void ValidateField(QLineEdit* edit, SpinScroll* scroll, int lowest);
    void EnterPressed(QLineEdit* edit);

    DrawingWindow& main_;
    QToolBar* drawTool_ = nullptr;
    QActionGroup* toolGroup_ = nullptr;
    std::array<QAction*, 6> toolActions_{};
    QToolBar* settingBar_ = nullptr;
    QToolButton* paintButton_ = nullptr;
    QAction* whiteTransparent_ = nullptr;
    QToolButton* lineStyleButton_ = nullptr;
    QToolButton* fillStyleButton_ = nullptr;
    QMenu* paintMenu_ = nullptr;
    QMenu* lineMenu_ = nullptr;
    QMenu* fillMenu_ = nullptr;
    QLineEdit* lineWidth_ = nullptr;
    SpinScroll* lineScroll_ = nullptr;
    QLineEdit* patternSize_ = nullptr;
    SpinScroll* patternScroll_ = nullptr;
    QFrame* picture1_ = nullptr;
    QLabel* coorTextX_ = nullptr;
    QLabel* coorTextY_ = nullptr;
    QLabel* label1_ = nullptr;
    int lostFocusRuns_ = 0;
};

}  // namespace tobrin
