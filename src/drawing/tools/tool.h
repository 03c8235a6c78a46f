#pragma once

#include <QPoint>
#include <QString>
#include <Qt>
#include <functional>

class QWidget;

namespace tobrin {

class Dialogs;
class PictureDocument;
class ScratchSurface;
class Selection;
struct DrawingState;

// What a tool may reach while it works: the document, the scratch surface
// it draws its marks on, the styles and the view (the drawing state), and
// the few operations that carry marks to the picture. A tool never sees the
// drawing window itself.
class ToolEnvironment {
public:
    virtual ~ToolEnvironment() = default;

    virtual PictureDocument& Document() = 0;
    virtual ScratchSurface& Holder() = 0;
    // Styles, the view window and the cells of the drag under way.
    virtual DrawingState& State() = 0;
    // The selection marquee and the pasted block waiting to be placed.
    virtual Selection& SelectionTool() = 0;

    // The scratch surface holds the view's pixels again, without marks.
    virtual void LoadHolder() = 0;
    // Carries the scratch surface's marks to the picture (commit) or shows
    // them on the canvas only, tentatively.
    virtual void TransferHolder(bool commit) = 0;
    // Wipes the tentative marks from the canvas (and a marquee with them).
    virtual void ClearTentative() = 0;
    // A tool that stood in for another (the pasted block) hands back.
    virtual void RestorePreviousTool() = 0;
    // Marks that may reach beyond the view (typed text): draw paints them on
    // a scratch surface holding the whole picture (scratch = picture
    // positions), and they are stored as TransferHolder(true) stores marks,
    // mirrored and through the styles. The tentative marks go.
    virtual void StoreMarks(const std::function<void(ScratchSurface&)>& draw) = 0;
    // One tentative square of the tool's own on a picture cell (a text
    // cursor), in the colour of a pixel to be set or cleared.
    virtual void ShowTentativeCell(QPoint cell, bool set) = 0;
    // The canvas takes the keyboard again (after a setting was chosen).
    virtual void FocusCanvas() = 0;
    // The questions, messages and file dialogs, asked over Window().
    virtual Dialogs& Questions() = 0;
    virtual QWidget* Window() = 0;

    // The scratch position of a picture cell (the view's top-left is 0, 0).
    QPoint ToHolder(QPoint cell);
};

// One tool of the tool bar: what it is called and how it is chosen, and
// what it does with a press, the moves of a drag and the release, in
// picture cells. Tools are made once, listed in the registry
// (toolregistry.cpp), and live as long as their drawing window.
class Tool {
public:
    struct Info {
        QString id;              // "pen": stable, for settings and tests
        QString name;            // "Pen": the tooltip and the accessible name
        QChar key;               // the key that chooses it; none when null
        QString icon;            // the icon's name under :/icons/tools/
        bool solidStroke = false;  // its strokes ignore the line style
        bool onToolbar = true;     // false for a tool that is entered otherwise (Paste)
        // Every cell a drag reaches is a press of its own (the pen's stamps).
        bool pressOnEveryCell = false;
        // What it does, in a line: the status tip of its button and entry.
        QString hint;
        // Its marks go through the line style and width and the fill
        // pattern; false hides those settings while it is in use.
        bool linesAndFills = true;
    };

    explicit Tool(Info info) : info_(std::move(info)) {}
    virtual ~Tool() = default;
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    const Info& info() const { return info_; }

    // A left press on cell; the drawing state already holds it as StartX,
    // StartY and the press has begun a history step.
    virtual void Press(ToolEnvironment& env, QPoint cell, Qt::KeyboardModifiers modifiers);
    // The pointer moved onto another cell while the button is held.
    virtual void Move(ToolEnvironment& env, QPoint cell, Qt::KeyboardModifiers modifiers);
    // The button came up (or the right button ended the drag); down tells
    // whether a press of this tool was under way.
    virtual void Release(ToolEnvironment& env, bool down);
    // A key while the canvas has the focus; true when the tool took it.
    virtual bool Key(ToolEnvironment& env, int key);
    // The text of a key the tool did not take as a key; true when it took it.
    virtual bool Text(ToolEnvironment& env, const QString& text);
    // True while the tool takes typed text: the keys that are shortcuts
    // elsewhere (the letters choose tools) then go to it instead.
    virtual bool Typing() const { return false; }
    // The canvas was drawn again from the picture (a scroll, a zoom, an
    // Undo), its tentative marks gone: a tool that keeps marks between
    // events shows them again.
    virtual void Redrawn(ToolEnvironment&) {}
    // The tool is left for another: whatever it holds is stored or dropped.
    virtual void Leave(ToolEnvironment& env);
    // The picture is about to be written: what the tool shows but has not
    // stored (typed text, a pasted block) is stored, so the file holds what
    // the canvas shows.
    virtual void Finish(ToolEnvironment&) {}
    virtual Qt::CursorShape Cursor() const { return Qt::CrossCursor; }
    // The tool's own settings, made once for the settings bar, which shows
    // them while the tool is in use; none by default.
    virtual QWidget* MakeSettings(ToolEnvironment& env, QWidget* parent);

private:
    Info info_;
};

// A tool that drags a shape from the press cell to the pointer: every step
// wipes the last tentative shape, draws the new one on the scratch surface
// and shows it; the release stores it through the styles.
class ShapeTool : public Tool {
public:
    using Tool::Tool;
    void Move(ToolEnvironment& env, QPoint cell, Qt::KeyboardModifiers modifiers) override;
    void Release(ToolEnvironment& env, bool down) override;
    // Esc during a drag drops the shape: nothing is stored at the release.
    bool Key(ToolEnvironment& env, int key) override;

protected:
    // Draws the shape from a to b (scratch positions) on the surface.
    virtual void DrawShape(ScratchSurface& holder, QPoint a, QPoint b, Qt::KeyboardModifiers modifiers) = 0;
};

}  // namespace tobrin
