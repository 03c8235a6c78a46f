#pragma once

#include <QString>
#include <functional>

class QMenu;
class QWidget;

namespace tobrin {

class DrawingWindow;

// The "&Tools" menu, built from the tool registry: one checkable entry per
// tool of the tool bar, with the key that chooses it. An entry chooses its
// tool in the drawing window (loading it again if it was closed).
QMenu* MakeToolsMenu(QWidget* parent, const std::function<DrawingWindow&()>& drawing);
// Checks the entry of the tool in use (none for a tool without an entry).
void ShowToolInMenu(QMenu* menu, const QString& id);

}  // namespace tobrin
