#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <functional>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace tobrin {

class ChildWindow;

// One child window of the frame's workspace, loaded on demand.
//
// The first reference, and any reference after the window was closed, loads
// it: its widget is made (its whole start-up runs), put into a ChildWindow in
// the workspace, hidden, its "&Window" check mark set and the window placed.
// Closing it unloads it: the slot forgets the widget and its sub-window at
// once, so nothing reaches the dying window, clears the check mark and
// reports closed(). Showing it is the caller's business.
class ChildSlot : public QObject {
    Q_OBJECT
public:
    // What makes one child window different from the others.
    struct Kind {
        QString subWindowName;  // object name of its sub-window
        QString settingsKey;    // where its place is remembered between runs
        Qt::WindowFlags flags;  // the sub-window's border and buttons
        QSize fixedSize;        // outer size of a window that cannot be resized
        std::function<QWidget*()> make;
        // Runs at every load once the window is in the workspace, before it
        // is placed: the connections to the rest of the frame.
        std::function<void(QWidget&)> setUp;
        // Its own place in the workspace: at load, and again when asked.
        std::function<void(QMdiSubWindow&)> place;
    };

    ChildSlot(QMdiArea& workspace, Kind kind);
    ~ChildSlot() override;

    const Kind& Description() const { return kind_; }

    // The widget, loaded (hidden) first if it is not.
    QWidget& Load();
    QWidget* IfLoaded() const { return widget_; }
    QMdiSubWindow* SubWindow() const;
    // Loaded and not hidden.
    bool Shown() const;

    // The "&Window" entry whose check mark says whether the window is there.
    void SetCheckMark(QAction* checkMark) { checkMark_ = checkMark; }
    void SetChecked(bool on);
    // The check mark brought in line with what is on screen.
    void CheckIfShown() { SetChecked(Shown()); }

    // Moves a loaded window back to its own place.
    void Place();
    // Deletes the window at once, without the close handling (the frame's end).
    void Unload();

signals:
    void closed();

private:
    QMdiArea& workspace_;
    Kind kind_;
    QPointer<QWidget> widget_;
    QPointer<ChildWindow> sub_;
    QPointer<QAction> checkMark_;
    bool loading_ = false;
};

// A slot for one widget type: the same slot, typed.
template <class W>
class ChildSlotOf : public ChildSlot {
public:
    ChildSlotOf(QMdiArea& workspace, Kind kind, std::function<W*()> make)
        : ChildSlot(workspace, WithMaker(std::move(kind), std::move(make)))
    {
    }
    W& Load() { return static_cast<W&>(ChildSlot::Load()); }
    W* IfLoaded() const { return static_cast<W*>(ChildSlot::IfLoaded()); }

private:
    static Kind WithMaker(Kind kind, std::function<W*()> make)
    {
        kind.make = [make = std::move(make)]() -> QWidget* { return make(); };
        return kind;
    }
};

}  // namespace tobrin
