#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include "core/drawingstate.h"

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
class Tool;

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

    // The settings toolbar's buttons.
    QToolButton* PaintStyleButton() const { return paintButton_; }
    QAction* WhiteTransparentAction() const { return whiteTransparent_; }
    QToolButton* LineStyleButton() const { return lineStyleButton_; }
    QToolButton* FillStyleButton() const { return fillStyleButton_; }
    QToolButton* MirrorButton() const { return mirrorButton_; }
    // The tool bar's button of a tool (by its id), if it has one.
    QAction* ToolAction(const QString& id) const;

    // Start-up: the entries of the drop-down menus, then the default
    // settings with their buttons.
    void FillMenus();
    void ApplyDefaults();
    // The settings a closed window had (styles, widths, mirror), shown again.
    void ApplySettings(const DrawingState& kept);

    // The settings as their menus and buttons choose them, shown on the bar.
    void SetPaintStyle(PaintStyle style);
    void SetWhiteTransparent(bool on);
    void SetLineStyle(LineStyle style);
    void SetFillStyle(FillStyle style);
    void SetMirror(Mirror mirror);

    // Handlers of the number fields.
    void LineScroll_Change();
    void PatternScroll_Change();
    void LineWidth_LostFocus();
    void PatternSize_LostFocus();

    // What the tool bar and the pointer read-out show.
    void ShowToolPressed(const Tool& tool);
    void ShowToolReleased(const Tool& tool);
    void ShowCoordinates(int x, int y);

    // Places the toolbars for a window of the given client width (pixels).
    void Place(int clientWidth);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddLineWidthKeys(DrawingWindow& main);
    void AddMirrorButton();
    void AddToolSettings();
    void ValidateField(QLineEdit* edit, SpinScroll* scroll, int lowest);
    void EnterPressed(QLineEdit* edit);

    DrawingWindow& main_;
    QToolBar* drawTool_ = nullptr;
    QActionGroup* toolGroup_ = nullptr;
    QHash<QString, QAction*> toolActions_;
    QHash<QString, QAction*> toolSettings_;  // a tool's own settings on the bar
    QToolBar* settingBar_ = nullptr;
    QToolButton* paintButton_ = nullptr;
    QAction* whiteTransparent_ = nullptr;
    QToolButton* lineStyleButton_ = nullptr;
    QToolButton* fillStyleButton_ = nullptr;
    QToolButton* mirrorButton_ = nullptr;
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
