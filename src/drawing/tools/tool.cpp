#include "drawing/tools/tool.h"

#include "core/drawingstate.h"
#include "core/scratchsurface.h"

namespace tobrin {

QPoint ToolEnvironment::ToHolder(QPoint cell)
{
    const ViewWindow& v = State().view;
    return QPoint(cell.x() - v.ViewLeft, cell.y() - v.ViewTop);
}

void Tool::Press(ToolEnvironment&, QPoint, Qt::KeyboardModifiers) {}
void Tool::Move(ToolEnvironment&, QPoint, Qt::KeyboardModifiers) {}
// Marks that are still pending (a pasted block) are stored at a release.
void Tool::Release(ToolEnvironment& env, bool) { env.TransferHolder(true); }
bool Tool::Key(ToolEnvironment&, int) { return false; }
bool Tool::Text(ToolEnvironment&, const QString&) { return false; }
void Tool::Leave(ToolEnvironment&) {}
QWidget* Tool::MakeSettings(ToolEnvironment&, QWidget*) { return nullptr; }

void ShapeTool::Move(ToolEnvironment& env, QPoint cell, Qt::KeyboardModifiers modifiers)
{
    env.LoadHolder();
    env.ClearTentative();
    const DrawingState& s = env.State();
    DrawShape(env.Holder(), env.ToHolder(QPoint(s.StartX, s.StartY)), env.ToHolder(cell), modifiers);
    env.TransferHolder(false);
}

void ShapeTool::Release(ToolEnvironment& env, bool) { env.TransferHolder(true); }

bool ShapeTool::Key(ToolEnvironment& env, int key)
{
    DrawingState& s = env.State();
    if (key != Qt::Key_Escape || !s.MouseIsDown)
        return false;
    s.MouseIsDown = false;
    env.LoadHolder();
    env.ClearTentative();
    return true;
}

}  // namespace tobrin
