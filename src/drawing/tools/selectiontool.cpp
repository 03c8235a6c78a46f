#include "drawing/selection.h"
#include "drawing/tools/tool.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

// Drags a marquee; the release holds the block it goes round.
class SelectionTool : public Tool {
public:
    SelectionTool()
        : Tool({QStringLiteral("selection"), QStringLiteral("Selection"), QLatin1Char('S'), QStringLiteral("selection"),
                true, true, false, QStringLiteral("Drag round the block that Cut, Copy and the Picture menu act on")})
    {
    }

    void Move(ToolEnvironment& env, QPoint cell, Qt::KeyboardModifiers) override
    {
        env.SelectionTool().MarqueeStep(cell.x(), cell.y());
    }
    void Release(ToolEnvironment& env, bool down) override
    {
        if (down)
            env.SelectionTool().Capture();
    }
    void Leave(ToolEnvironment& env) override { env.ClearTentative(); }  // the marquee goes
};

std::unique_ptr<Tool> MakeSelectionTool() { return std::make_unique<SelectionTool>(); }

}  // namespace tobrin
