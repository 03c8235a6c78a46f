#include "core/drawingstate.h"
#include "core/picturedocument.h"
#include "core/scratchsurface.h"
#include "drawing/tools/tool.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

// Fills the area of the pressed pixel's colour up to the opposite colour,
// through the fill pattern, at the press itself.
class FillTool : public Tool {
public:
    FillTool()
        : Tool({QStringLiteral("fill"), QStringLiteral("Fill"), QLatin1Char('F'), QStringLiteral("fill"), false, true,
                false, QStringLiteral("Click to fill the area of that colour with the fill style")})
    {
    }

    void Press(ToolEnvironment& env, QPoint cell, Qt::KeyboardModifiers) override
    {
        if (env.State().PaintStyle == PaintStyle::Reverse)
            return;
        env.LoadHolder();
        const QRgb boundary =
            env.Document().Pic(cell.x(), cell.y()) == 1 ? ScratchSurface::kWhite : ScratchSurface::kBlack;
        env.Holder().FloodFill(env.ToHolder(cell), boundary);
        env.TransferHolder(true);
    }
    void Move(ToolEnvironment& env, QPoint, Qt::KeyboardModifiers) override
    {
        env.LoadHolder();
        env.ClearTentative();
    }
};

std::unique_ptr<Tool> MakeFillTool() { return std::make_unique<FillTool>(); }

}  // namespace tobrin
