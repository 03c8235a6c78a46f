#pragma once

#include <QMdiSubWindow>

namespace tobrin {

// A child window of the frame that unloads when it is closed: the close is
// reported through closed() at once (so the frame forgets the window before
// anything else can reach it) and the window is deleted afterwards.
class ChildWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit ChildWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace tobrin
