#pragma once

// A running editor for the drawing-window tests, and ways to drive the
// canvas with real mouse events at cell centres.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolBar>
#include <QtTest>
#include <memory>

#include "core/units.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "drawing/selection.h"
#include "fakedialogs.h"
#include "frame/framewindow.h"
#include "preview/devicepreview.h"

namespace tobrin::testing {

// A frame past its start-up: the drawing window shown and, unless asked
// not to, the frame the active window (for what the keyboard reaches).
inline void StartFrame(FrameWindow& frame, bool active = true)
{
    frame.show();
    QTRY_VERIFY(frame.DrawingSubWindow() && frame.DrawingSubWindow()->isVisible());
    if (!active)
        return;
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
}

struct Editor {
    FakeDialogs dialogs;
    Session session{dialogs};
    std::unique_ptr<FrameWindow> frame;

    Editor()
    {
        frame = std::make_unique<FrameWindow>(session);
        frame->resize(1200, 900);
        frame->show();
        // The frame shows the drawing window shortly after its own start.
        QTest::qWait(30);
        if (!main().isVisible() && !frame->DrawingSubWindow())
            main().show();  // a frame that does not host the window itself
        QTRY_VERIFY(main().isVisible());
        QCoreApplication::processEvents();
    }
    ~Editor() { frame.reset(); }

    DrawingWindow& main() { return frame->DrawingWindow(); }
    DrawArea* canvas() { return main().Canvas(); }
    DrawingState& state() { return main().State(); }
    const PictureData& decl() { return session.document.Data(); }
    int pic(int x, int y) { return decl().Pic(x, y); }
    void setPic(int x, int y, int v) { session.document.SetPixel(x, y, static_cast<std::uint8_t>(v)); }

    // The drawing window's client area becomes w x h pixels.
    void setClientSize(int w, int h)
    {
        DrawingWindow& m = main();
        if (QMdiSubWindow* sub = frame->DrawingSubWindow()) {
            sub->showNormal();
            sub->resize(sub->size() + (QSize(w, h) - m.size()));
        } else {
            m.resize(w, h);
        }
        QCoreApplication::processEvents();
    }
    // Big enough for a 240 x 120 picture without scroll bars.
    void makeRoomForEverything()
    {
        frame->resize(2000, 1200);
        QCoreApplication::processEvents();
        setClientSize(1800, 1000);
    }
    void resizePicture(int width, int height)
    {
        main().Document().ChangeSize(width - 1, height - 1);
        main().RedrawAll();
    }

    static QPoint centre(int cx, int cy) { return QPoint(7 * cx + 3, 7 * cy + 3); }

    void press(int cx, int cy, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mousePress(canvas(), b, Qt::NoModifier, centre(cx, cy));
    }
    void release(int cx, int cy, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseRelease(canvas(), b, Qt::NoModifier, centre(cx, cy));
    }
    // A move while a button is held (QTest keeps track of the buttons).
    void dragTo(int cx, int cy) { QTest::mouseMove(canvas(), centre(cx, cy)); }
    void click(int cx, int cy, Qt::MouseButton b = Qt::LeftButton)
    {
        press(cx, cy, b);
        release(cx, cy, b);
    }
    void drag(QPoint from, QPoint to)
    {
        press(from.x(), from.y());
        dragTo(to.x(), to.y());
        release(to.x(), to.y());
    }
    // A move with no button held, at a canvas pixel.
    void hoverPixel(QPoint px)
    {
        QMouseEvent e(QEvent::MouseMove, px, canvas()->mapToGlobal(px), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &e);
    }
    void hover(int cx, int cy) { hoverPixel(centre(cx, cy)); }

    QAction* toolButton(const QString& tip)
    {
        for (QAction* a : main().findChild<QToolBar*>(QStringLiteral("DrawTool"))->actions())
            if (a->text() == tip)
                return a;
        return nullptr;
    }
    void chooseTool(const QString& tip) { toolButton(tip)->trigger(); }
    QAction* menuAction(const QString& name)
    {
        for (QMenu* m : frame->Menus())
            for (QAction* a : m->actions())
                if (a->objectName() == name)
                    return a;
        return nullptr;
    }
    // Types into a number field and leaves it with Enter.
    void typeInto(const QString& field, const QString& text)
    {
        auto* edit = main().findChild<QLineEdit*>(field);
        edit->setFocus();
        edit->selectAll();
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    QRgb square(int cx, int cy) { return canvas()->SquareColour(cx, cy); }
    QRgb dot(int x, int y) { return frame->TavDisplayWindow().Display().pixel(x, y) | 0xFF000000u; }
};

}  // namespace tobrin::testing
