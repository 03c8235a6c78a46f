#pragma once

#include <QString>

class QAbstractScrollArea;
class QWidget;

namespace tobrin {

// Gives a control the name and the description a screen reader announces.
// Without a description the control's tooltip describes it, or else its name.
void SetAccessible(QWidget* widget, const QString& name, const QString& description = QString());

// Names the two scroll bars of a scrolling view after the view's own name.
void SetAccessibleScrollBars(QAbstractScrollArea* area, const QString& viewName);

// Names the buttons Qt adds to toolbars and menu bars under root for the
// entries that do not fit.
void NameOverflowButtons(QWidget* root);

}  // namespace tobrin
