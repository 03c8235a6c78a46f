#include "app/childwindow.h"

#include <QCloseEvent>

namespace tobrin {

ChildWindow::ChildWindow(QWidget* parent, Qt::WindowFlags flags) : QMdiSubWindow(parent, flags)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void ChildWindow::closeEvent(QCloseEvent* event)
{
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

}  // namespace tobrin
