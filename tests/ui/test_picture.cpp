#include <QWheelEvent>

#include "core/zoom.h"
#include "frame/sizefields.h"
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::Editor;

namespace {

// The picture as rows of '0' and '1'.
QStringList Rows(Editor& e)
{
    QStringList rows;
    for (int y = 0; y <= e.session.document.MaxY(); ++y) {
        QString row;
        for (int x = 0; x <= e.session.document.MaxX(); ++x)
            row += QLatin1Char(e.pic(x, y) ? '1' : '0');
        rows << row;
    }
    return rows;
}

// Ctrl + one wheel notch (up: in) at a canvas pixel.
void CtrlWheel(Editor& e, QPoint px, int notches)
{
    QWheelEvent wheel(px, e.canvas()->mapToGlobal(px), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(e.canvas(), &wheel);
}

// The picture pixel under a canvas pixel.
QPoint PixelAt(Editor& e, QPoint px)
{
    const CellGeometry& cells = e.canvas()->Cells();
    return QPoint(cells.CellAtPixel(px.x()) + e.state().view.ViewLeft,
                  cells.CellAtPixel(px.y()) + e.state().view.ViewTop);
}

}  // namespace

class PictureMenuTest : public QObject {
    Q_OBJECT
private slots:
    void wholePictureRoundTripsOnAnOddSize()
    {
        Editor e;
        e.resizePicture(13, 7);
        for (auto [x, y] : {std::pair{0, 0}, {12, 0}, {5, 6}, {7, 3}})
            e.setPic(x, y, 1);
        const QStringList start = Rows(e);
        e.session.document.MarkSaved(QStringLiteral("/tmp/a.txt"));

        e.menuAction(QStringLiteral("RotateClockwise"))->trigger();
        QCOMPARE(e.session.document.MaxX(), 6);  // width and height swap
        QCOMPARE(e.frame->Sizes()->HSize()->text(), QStringLiteral("7"));
        QCOMPARE(e.pic(6, 0), 1);  // the top-left corner went to the top right
        QVERIFY(e.session.document.HexText().startsWith(QStringLiteral(".db  7, 13")));
        QCOMPARE(e.dot(6, 0), DevicePreview::kSetColour);
        QVERIFY(!e.session.document.Saved());
        for (int i = 0; i < 3; ++i)
            e.menuAction(QStringLiteral("RotateClockwise"))->trigger();
        QCOMPARE(Rows(e), start);
        for (const char* name : {"FlipHorizontal", "FlipHorizontal", "FlipVertical", "FlipVertical", "Invert",
                                 "Invert", "RotateCounterClockwise", "RotateClockwise", "ShiftLeft", "ShiftRight",
                                 "ShiftUp", "ShiftDown"})
            e.menuAction(QLatin1String(name))->trigger();
        QCOMPARE(Rows(e), start);

        // Every transform was one step.
        e.menuAction(QStringLiteral("ShiftLeft"))->trigger();
        QCOMPARE(e.pic(11, 0), 1);
        QCOMPARE(e.pic(12, 0), 1);  // the left column wrapped round
        QCOMPARE(e.square(11, 0), DrawArea::kSetColour);
        e.main().UndoMenu_Click();
        QCOMPARE(Rows(e), start);
        e.main().UndoMenu_Click();  // back to just after "Shift up"
        QCOMPARE(e.pic(12, 6), 1);
        QCOMPARE(e.pic(5, 6), 0);
        QCOMPARE(e.menuAction(QStringLiteral("ShiftUp"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Up")));
    }

    void aSelectionNearTheEdgeTurnsInsideThePicture()
    {
        Editor e;
        e.setPic(36, 29, 1);  // the block's top-left corner
        e.setPic(35, 29, 1);  // outside the block
        e.chooseTool(QStringLiteral("Selection"));
        e.drag(QPoint(36, 29), QPoint(39, 31));  // 4 x 3 at the bottom-right corner
        QVERIFY(e.state().SelectionHeld);
        e.menuAction(QStringLiteral("RotateClockwise"))->trigger();
        // 3 x 4 would reach below the picture: it moved up one row.
        QCOMPARE(QRect(QPoint(e.state().StartX, e.state().StartY), QPoint(e.state().LastX, e.state().LastY)),
                 QRect(36, 28, 3, 4));
        QCOMPARE(e.pic(38, 28), 1);  // top-left went to the top right
        QCOMPARE(e.pic(36, 29), 0);
        QCOMPARE(e.pic(35, 29), 1);
        QCOMPARE(e.main().Holder().Pixel(2, 0), ScratchSurface::kBlack);  // what Copy would take
        QCOMPARE(e.session.document.MaxX(), 39);

        e.menuAction(QStringLiteral("Invert"))->trigger();
        QCOMPARE(e.pic(36, 28), 1);
        QCOMPARE(e.pic(35, 28), 0);
        e.main().UndoMenu_Click();
        e.main().UndoMenu_Click();
        QCOMPARE(e.pic(36, 29), 1);
        QCOMPARE(e.pic(38, 28), 0);
    }

    void aRotationThatWouldNotFitIsGreyedAndRefused()
    {
        Editor e;
        e.resizePicture(200, 100);
        e.setPic(3, 3, 1);
        QMenu* menu = e.frame->Menus().at(3);
        QCOMPARE(menu->objectName(), QStringLiteral("PictureMenu"));
        emit menu->aboutToShow();
        QAction* rotate = e.menuAction(QStringLiteral("RotateCounterClockwise"));
        QVERIFY(!rotate->isEnabled());
        rotate->setEnabled(true);
        const int steps = e.session.document.HistorySteps();
        rotate->trigger();
        QCOMPARE(e.dialogs.count(QStringLiteral("message")), 1);
        QVERIFY(!e.dialogs.shown.last().text.isEmpty());
        QCOMPARE(e.session.document.MaxX(), 199);
        QCOMPARE(e.pic(3, 3), 1);
        QCOMPARE(e.session.document.HistorySteps(), steps);
        e.resizePicture(100, 100);
        emit menu->aboutToShow();
        QVERIFY(rotate->isEnabled());
    }

    void ctrlWheelKeepsThePixelUnderThePointerAtEveryLevel()
    {
        Editor e;
        e.setClientSize(500, 400);
        e.resizePicture(200, 100);
        e.main().HSizeScroll()->setValue(60);
        e.main().VSizeScroll()->setValue(30);
        const QPoint pointer(100, 80);
        const QPoint under = PixelAt(e, pointer);
        QCOMPARE(under, QPoint(60 + 100 / 7, 30 + 80 / 7));
        QList<int> levels;
        for (int i = 0; i < 22; ++i) {
            CtrlWheel(e, pointer, i < 11 ? 1 : -1);
            levels << e.main().ZoomLevel();
            QCOMPARE(PixelAt(e, pointer), under);
        }
        QCOMPARE(levels.first(), 8);
        QCOMPARE(levels.at(10), 40);  // the largest level stays
        QCOMPARE(levels.last(), 6);
        CtrlWheel(e, pointer, -2);
        QCOMPARE(e.main().ZoomLevel(), 4);
        QVERIFY(!e.canvas()->Cells().grid);  // too small for grid lines
        CtrlWheel(e, pointer, -5);
        QCOMPARE(e.main().ZoomLevel(), 3);
    }

    void aClickLandsOnItsPixelAtEveryLevelAndActualSizeIsAsBefore()
    {
        Editor e;
        e.resizePicture(16, 16);
        const QImage actual = e.canvas()->Image();
        const QSize canvasSize = e.canvas()->size();
        QAction* zoomIn = e.menuAction(QStringLiteral("ZoomIn"));
        QVERIFY(zoomIn->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+="))));
        for (int level = 3; level <= 40; level = ZoomInStep(level)) {
            e.main().ZoomTo(level);
            const ViewWindow& v = e.state().view;
            const QPoint target(v.ViewLeft + 1 + level % 3, v.ViewTop + 2);
            const QPoint px(level * (target.x() - v.ViewLeft) + level / 2, level * (target.y() - v.ViewTop) + level / 2);
            QTest::mouseClick(e.canvas(), Qt::LeftButton, Qt::NoModifier, px);
            QVERIFY2(e.pic(target.x(), target.y()) == 1, qPrintable(QString::number(level)));
            QCOMPARE(e.square(target.x() - v.ViewLeft, target.y() - v.ViewTop), DrawArea::kSetColour);
            e.main().UndoMenu_Click();
            if (level == 40)
                break;
        }
        e.menuAction(QStringLiteral("FitToWindow"))->trigger();
        QVERIFY(e.main().ZoomLevel() > 7);
        QVERIFY(e.main().HSizeScroll()->isHidden());
        e.menuAction(QStringLiteral("ActualSize"))->trigger();
        QCOMPARE(e.canvas()->size(), canvasSize);
        QCOMPARE(e.canvas()->Image(), actual);
    }

    void devicePreviewScalesByWholePixels()
    {
        Editor e;
        e.setPic(2, 1, 1);
        DevicePreview& tav = e.frame->TavDisplayWindow();
        QCOMPARE(tav.contextMenuPolicy(), Qt::ActionsContextMenu);
        tav.findChild<QAction*>(QStringLiteral("PreviewScale3"))->trigger();
        QCOMPARE(tav.Scale(), 3);
        QCOMPARE(tav.DisplayWidget()->size(), QSize(720, 360));
        const QImage shown = tav.DisplayWidget()->grab().toImage();
        for (int d = 0; d < 9; ++d)
            QCOMPARE(shown.pixel(6 + d % 3, 3 + d / 3) | 0xFF000000u, DevicePreview::kSetColour);
        QCOMPARE(shown.pixel(9, 3) | 0xFF000000u, DevicePreview::kClearColour);
        QCOMPARE(shown.pixel(5, 5) | 0xFF000000u, DevicePreview::kClearColour);
        QSignalSpy clicked(&tav, &DevicePreview::DisplayClicked);
        QTest::mouseClick(tav.DisplayWidget(), Qt::LeftButton, {}, QPoint(8, 5));
        QCOMPARE(clicked.first(), (QVariantList{2, 1}));
        tav.findChild<QAction*>(QStringLiteral("PreviewScale1"))->trigger();
        QCOMPARE(tav.DisplayWidget()->size(), QSize(240, 120));
    }
};

QTEST_MAIN(PictureMenuTest)
#include "test_picture.moc"
