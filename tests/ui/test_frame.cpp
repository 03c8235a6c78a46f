#include <QtTest>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include "drawing/toolsettings.h"
#include <QPushButton>
#include <QToolBar>

#include "core/units.h"
#include "drawing/drawarea.h"
#include "drawing/drawingwindow.h"
#include "fakedialogs.h"
#include "frame/about.h"
#include "frame/framewindow.h"
#include "preview/devicepreview.h"
#include "preview/textpreview.h"
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::StartFrame;

namespace {

QList<QMenu*> BarMenus(const FrameWindow& frame)
{
    QList<QMenu*> menus;
    for (QAction* a : frame.menuBar()->actions())
        menus << a->menu();
    return menus;
}

QAction* MainAction(FrameWindow& frame, const char* name)
{
    return frame.FrameAction(QLatin1String(name));
}

void Activate(FrameWindow& frame, QMdiSubWindow* sub)
{
    frame.Workspace()->setActiveSubWindow(sub);
    QCOMPARE(frame.Workspace()->activeSubWindow(), sub);
}

void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT
private slots:
    // One picture, one set of menus: the bar is the same whichever child
    // window is active, or when the drawing window is hidden.
    void menuBarIsTheSameWhicheverChildIsActive()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);

        QCOMPARE(BarMenus(frame), frame.Menus());
        Activate(frame, frame.TextViewSubWindow());
        QCOMPARE(BarMenus(frame), frame.Menus());
        Activate(frame, frame.TavSubWindow());
        QCOMPARE(BarMenus(frame), frame.Menus());
        Activate(frame, frame.DrawingSubWindow());
        QCOMPARE(BarMenus(frame), frame.Menus());

        frame.ToggleDrawingArea();
        QCOMPARE(BarMenus(frame), frame.Menus());
    }

    void ctrlNRunsNewOnceWhicheverMenusAreShown()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        session.document.SetSaved(false);  // so each New asks once
        dialogs.answers = {false, false};

        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &frame, Qt::Key_N,
                        Qt::ControlModifier);
        QCOMPARE(dialogs.count("question"), 1);

        Activate(frame, frame.TextViewSubWindow());
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &frame, Qt::Key_N,
                        Qt::ControlModifier);
        QCOMPARE(dialogs.count("question"), 2);
        QCOMPARE(int(session.document.Saved()), 0);
    }

    void frameEntriesAndButtonsReachTheDrawingWindow()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        Activate(frame, frame.TextViewSubWindow());

        // "&Open" of the frame's File menu works like the drawing window's.
        frame.FrameAction("Open")->trigger();
        QCOMPARE(dialogs.count("open"), 1);
        frame.FrameAction("OpenButton")->trigger();
        QCOMPARE(dialogs.count("open"), 2);
        frame.FrameAction("Saveas")->trigger();
        QCOMPARE(dialogs.count("save"), 1);
        frame.FrameAction("Save")->trigger();  // no file yet: asks for a name
        QCOMPARE(dialogs.count("save"), 2);

        session.document.SetSaved(false);
        dialogs.answers = {false};
        frame.FrameAction("NewButton")->trigger();
        QCOMPARE(dialogs.shown.last().text, QStringLiteral("Picture not saved. Continue?"));
    }

    void toolbarButtonsInOrder()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        QStringList tips;
        for (QAction* a : frame.Toolbar()->actions()) {
            if (a->isSeparator())
                tips << QStringLiteral("-");
            else if (!a->toolTip().isEmpty() && !a->icon().isNull())
                tips << a->toolTip();
        }
        QCOMPARE(tips.mid(0, 8), (QStringList{"New picture", "Open file", "Save hex file", "Import graphic file",
                                              "-", "Cut", "Copy", "Paste"}));
        QVERIFY(!frame.FrameAction("SaveButton")->isEnabled());
        QVERIFY(frame.FrameAction("NewButton")->isEnabled());
        // The greyed icon differs from the normal one.
        const QIcon icon = frame.FrameAction("SaveButton")->icon();
        QVERIFY(icon.pixmap(16, QIcon::Disabled).toImage() != icon.pixmap(16, QIcon::Normal).toImage());
    }

    // The buttons are the menus' own actions, except Save and Paste, whose
    // buttons grey out on their own. The keys of the menus, the tools and the
    // zoom work from a preview as from the drawing window.
    void toolbarButtonsShareTheMenuActions()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        const char* shared[][2] = {{"NewButton", "NewMenu"}, {"OpenButton", "Open"}, {"ImportButton", "ImportMenu"},
                                   {"CutButton", "CutMenu"}, {"CopyButton", "Copy"}};
        for (const auto& pair : shared)
            QCOMPARE(frame.FrameAction(QLatin1String(pair[0])), MainAction(frame, pair[1]));
        QVERIFY(frame.FrameAction("SaveButton") != MainAction(frame, "Save"));
        QVERIFY(frame.FrameAction("PasteButton") != MainAction(frame, "Paste"));
        QVERIFY(frame.Toolbar()->findChild<QWidget*>("CutButton"));

        frame.DrawingWindow().FitToWindow();
        const int fitted = frame.DrawingWindow().ZoomLevel();
        session.document.BackUp();
        session.document.SetPixel(1, 1, 1);
        for (QMdiSubWindow* sub : {frame.TextViewSubWindow(), frame.TavSubWindow()}) {
            Activate(frame, sub);
            sub->widget()->setFocus();
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(session.document.Pic(1, 1), 0);
            QTest::keyClick(focus, Qt::Key_Y, Qt::ControlModifier);
            QCOMPARE(session.document.Pic(1, 1), 1);
            QTest::keyClick(focus, Qt::Key_L);
            QCOMPARE(frame.DrawingWindow().CurrentToolId(), QStringLiteral("line"));
            frame.DrawingWindow().ChooseTool(QStringLiteral("pen"));
            QTest::keyClick(focus, Qt::Key_Minus, Qt::ControlModifier);  // not greyed after Fit
            QVERIFY(frame.DrawingWindow().ZoomLevel() < fitted);
            frame.DrawingWindow().ZoomTo(fitted);
        }
    }

    void pasteButtonFollowsTheClipboardWhenTheFrameIsActivated()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);

        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::black);
        QApplication::clipboard()->setImage(image);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&frame, &activate);
        QVERIFY(frame.PasteEnabled());

        QApplication::clipboard()->setText(QStringLiteral("only text"));
        QApplication::sendEvent(&frame, &activate);
        QVERIFY(!frame.PasteEnabled());

        // Coming back from the About box.
        QApplication::clipboard()->setImage(image);
        frame.ShowAbout();
        About* about = frame.AboutWindow();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        about->activateWindow();
        QTRY_VERIFY(about->isActiveWindow());
        QTest::mouseClick(about->UnloadAbout(), Qt::LeftButton);
        frame.activateWindow();
        QTRY_VERIFY(frame.isActiveWindow());
        QVERIFY(frame.PasteEnabled());
    }

    void activationRedrawsTheCanvas()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        // A pixel stored behind the canvas's back shows after activation.
        {
            const QSignalBlocker quiet(session.document);
            session.document.SetPixel(0, 0, 1);
        }
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&frame, &activate);
        QCOMPARE(frame.DrawingWindow().Canvas()->SquareColour(0, 0), DrawArea::kSetColour);
    }

    void closingWithUnsavedChanges_data()
    {
        QTest::addColumn<int>("saved");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("drawingLoaded");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("closes");
        QTest::newRow("saved") << 1 << false << true << 0 << true;
        QTest::newRow("unsaved, No") << 0 << false << true << 1 << false;
        QTest::newRow("unsaved, Yes") << 0 << true << true << 1 << true;
        QTest::newRow("no drawing window, No") << 0 << false << false << 1 << false;
        QTest::newRow("no drawing window, Yes") << 0 << true << false << 1 << true;
    }
    void closingWithUnsavedChanges()
    {
        QFETCH(int, saved);
        QFETCH(bool, answer);
        QFETCH(bool, drawingLoaded);
        QFETCH(int, questions);
        QFETCH(bool, closes);

        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        frame.DrawingWindow().Document().ChangeSize(99, 49);
        session.document.SetPixel(3, 3, 1);
        if (!drawingLoaded) {
            frame.DrawingSubWindow()->close();
            Flush();
            QVERIFY(!frame.DrawingWindowIfLoaded());
        }
        session.document.SetSaved(saved);
        const auto before = session.document.Data().PicData;
        dialogs.answers = {answer};

        QCOMPARE(frame.close(), closes);
        QCOMPARE(dialogs.count("question"), questions);
        if (questions) {
            QCOMPARE(dialogs.shown.last().title, QStringLiteral("File not saved"));
            QCOMPARE(dialogs.shown.last().text, QStringLiteral("Picture not saved. Continue?"));
        }
        QCOMPARE(frame.isVisible(), !closes);
        QCOMPARE(int(session.document.Saved()), saved);
        QVERIFY(session.document.Data().PicData == before);
        QCOMPARE(session.document.MaxX(), 99);
        QCOMPARE(frame.DrawingWindowIfLoaded() != nullptr, drawingLoaded);
    }

    void exitAsksOnceAndEndsTheProgram()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        frame.ShowAbout();
        session.document.SetSaved(false);

        dialogs.answers = {false};
        frame.FrameAction("ExitMenu")->trigger();
        QVERIFY(frame.isVisible());
        QCOMPARE(dialogs.count("question"), 1);

        dialogs.answers = {true};
        frame.FrameAction("ExitMenu")->trigger();
        QVERIFY(!frame.isVisible());
        QCOMPARE(dialogs.count("question"), 2);  // the close asked nothing more
        Flush();
        QVERIFY(!frame.AboutWindow());
    }

    void endProgramAsksNothing()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        session.document.SetSaved(false);
        frame.EndProgram();
        QVERIFY(!frame.isVisible());
        QVERIFY(dialogs.shown.isEmpty());
    }

    void windowMenuTogglesKeepBothCheckMarks()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        auto checks = [&](const char* name) {
            QAction* mine = frame.FrameAction(QLatin1String(name));
            QAction* theirs = MainAction(frame, name);
            return QPair<bool, bool>(mine->isChecked(), theirs ? theirs->isChecked() : mine->isChecked());
        };
        using Both = QPair<bool, bool>;
        QCOMPARE(checks("DrawVisible"), Both(true, true));
        QCOMPARE(checks("TavVisible"), Both(true, true));
        QCOMPARE(checks("TextVisible"), Both(true, true));

        // Drawing area: hidden, not unloaded; the picture size stays.
        frame.DrawingWindow().Document().ChangeSize(99, 49);
        DrawingWindow* main = frame.DrawingWindowIfLoaded();
        frame.FrameAction("DrawVisible")->trigger();
        QVERIFY(frame.DrawingSubWindow()->isHidden());
        QCOMPARE(frame.DrawingWindowIfLoaded(), main);
        QCOMPARE(checks("DrawVisible"), Both(false, false));
        frame.FrameAction("DrawVisible")->trigger();
        QVERIFY(frame.DrawingSubWindow()->isVisible());
        QCOMPARE(session.document.MaxX(), 99);
        QCOMPARE(checks("DrawVisible"), Both(true, true));

        // Tav preview: closed and loaded again.
        frame.FrameAction("TavVisible")->trigger();
        QVERIFY(!frame.TavSubWindow());
        QCOMPARE(checks("TavVisible"), Both(false, false));
        session.document.SetPixel(5, 6, 1);
        frame.FrameAction("TavVisible")->trigger();
        QVERIFY(frame.TavSubWindow() && frame.TavSubWindow()->isVisible());
        QCOMPARE(checks("TavVisible"), Both(true, true));
        QCOMPARE(frame.TavDisplayWindow().Display().pixel(5, 6), DevicePreview::kSetColour);

        // Text preview: closed; opened again with the current text.
        frame.FrameAction("TextVisible")->trigger();
        QVERIFY(!frame.TextViewSubWindow());
        QCOMPARE(checks("TextVisible"), Both(false, false));
        frame.FrameAction("TextVisible")->trigger();
        QVERIFY(frame.TextViewSubWindow() && frame.TextViewSubWindow()->isVisible());
        QCOMPARE(checks("TextVisible"), Both(true, true));
        const QStringList lines = frame.TextViewWindow().Text().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral(".db  100, 50"));
        QCOMPARE(lines.value(7), QStringLiteral(".db $4,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0"));
    }

    void windowMenuOpeningCorrectsItsCheckMarks()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        frame.TavSubWindow()->hide();
        frame.SetDrawVisibleChecked(false);
        frame.SetTextVisibleChecked(false);
        QMenu* window = frame.Menus().at(6);
        emit window->aboutToShow();
        QVERIFY(frame.FrameAction("DrawVisible")->isChecked());
        QVERIFY(!frame.FrameAction("TavVisible")->isChecked());
        QVERIFY(frame.FrameAction("TextVisible")->isChecked());
    }

    void closingEachWindowAndBringingItBack()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);

        // The drawing window's close box unloads it; showing it again runs
        // its start-up, so the picture is 40 x 32 again and the size fields
        // say so.
        frame.ShowSize(100, 50);
        QCOMPARE(session.document.MaxX(), 99);
        frame.DrawingSubWindow()->close();
        QVERIFY(!frame.DrawingWindowIfLoaded());
        QVERIFY(!frame.FrameAction("DrawVisible")->isChecked());
        Flush();
        frame.FrameAction("DrawVisible")->trigger();
        QVERIFY(frame.DrawingWindowIfLoaded());
        QVERIFY(frame.DrawingSubWindow()->isVisible());
        QCOMPARE(session.document.MaxX(), 99);  // only the window was reloaded
        QVERIFY(frame.FrameAction("DrawVisible")->isChecked());
        QCOMPARE(frame.findChild<QLineEdit*>("HSize")->text(), QStringLiteral("100"));
        QCOMPARE(frame.findChild<QLineEdit*>("VSize")->text(), QStringLiteral("50"));

        // A closed window that is closed once more before it is gone does
        // not make the frame forget the window loaded in its place.
        QMdiSubWindow* old = frame.TavSubWindow();
        old->close();
        frame.TavDisplayWindow();
        QMdiSubWindow* fresh = frame.TavSubWindow();
        old->close();
        QCOMPARE(frame.TavSubWindow(), fresh);

        // A closed device preview comes back hidden when it is drawn to.
        frame.TavSubWindow()->close();
        Flush();
        QVERIFY(!frame.TavDisplayIfLoaded());
        session.document.SetPixel(1, 1, 1);
        QVERIFY(frame.TavDisplayIfLoaded());
        QVERIFY(frame.TavSubWindow()->isHidden());
        QCOMPARE(frame.TavDisplayWindow().Display().pixel(1, 1), DevicePreview::kSetColour);
        QCOMPARE(frame.TavSubWindow()->geometry().bottom() + 1, frame.Workspace()->viewport()->height());

        // A closed text view keeps the text; Save writes it meanwhile.
        frame.TextViewSubWindow()->close();
        Flush();
        QVERIFY(!frame.TextViewIfLoaded());
        QVERIFY(!frame.TextViewIfLoaded());
        QVERIFY(session.document.HexText().startsWith(QStringLiteral(".db  100, 50\r\n.db $0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0,$0\r\n.db $40,")));
    }

    void arrangeWindowsTiles_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("normal") << "normal";
        QTest::newRow("maximized") << "maximized";
        QTest::newRow("minimized") << "minimized";
        QTest::newRow("hidden") << "hidden";
        QTest::newRow("previews closed") << "closed";
    }
    void arrangeWindowsTiles()
    {
        QFETCH(QString, state);
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        QMdiSubWindow* draw = frame.DrawingSubWindow();
        frame.TavSubWindow()->move(50, 40);
        frame.TextViewSubWindow()->setGeometry(30, 30, 200, 300);
        draw->setGeometry(100, 100, 300, 200);
        if (state == "maximized")
            draw->showMaximized();
        else if (state == "minimized")
            draw->showMinimized();
        else if (state == "hidden")
            frame.ToggleDrawingArea();
        else if (state == "closed") {
            frame.TavSubWindow()->close();
            frame.TextViewSubWindow()->close();
            Flush();
        }

        frame.FrameAction("Arrange")->trigger();

        const QSize client = frame.Workspace()->viewport()->size();
        QMdiSubWindow* tav = frame.TavSubWindow();
        QMdiSubWindow* text = frame.TextViewSubWindow();
        QVERIFY(tav && text);
        QVERIFY(draw->isVisible());
        QVERIFY(!draw->isMaximized() && !draw->isMinimized());
        QCOMPARE(tav->size(), QSize(units::ToPixels(5865), units::ToPixels(3435)));
        if (state != "closed")
            QCOMPARE(text->size(), QSize(200, 300));
        QCOMPARE(draw->geometry(), QRect(0, 0, client.width() - text->width(), client.height() - tav->height()));
        QCOMPARE(tav->pos(), QPoint(0, draw->height()));
        QCOMPARE(text->pos(), QPoint(draw->width(), 0));
        // Arranging does not show a closed preview.
        QCOMPARE(tav->isHidden(), state == "closed");
        QCOMPARE(text->isHidden(), state == "closed");
        // The canvas was laid out for the new size.
        const QRect canvas = frame.DrawingWindow().Canvas()->geometry();
        QVERIFY(frame.DrawingWindow().rect().contains(canvas));
    }

    void aboutBox()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);

        frame.FrameAction("About")->trigger();
        About* about = frame.AboutWindow();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QVERIFY(about->isWindow());
        QVERIFY(!about->isModal());
        QVERIFY(about->windowFlags() & Qt::Dialog);
        QVERIFY(!(about->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!frame.Workspace()->subWindowList().contains(qobject_cast<QMdiSubWindow*>(about->parentWidget())));
        QCOMPARE(about->windowTitle(), QStringLiteral("Tobrin v0.7"));
        // At least the designed size; wider only when the font needs it.
        QVERIFY(about->width() >= units::ToPixels(3480));
        QCOMPARE(about->height(), units::ToPixels(2355));
        for (const char* name : {"Label1", "Label2", "Label3"}) {
            const QLabel* label = about->findChild<QLabel*>(name);
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), name);
            QVERIFY2(label->geometry().right() < about->width(), name);
        }
        QVERIFY(!about->windowIcon().isNull());

        QCOMPARE(about->findChild<QLabel*>("Label1")->text(), QStringLiteral("Tobrin was written by"));
        QVERIFY(!about->findChild<QLabel*>("Label2")->text().isEmpty());
        QVERIFY(about->findChild<QLabel*>("Label3")->text().contains(QLatin1Char('@')));
        QLabel* picture = about->findChild<QLabel*>("Picture1");
        QCOMPARE(picture->pixmap().size(), QSize(48, 48));
        QCOMPARE(picture->palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(about->UnloadAbout()->text(), QStringLiteral("OK"));
        QCOMPARE(about->UnloadAbout()->objectName(), QStringLiteral("UnloadAbout"));
        QCOMPARE(about->focusWidget(), about->UnloadAbout());

        // Not modal: the frame's commands still work while it is open.
        frame.FrameAction("Open")->trigger();
        QCOMPARE(dialogs.count("open"), 1);

        // A second "&About..." brings the same window forward.
        frame.ShowAbout();
        QCOMPARE(frame.AboutWindow(), about);
        QPointer<About> watch(about);
        QTest::mouseClick(about->UnloadAbout(), Qt::LeftButton);
        Flush();
        QVERIFY(!watch);
        QVERIFY(!frame.AboutWindow());

        // From the drawing window's Help menu, a fresh one.
        MainAction(frame, "About")->trigger();
        QVERIFY(frame.AboutWindow());
        QVERIFY(frame.AboutWindow() != nullptr && frame.AboutWindow()->isVisible());
    }
};

QTEST_MAIN(FrameTest)
#include "test_frame.moc"
