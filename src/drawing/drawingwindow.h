#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "app/session.h"
#include "core/drawingstate.h"
#include "core/scratchsurface.h"
#include "core/transform.h"
#include "files/filecommands.h"

class QPointF;
class QScrollBar;

namespace tobrin {

class CanvasMouse;
class CanvasView;
class DrawArea;
class ToolSettings;
class Selection;
class Tool;
class ToolBox;
class ToolEnvironment;
struct CanvasLayoutFacts;

// "Drawing area": the editor proper. Holds the zoomed canvas, the tool and
// settings toolbars, the number fields and the canvas scroll bars. It shows
// the session's picture and changes it only through the document; the
// other views follow the document by themselves.
class DrawingWindow : public QWidget {
    Q_OBJECT
public:
    explicit DrawingWindow(Session& session, QWidget* parent = nullptr);
    ~DrawingWindow() override;

    Session& session() { return session_; }
    PictureDocument& Document() { return session_.document; }
    DrawingState& State() { return state_; }
    const DrawingState& State() const { return state_; }
    ScratchSurface& Holder() { return holder_; }
    DrawArea* Canvas() const { return drawArea_; }

    // The tool's plot of one pixel: committed plots go to the picture,
    // tentative ones only to the canvas.
    void PlotPixel(int x, int y, int ink, bool commit);
    void LayoutCanvas();
    void Relocate(double& x, double& y);
    void RedrawAll();
    bool ConfirmDiscard() { return session_.ConfirmDiscard(this); }
    void LoadHolder();
    void TransferHolder(bool commit);
    // Stores marks drawn on a surface over the whole picture (ToolEnvironment).
    void StoreMarks(const std::function<void(ScratchSurface&)>& draw);

    // Commands of the shared menus that work on the drawing.
    void NewMenu_Click();
    void UndoMenu_Click();
    void RedoMenu_Click();
    // A "&Picture" menu transform: of the held selection when there is
    // one, else of the whole picture. A refusal is told to the user.
    void TransformMenu_Click(Transform t);
    // What that transform would do now (the menu greys what is refused).
    TransformResult PlanTransformNow(Transform t) const;
    // The block of picture cells the selection holds, when it holds one.
    std::optional<QRect> HeldBlock() const;
    // Activation of the drawing window (the frame calls it when this
    // window becomes the active child).
    void Form_Activate();

    // Open, Save, Save as and the file reader; the tool and settings bars;
    // the selection and clipboard commands; the canvas mouse machine.
    FileCommands& Files();
    ToolSettings& Tools();
    Selection& SelectionTool();
    CanvasMouse& Mouse();

    // The tools (built from the registry), the one in use, and what a tool
    // may reach.
    ToolBox& ToolList();
    Tool& CurrentTool();
    QString CurrentToolId();
    QString PreviousToolId();
    ToolEnvironment& Environment();
    // Chooses a tool as its button does: the tool left stores or drops what
    // it holds, and a held selection is let go.
    void ChooseTool(const QString& id);
    // Paste: the pasted block is placed by the paste tool, which hands back
    // to the tool in use before (RestorePreviousTool).
    void EnterPasteTool();
    void RestorePreviousTool();
    // Mirror drawing was switched, or the selection it mirrors about changed.
    void MirrorChanged();
    // What mirror drawing mirrors about: the picture, or the selection
    // taken while it was on.
    QRect MirrorArea() const;
    // The zoomed canvas with its scroll bars, layout, zoom and painting.
    CanvasView& View();
    // The last canvas layout (view, canvas size, scroll bars), in units.
    const CanvasLayoutFacts& Layout() const;
    QScrollBar* HSizeScroll() const;
    QScrollBar* VSizeScroll() const;

    // Zoom: the side of a canvas cell in logical pixels (3..40; 7 is
    // "Actual size"). A change keeps the picture pixel under the point
    // (canvas units; the canvas's middle without one) where it is.
    int ZoomLevel() const;
    void ZoomTo(int cellPixels, const QPointF* pointUnits = nullptr);
    void ZoomIn();
    void ZoomOut();
    void ActualSize();
    void FitToWindow();
    // Shows the frame before and/or after the current one faintly.
    void SetOnionSkin(bool previous, bool next);

    void HSizeScroll_Change();
    void VSizeScroll_Change();
    void Form_Resize();

signals:
    // Whether Paste has an image to take: after Copy, and on activation.
    void pasteAvailable(bool available);
    // The canvas's cell size changed (ZoomTo).
    void zoomChanged(int cellPixels);
    // Another tool is in use (its id).
    void toolChanged(const QString& id);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void StartUp();
    void ShowFileInTitle();
    // The marks of holder (over view) to the canvas or, committed, the picture.
    void Transfer(ScratchSurface& holder, const ViewWindow& view, bool commit);


    Session& session_;
    DrawingState state_;
    ScratchSurface holder_;
    DrawArea* drawArea_ = nullptr;
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace tobrin
