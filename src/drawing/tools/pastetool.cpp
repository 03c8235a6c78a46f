#include "core/drawingstate.h"
#include "drawing/selection.h"
#include "drawing/tools/tool.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

// The pasted block waiting to be placed: a drag moves it, the release (or
// leaving for another tool) stores it where it stands, and the tool chosen
// before Paste comes back. Edit › Paste enters it; it has no button.
class PasteTool : public Tool {
public:
    PasteTool()
        : Tool({QStringLiteral("paste"), QStringLiteral("Paste"), QChar(), QString(), false, false, false,
                QStringLiteral("Drag the pasted block where it goes")})
    {
    }

    void Move(ToolEnvironment& env, QPoint cell, Qt::KeyboardModifiers) override
    {
        env.LoadHolder();
        env.ClearTentative();
        const DrawingState& s = env.State();
        env.SelectionTool().BlockMove(cell.x() - s.StartX, cell.y() - s.StartY);
    }
    void Release(ToolEnvironment& env, bool) override
    {
        env.TransferHolder(true);
        env.RestorePreviousTool();
    }
    void Leave(ToolEnvironment& env) override { env.TransferHolder(true); }
    void Finish(ToolEnvironment& env) override { Release(env, false); }
};

std::unique_ptr<Tool> MakePasteTool() { return std::make_unique<PasteTool>(); }

}  // namespace tobrin
