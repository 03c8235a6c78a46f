#pragma once

#include <QString>

class QAbstractScrollArea;
class QToolBar;
class QWidget;

namespace tobrin {

// Gives a control the name and the description a screen reader announces.
// Without a description the control's tooltip describes it, or else its name.
void SetAccessible(QWidget* widget, const QString& name, const QString& description = QString());

// Names the two scroll bars of a scrolling view after the view's own name.
void SetAccessibleScrollBars(QAbstractScrollArea* area, const QString& viewName);

// Names each button a tool bar made for an action after the action, so
// tests and automation find the button as they find the action.
void NameActionButtons(QToolBar* bar);
// Names the buttons Qt adds to toolbars and menu bars under root for the
// entries that do not fit.
void NameOverflowButtons(QWidget* root);

}  // namespace tobrin
