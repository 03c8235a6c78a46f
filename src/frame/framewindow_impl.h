#pragma once

// The frame's own state, shared by its source files (framewindow*.cpp) and
// by nothing else.

#include <QList>
#include <QMdiSubWindow>
#include <QPointer>
#include <memory>
#include <vector>

#include "frame/about.h"
#include "frame/childslot.h"
#include "frame/framewindow.h"

class QAction;
class QDockWidget;
class QMenu;
class QTimer;
class QToolBar;

namespace tobrin {

class DevicePreview;
class DrawingWindow;
class SizeFields;
class TextPreview;

struct FrameWindow::Impl {
    // The child windows, each loaded again by the next reference after it
    // was closed: all of them, in the order they were added (the order their
    // places are remembered and they are unloaded in), and each by name.
    std::vector<std::unique_ptr<ChildSlot>> children;
    ChildSlotOf<tobrin::DrawingWindow>* draw = nullptr;
    ChildSlotOf<TextPreview>* text = nullptr;
    ChildSlotOf<DevicePreview>* tav = nullptr;
    bool ending = false;
    int timer1Waits = 0;

    QList<QMenu*> menus;
    QMenu* windowMenu = nullptr;
    QList<QPointer<QMenu>> shownMenus;
    QAction* zoomIn = nullptr;
    QMenu* toolsMenu = nullptr;
    QAction* zoomOut = nullptr;

    QToolBar* toolbar = nullptr;
    QAction* saveButton = nullptr;
    QAction* pasteButton = nullptr;
    SizeFields* sizes = nullptr;
    QTimer* timer1 = nullptr;
    QPointer<About> about;
    QPointer<QMdiSubWindow> lastActive;

    // framewindow_frames.cpp
    QAction* onionPrevious = nullptr;
    QAction* onionNext = nullptr;
    QAction* play = nullptr;
    QList<QAction*> frameCommands;  // the strip's buttons (null: a gap)
    QDockWidget* strip = nullptr;
    QAction* stripToggle = nullptr;
    bool stripShownOnce = false;

    QMenu* recentFiles = nullptr;
    bool rememberArrangement = false;
};

}  // namespace tobrin
