#pragma once

#include <QList>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "core/drawingstate.h"
#include "core/hexwriter.h"
#include "core/pictureholder.h"
#include "frame/session.h"

class QMenu;
class QScrollBar;
class QTimer;

namespace tobrin {

class LoadForm;
class DrawArea;
class ToolSettings;
class Selection;
struct CanvasLayoutFacts;

// "Drawing area": the editor proper. Holds the zoomed canvas, the tool and
// settings toolbars, the number fields and the canvas scroll bars, and the
// shared operations the other windows call by name.
//
// The public names below are the contract other windows rely on; add to them
// but do not change them.
class Main : public QWidget {
    Q_OBJECT
public:
    Main(Session& session, LoadForm& frame, QWidget* parent = nullptr);
    ~Main() override;

    Session& session() { return session_; }
    DrawingState& State() { return state_; }
    const DrawingState& State() const { return state_; }
    PictureHolder& Holder() { return holder_; }
    DrawArea* Canvas() const { return drawArea_; }

    // The drawing window's own menus ("&File", "&Edit", "&Window", "&Help"),
    // which the frame shows in place of its own while this window is active.
    QList<QMenu*> Menus() const;

    // Shared operations.
    void PlotPixel(int x, int y, int ink, bool commit);
    void PlotPreviewPixel(int x, int y, QRgb colour);
    void LayoutCanvas();
    void Relocate(double& x, double& y);
    void RedrawAll();
    void BackUp();
    void ChangeSize(int mx, int my);
    bool ConfirmDiscard();
    void UpdateHexText();
    void RefreshPreview();
    void LoadHolder();
    void TransferHolder(bool commit);

    // The file currently open (empty: none yet).
    QString CurrentFileName;

    // Menu and toolbar handlers.
    void NewMenu_Click();
    void Open_Click();
    void Save_Click();
    void Saveas_Click();
    void ImportMenu_Click();
    void ExitMenu_Click();
    void UndoMenu_Click();
    void CutMenu_Click();
    void Copy_Click();
    void Paste_Click();
    void Arrange_Click();
    void DrawVisible_Click();
    void TavVisible_Click();
    void TextVisible_Click();
    void About_Click();

    // Activation of the drawing window (the frame calls it when this
    // window becomes the active child).
    void Form_Activate();

    // Opens a file exactly as Open does after its dialog (used by Open and
    // by the command line). Returns true when the picture was replaced.
    bool OpenFile(const QString& path);

    // The frame this window lives in.
    LoadForm& Frame() { return frame_; }
    // The toolbars and number fields; the selection and clipboard commands.
    ToolSettings& Tools();
    Selection& SelectionTool();
    // The last canvas layout (view, canvas size, scroll bars), in units.
    const CanvasLayoutFacts& Layout() const;
    QScrollBar* HSizeScroll() const;
    QScrollBar* VSizeScroll() const;

    // Tool and settings handlers.
    void DrawTool_ButtonClick(int button);
    void SettingBar_ButtonClick(int button);
    void SettingBar_ButtonMenuClick(int button, int entry);
    void LineScroll_Change();
    void PatternScroll_Change();
    void LineWidth_KeyDown(int keyCode);
    void PatternSize_KeyDown(int keyCode);
    void LineWidth_LostFocus();
    void PatternSize_LostFocus();

    // Canvas mouse handlers: positions in canvas units, buttons 1 left,
    // 2 right, 4 middle (ORed together for a move).
    void DrawArea_MouseDown(int button, int shift, double X, double Y);
    void DrawArea_MouseMove(int button, int shift, double X, double Y);
    void DrawArea_MouseUp(int button, int shift, double X, double Y);

    // Scroll bars, marquee timer, resize.
    void HSizeScroll_Change();
    void VSizeScroll_Change();
    void DashTimer_Timer();
    void Form_Resize();

    // Check marks of this window's own "&Window" entries.
    void SetDrawVisibleChecked(bool on);
    void SetTavVisibleChecked(bool on);
    void SetTextVisibleChecked(bool on);
    // Sets the three check marks from the windows' visibility (the menu
    // does this whenever it opens).
    void RefreshWindowChecks();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void StartUp();
    void BuildMenus();
    // Paints the squares of every view cell from the picture (canvas only).
    void PaintViewCells();
    // Plots the device preview dots of a rectangle of the picture.
    void PlotPreviewArea(int x1, int y1, int x2, int y2);
    void ShowDrawing();

    Session& session_;
    LoadForm& frame_;
    DrawingState state_;
    PictureHolder holder_;
    HexRowArray HexRows;
    DrawArea* drawArea_ = nullptr;
    // Further members belong to the implementation.
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace tobrin
