#include <QRect>
#include <algorithm>
#include <cstdlib>

#include "core/scratchsurface.h"
#include "drawing/tools/tool.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

// An ellipse in the box dragged from the press cell to the pointer, both
// included: an outline of the line width and an interior, as the box tool
// draws. With Shift the box is a square (the smaller side), so the ellipse
// is a circle.
class EllipseTool : public ShapeTool {
public:
    EllipseTool()
        : ShapeTool({QStringLiteral("ellipse"), QStringLiteral("Ellipse"), QLatin1Char('E'), QStringLiteral("ellipse")})
    {
    }

protected:
    void DrawShape(ScratchSurface& holder, QPoint a, QPoint b, Qt::KeyboardModifiers modifiers) override
    {
        if (modifiers & Qt::ShiftModifier) {
            const int side = std::min(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
            b = QPoint(a.x() + (b.x() < a.x() ? -side : side), a.y() + (b.y() < a.y() ? -side : side));
        }
        holder.DrawEllipse(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))));
    }
};

std::unique_ptr<Tool> MakeEllipseTool() { return std::make_unique<EllipseTool>(); }

}  // namespace tobrin
