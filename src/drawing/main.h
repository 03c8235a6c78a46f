#pragma once

#include <QList>
#include <QWidget>
#include <array>
#include <string>

#include "core/drawingstate.h"
#include "core/pictureholder.h"
#include "frame/session.h"

class QMenu;
class QScrollBar;

namespace tobrin {

class LoadForm;
class DrawArea;

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

private:
    Session& session_;
    LoadForm& frame_;
    DrawingState state_;
    PictureHolder holder_;
    std::array<std::string, 121> HexRows;
    DrawArea* drawArea_ = nullptr;
    // Further members belong to the implementation.
    struct Impl;
    Impl* d_ = nullptr;
};

}  // namespace tobrin
