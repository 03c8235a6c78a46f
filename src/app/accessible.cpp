#include "app/accessible.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAction>
#include <QToolBar>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <QWidget>

namespace tobrin {

void SetAccessible(QWidget* widget, const QString& name, const QString& description)
{
    if (!widget)
        return;
    widget->setAccessibleName(name);
    QString text = description;
    if (text.isEmpty())
        text = widget->toolTip().isEmpty() ? name : widget->toolTip();
    widget->setAccessibleDescription(text);
    // A spin box's text field is a control of its own to a screen reader.
    if (qobject_cast<QAbstractSpinBox*>(widget))
        if (auto* field = widget->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
            SetAccessible(field, name, text);
}

void SetAccessibleScrollBars(QAbstractScrollArea* area, const QString& viewName)
{
    if (!area)
        return;
    SetAccessible(area->horizontalScrollBar(), viewName + QStringLiteral(", horizontal scroll bar"),
                  QStringLiteral("Scrolls %1 sideways").arg(viewName));
    SetAccessible(area->verticalScrollBar(), viewName + QStringLiteral(", vertical scroll bar"),
                  QStringLiteral("Scrolls %1 up and down").arg(viewName));
}

void NameActionButtons(QToolBar* bar)
{
    for (QAction* a : bar->actions())
        if (QWidget* w = bar->widgetForAction(a); w && w->objectName().isEmpty())
            w->setObjectName(a->objectName());
}

void NameOverflowButtons(QWidget* root)
{
    if (!root)
        return;
    for (QToolButton* b : root->findChildren<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        SetAccessible(b, QStringLiteral("More buttons"), QStringLiteral("Shows the buttons that do not fit"));
    for (QToolButton* b : root->findChildren<QToolButton*>(QStringLiteral("qt_menubar_ext_button")))
        SetAccessible(b, QStringLiteral("More menus"), QStringLiteral("Shows the menus that do not fit"));
}

}  // namespace tobrin
