#include "core/drawingstate.h"
#include "core/scratchsurface.h"
#include "drawing/tools/tool.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

// Stamps the pen on every cell the pointer passes; the stamps of one stroke
// gather on the scratch surface and are stored at the release.
class PenTool : public Tool {
public:
    PenTool()
        : Tool({QStringLiteral("pen"), QStringLiteral("Pen"), QLatin1Char('P'), QStringLiteral("pen"), true, true, true,
                QStringLiteral("Click or drag to draw with a pen of the line width")})
    {
    }

    void Press(ToolEnvironment& env, QPoint cell, Qt::KeyboardModifiers) override
    {
        // When the surface does not hold the view (a captured selection, a
        // new view size) it is loaded first, so no stamp is lost.
        const ViewWindow& v = env.State().view;
        ScratchSurface& holder = env.Holder();
        if (holder.AreaWidth() != v.ViewRight - v.ViewLeft + 1 || holder.AreaHeight() != v.ViewBottom - v.ViewTop + 1)
            env.LoadHolder();
        holder.DrawPen(env.ToHolder(cell));
        env.TransferHolder(false);
    }
};

std::unique_ptr<Tool> MakePenTool() { return std::make_unique<PenTool>(); }

}  // namespace tobrin
