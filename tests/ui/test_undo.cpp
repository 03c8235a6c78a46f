#include <QClipboard>

#include "frame/sizefields.h"
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::Editor;

namespace {

int SetCount(Editor& e)
{
    int n = 0;
    for (int y = 0; y <= e.session.document.MaxY(); ++y)
        for (int x = 0; x <= e.session.document.MaxX(); ++x)
            n += e.pic(x, y);
    return n;
}

QString EmptyPictureText()
{
    QString text = QStringLiteral(".db  40, 32\r\n");
    for (int y = 0; y < 32; ++y)
        text += QStringLiteral(".db $0,$0,$0,$0,$0\r\n");
    return text;
}

}  // namespace

class UndoTest : public QObject {
    Q_OBJECT
private slots:
    void undoRestoresTheCopyOfTheLastPressOnce()
    {
        Editor e;
        e.click(1, 1);
        e.click(2, 2);
        e.main().UndoMenu_Click();
        QCOMPARE(e.pic(1, 1), 1);
        QCOMPARE(e.pic(2, 2), 0);
        QCOMPARE(e.square(2, 2), DrawArea::kClearColour);
        QCOMPARE(e.dot(2, 2), DevicePreview::kClearColour);
        QVERIFY(e.session.document.HexText().contains(QStringLiteral(".db $40,$0,$0,$0,$0")));  // row 1
        QVERIFY(!e.session.document.HexText().contains(QStringLiteral(".db $20,")));
        QCOMPARE(int(e.session.document.Saved()), 0);  // Undo leaves the flag alone
    }

    // The shared Edit entries walk the history; they are greyed at either end.
    void undoAndRedoEntriesWalkTheHistoryAcrossASizeChange()
    {
        Editor e;
        QAction* undo = e.frame->FrameAction(QStringLiteral("UndoMenu"));
        QAction* redo = e.frame->FrameAction(QStringLiteral("RedoMenu"));
        QVERIFY(redo->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Y"))));
        QVERIFY(redo->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Shift+Z"))));
        QVERIFY(!redo->isEnabled());
        e.click(1, 1);
        e.resizePicture(50, 40);
        e.click(38, 30);
        undo->trigger();
        QCOMPARE(e.pic(38, 30), 0);
        undo->trigger();  // the size change
        QCOMPARE(e.session.document.MaxX(), 39);
        QCOMPARE(e.frame->Sizes()->HSize()->text(), QStringLiteral("40"));
        QVERIFY(e.session.document.HexText().startsWith(QStringLiteral(".db  40, 32")));
        undo->trigger();
        QCOMPARE(e.pic(1, 1), 0);
        QCOMPARE(e.square(1, 1), DrawArea::kClearColour);
        QVERIFY(!undo->isEnabled());
        redo->trigger();
        redo->trigger();
        QCOMPARE(e.frame->Sizes()->VSize()->text(), QStringLiteral("40"));
        QCOMPARE(e.pic(1, 1), 1);
        QVERIFY(redo->isEnabled());
        e.click(2, 2);  // a new change: nothing left to redo
        QVERIFY(!redo->isEnabled());
        QCOMPARE(e.dot(2, 2), DevicePreview::kSetColour);
    }

    void undoRefreshesTheWholePreviewAlsoOutsideAScrolledView()
    {
        Editor e;
        e.setClientSize(400, 300);
        e.resizePicture(100, 60);
        e.click(0, 0);
        QCOMPARE(e.dot(0, 0), DevicePreview::kSetColour);
        e.main().HSizeScroll()->setValue(e.main().HSizeScroll()->maximum());
        QVERIFY(e.state().view.ViewLeft > 0);
        e.main().UndoMenu_Click();
        QCOMPARE(e.pic(0, 0), 0);
        QCOMPARE(e.dot(0, 0), DevicePreview::kClearColour);
    }

    void changeSizeLaysOutWritesTextAndRefreshesThePreview()
    {
        Editor e;
        e.setPic(10, 10, 1);
        e.setPic(60, 10, 1);  // outside the current picture
        e.frame->TavDisplayWindow().PlotPixel(200, 100, DevicePreview::kSetColour);
        e.main().Document().ChangeSize(63, 15);
        QCOMPARE(e.session.document.MaxX(), 63);
        QCOMPARE(e.session.document.MaxY(), 15);
        QVERIFY(e.session.document.HexText().startsWith(QStringLiteral(".db  64, 16\r\n")));
        QCOMPARE(e.dot(200, 100), DevicePreview::kClearColour);  // the display was cleared first
        QCOMPARE(e.dot(60, 10), DevicePreview::kSetColour);
        QCOMPARE(int(e.session.document.UndoPixel(60, 10)), 1);  // the undo copy
        QCOMPARE(e.state().view.ViewLeft, 0);
        QCOMPARE(e.state().view.ViewRight, std::min(63, e.state().view.ViewColumns - 1));
    }

    void newAnsweredNoChangesNothing()
    {
        Editor e;
        e.resizePicture(60, 40);
        e.click(3, 3);
        e.dialogs.answers = {false};
        e.main().NewMenu_Click();
        QCOMPARE(e.dialogs.count(QStringLiteral("question")), 1);
        QCOMPARE(e.dialogs.shown.last().title, QStringLiteral("File not saved"));
        QCOMPARE(e.pic(3, 3), 1);
        QCOMPARE(e.session.document.MaxX(), 59);
        QCOMPARE(int(e.session.document.Saved()), 0);
        QVERIFY(e.frame->SaveEnabled());
    }

    void newAnsweredYesStartsAnEmptyDefaultPicture()
    {
        Editor e;
        e.resizePicture(60, 40);
        e.click(3, 3);
        e.main().Document().FileName() = QStringLiteral("/tmp/earlier.txt");
        e.dialogs.answers = {true};
        e.main().NewMenu_Click();
        QCOMPARE(e.session.document.MaxX(), 39);
        QCOMPARE(e.session.document.MaxY(), 31);
        QCOMPARE(SetCount(e), 0);
        QCOMPARE(e.session.document.HexText(), EmptyPictureText());
        QCOMPARE(int(e.session.document.Saved()), 1);
        QVERIFY(!e.frame->SaveEnabled());
        QVERIFY(e.main().Document().FileName().isEmpty());  // Save asks for a name again
        QCOMPARE(e.square(3, 3), DrawArea::kClearColour);
        // New starts a history of its own: the discarded picture stays gone.
        e.main().UndoMenu_Click();
        QCOMPARE(e.pic(3, 3), 0);
        QCOMPARE(e.session.document.MaxX(), 39);
    }

    void newWithoutChangesAsksNothing()
    {
        Editor e;
        e.main().NewMenu_Click();
        QCOMPARE(e.dialogs.count(QStringLiteral("question")), 0);
    }

    void shrinkingKeepsLeftoversButNewClearsThem()
    {
        Editor e;
        e.resizePicture(100, 50);
        e.makeRoomForEverything();
        e.click(80, 40);
        QCOMPARE(e.pic(80, 40), 1);
        e.resizePicture(40, 32);
        e.resizePicture(100, 50);
        QCOMPARE(e.pic(80, 40), 1);  // back again
        QCOMPARE(e.dot(80, 40), DevicePreview::kSetColour);

        e.resizePicture(40, 32);
        e.main().NewMenu_Click();  // answered Yes by default
        e.resizePicture(100, 50);
        QCOMPARE(e.pic(80, 40), 0);
        QCOMPARE(e.dot(80, 40), DevicePreview::kClearColour);
    }

    void newClearsAPendingPaste()
    {
        Editor e;
        QImage block(2, 2, QImage::Format_RGB32);
        block.fill(Qt::black);
        QGuiApplication::clipboard()->setImage(block);
        e.main().SelectionTool().Paste_Click();
        QCOMPARE(e.main().CurrentToolId(), QStringLiteral("paste"));
        e.main().NewMenu_Click();
        e.click(10, 10);  // places whatever is left: nothing
        QCOMPARE(SetCount(e), 0);
    }
};

QTEST_MAIN(UndoTest)
#include "test_undo.moc"
