#include "frame/toolsmenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "drawing/drawingwindow.h"
#include "drawing/tools/toolregistry.h"

namespace tobrin {

QMenu* MakeToolsMenu(QWidget* parent, const std::function<DrawingWindow&()>& drawing)
{
    auto* menu = new QMenu(QStringLiteral("&Tools"), parent);
    menu->setObjectName(QStringLiteral("ToolsMenu"));
    auto* group = new QActionGroup(menu);
    for (const auto& tool : MakeTools()) {
        const Tool::Info& info = tool->info();
        if (!info.onToolbar)
            continue;
        QAction* a = menu->addAction(QStringLiteral("&") + info.name);
        a->setObjectName(QStringLiteral("Tool") + info.name + QStringLiteral("Menu"));
        a->setData(info.id);
        a->setStatusTip(info.hint);
        a->setShortcut(QKeySequence(QString(info.key)));
        a->setCheckable(true);
        a->setChecked(info.id == QLatin1String("pen"));
        group->addAction(a);
        const QString id = info.id;
        QObject::connect(a, &QAction::triggered, menu, [drawing, id] { drawing().ChooseTool(id); });
    }
    return menu;
}

void ShowToolInMenu(QMenu* menu, const QString& id)
{
    for (QAction* a : menu->actions())
        a->setChecked(a->data().toString() == id);
}

}  // namespace tobrin
