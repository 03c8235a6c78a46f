#include "core/scratchsurface.h"
#include "drawing/tools/tool.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

// The shapes dragged from the press cell: a line, a box (outline and
// interior), and a circle whose radius is the drag's horizontal distance.

class LineTool : public ShapeTool {
public:
    LineTool()
        : ShapeTool({QStringLiteral("line"), QStringLiteral("Line"), QLatin1Char('L'), QStringLiteral("line"), false,
                     true, false, QStringLiteral("Drag a line in the line style")})
    {
    }

protected:
    void DrawShape(ScratchSurface& holder, QPoint a, QPoint b, Qt::KeyboardModifiers) override { holder.DrawLine(a, b); }
};

class BoxTool : public ShapeTool {
public:
    BoxTool()
        : ShapeTool({QStringLiteral("box"), QStringLiteral("Box"), QLatin1Char('B'), QStringLiteral("box"), false, true,
                     false, QStringLiteral("Drag a box: its outline in the line style, its inside in the fill style")})
    {
    }

protected:
    void DrawShape(ScratchSurface& holder, QPoint a, QPoint b, Qt::KeyboardModifiers) override { holder.DrawBox(a, b); }
};

class CircleTool : public ShapeTool {
public:
    CircleTool()
        : ShapeTool({QStringLiteral("circle"), QStringLiteral("Circle"), QLatin1Char('C'), QStringLiteral("circle"),
                     false, true, false, QStringLiteral("Drag from the centre sideways: the radius is the distance")})
    {
    }

protected:
    void DrawShape(ScratchSurface& holder, QPoint a, QPoint b, Qt::KeyboardModifiers) override
    {
        // The radius is the horizontal distance only; at least 1.
        holder.DrawCircle(a, b.x() <= a.x() ? 1 : b.x() - a.x());
    }
};

std::unique_ptr<Tool> MakeLineTool() { return std::make_unique<LineTool>(); }
std::unique_ptr<Tool> MakeBoxTool() { return std::make_unique<BoxTool>(); }
std::unique_ptr<Tool> MakeCircleTool() { return std::make_unique<CircleTool>(); }

}  // namespace tobrin
