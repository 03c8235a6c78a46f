#include <QRect>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>

#include "app/accessible.h"
#include "core/scratchsurface.h"
#include "drawing/tools/tool.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

// An ellipse in the box dragged from the press cell to the pointer, both
// included: an outline of the line width and an interior, as the box tool
// draws. With Shift, or its "Circles" setting on, the box is a square (the
// smaller side), so the ellipse is a circle.
class EllipseTool : public ShapeTool {
public:
    EllipseTool()
        : ShapeTool({QStringLiteral("ellipse"), QStringLiteral("Ellipse"), QLatin1Char('E'), QStringLiteral("ellipse"),
                     false, true, false, QStringLiteral("Drag the box of an ellipse; Shift for a circle")})
    {
    }

    QWidget* MakeSettings(ToolEnvironment&, QWidget* parent) override
    {
        auto* circles = new QToolButton(parent);
        circles->setObjectName(QStringLiteral("EllipseCircles"));
        circles->setText(QStringLiteral("Circles"));
        circles->setCheckable(true);
        SetAccessible(circles, QStringLiteral("Circles only"),
                      QStringLiteral("The ellipse tool draws circles, as with Shift held"));
        QObject::connect(circles, &QToolButton::toggled, circles, [this](bool on) { circles_ = on; });
        return circles;
    }

protected:
    void DrawShape(ScratchSurface& holder, QPoint a, QPoint b, Qt::KeyboardModifiers modifiers) override
    {
        if (circles_ || (modifiers & Qt::ShiftModifier)) {
            const int side = std::min(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
            b = QPoint(a.x() + (b.x() < a.x() ? -side : side), a.y() + (b.y() < a.y() ? -side : side));
        }
        holder.DrawEllipse(QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))));
    }

private:
    bool circles_ = false;
};

std::unique_ptr<Tool> MakeEllipseTool() { return std::make_unique<EllipseTool>(); }

}  // namespace tobrin
