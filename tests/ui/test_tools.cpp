#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "test_drawing_support.h"
#include "drawing/spinscroll.h"
#include "drawing/toolsettings.h"

using namespace tobrin;
using tobrin::testing::Editor;

namespace {

// Picture rows as strings of '0' and '1', x from x0 to x1.
QString Row(Editor& e, int y, int x0, int x1)
{
    QString s;
    for (int x = x0; x <= x1; ++x)
        s += e.pic(x, y) ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

void ChooseEntry(Editor&, QToolButton* button, const QString& text)
{
    for (QAction* a : button->menu()->actions())
        if (a->text() == text) {
            a->trigger();
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no entry ") + text));
}

void SetWhiteTransparent(Editor& e, bool pressed)
{
    QAction* a = e.main().Tools().WhiteTransparentAction();
    if (a->isChecked() != pressed)
        a->trigger();
    QCOMPARE(e.state().WhiteTransparent, pressed);
}

PictureData::Plane Snapshot(Editor& e) { return e.session.document.Data().PicData; }

}  // namespace

class ToolsTest : public QObject {
    Q_OBJECT
private slots:
    void leadingIntegerReadsTheNumberAtTheStart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "7" << 7;
        QTest::newRow("fraction") << "4.9" << 4;
        QTest::newRow("suffix") << "7px" << 7;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("negative") << "-3" << -3;
        QTest::newRow("negative fraction floors") << "-0.5" << -1;
        QTest::newRow("leading blanks") << "  10.9" << 10;
        QTest::newRow("bare point") << ".5" << 0;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("exponent") << "1e1" << 10;
        QTest::newRow("e without digits") << "2eggs" << 2;
        QTest::newRow("huge") << "99999999999999" << INT_MAX;
    }
    void leadingIntegerReadsTheNumberAtTheStart()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(LeadingInteger(text), value);
    }

    void lineWidthFieldKeepsTheValueInForceForBadEntries_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("width");
        QTest::newRow("zero") << "0" << 4;
        QTest::newRow("eleven") << "11" << 4;
        QTest::newRow("minus three") << "-3" << 4;
        QTest::newRow("letters") << "wide" << 4;
        QTest::newRow("empty") << "" << 4;
        QTest::newRow("10.9") << "10.9" << 10;
        QTest::newRow("7px") << "7px" << 7;
        QTest::newRow("one") << "1" << 1;
    }
    void lineWidthFieldKeepsTheValueInForceForBadEntries()
    {
        QFETCH(QString, typed);
        QFETCH(int, width);
        Editor e;
        e.typeInto(QStringLiteral("LineWidth"), QStringLiteral("4.9"));
        QCOMPARE(e.main().Holder().PenWidth(), 4);
        e.typeInto(QStringLiteral("LineWidth"), typed);
        auto* edit = e.main().findChild<QLineEdit*>(QStringLiteral("LineWidth"));
        QCOMPARE(edit->text(), QString::number(width));
        QCOMPARE(e.main().Tools().LineScroll()->value(), width);
        QCOMPARE(e.main().Holder().PenWidth(), width);
        QCOMPARE(e.state().PenWidth, width);
    }

    void typingAppliesNothingUntilTheFieldIsLeft()
    {
        Editor e;
        auto* edit = e.main().findChild<QLineEdit*>(QStringLiteral("LineWidth"));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("6"));
        QCOMPARE(e.main().Holder().PenWidth(), 1);
        QCOMPARE(e.main().Tools().LineScroll()->value(), 1);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(e.main().Holder().PenWidth(), 6);
        if (QApplication::activeWindow())
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e.canvas()));
    }

    void patternDensityFieldAcceptsTwoToTen()
    {
        Editor e;
        e.typeInto(QStringLiteral("PatternSize"), QStringLiteral("1"));
        QCOMPARE(e.state().PatternDensity, 3);
        QCOMPARE(e.main().findChild<QLineEdit*>(QStringLiteral("PatternSize"))->text(), QStringLiteral("3"));
        e.typeInto(QStringLiteral("PatternSize"), QStringLiteral("2"));
        QCOMPARE(e.state().PatternDensity, 2);
        e.typeInto(QStringLiteral("PatternSize"), QStringLiteral("10"));
        QCOMPARE(e.state().PatternDensity, 10);
        e.typeInto(QStringLiteral("PatternSize"), QStringLiteral("12"));
        QCOMPARE(e.state().PatternDensity, 10);
    }

    void spinnersStepUpFromTheTopArrow()
    {
        Editor e;
        SpinScroll* line = e.main().Tools().LineScroll();
        QVERIFY(line->invertedAppearance());  // the top end is the largest value
        // The upper arrow is the scroll bar's "sub line" control.
        line->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(line->value(), 2);
        QCOMPARE(e.main().findChild<QLineEdit*>(QStringLiteral("LineWidth"))->text(), QStringLiteral("2"));
        QCOMPARE(e.main().Holder().PenWidth(), 2);
        line->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        line->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(line->value(), 1);  // the bottom end stops at the minimum
        SpinScroll* pattern = e.main().Tools().PatternScroll();
        for (int i = 0; i < 12; ++i)
            pattern->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(pattern->value(), 10);
        QCOMPARE(e.state().PatternDensity, 10);
        QCOMPARE(e.main().findChild<QLineEdit*>(QStringLiteral("PatternSize"))->text(), QStringLiteral("10"));
    }

    void menuChoicesSetTheirSettingOnly()
    {
        Editor e;
        ToolSettings& t = e.main().Tools();
        ChooseEntry(e, t.PaintStyleButton(), QStringLiteral("White"));
        QCOMPARE(e.state().PaintStyle, PaintStyle::White);
        QCOMPARE(e.state().WhiteTransparent, true);  // the menu leaves it alone
        ChooseEntry(e, t.LineStyleButton(), QStringLiteral("Dot - Dash"));
        QCOMPARE(e.state().LineStyleIndex, LineStyle::DotDash);
        ChooseEntry(e, t.FillStyleButton(), QStringLiteral("Cross diagonal"));
        QCOMPARE(e.state().FillStyleIndex, FillStyle::CrossDiagonal);
        // The main part of a drop-down button does nothing by itself.
        t.FillStyleButton()->click();
        QCOMPARE(e.state().FillStyleIndex, FillStyle::CrossDiagonal);
        // Settings do not touch the picture.
        QCOMPARE(int(e.session.document.Saved()), 1);
    }

    void rightClickSwapsBlackAndWhite()
    {
        Editor e;
        QAction* wt = e.main().Tools().WhiteTransparentAction();
        e.click(3, 3, Qt::RightButton);
        QCOMPARE(e.state().PaintStyle, PaintStyle::White);
        QCOMPARE(e.state().WhiteTransparent, false);
        QVERIFY(!wt->isChecked());
        QCOMPARE(e.pic(3, 3), 0);
        e.click(3, 3, Qt::RightButton);
        QCOMPARE(e.state().PaintStyle, PaintStyle::Black);
        QCOMPARE(e.state().WhiteTransparent, false);  // stays released
        QVERIFY(!wt->isChecked());

        ChooseEntry(e, e.main().Tools().PaintStyleButton(), QStringLiteral("Reverse"));
        e.click(3, 3, Qt::RightButton);
        QCOMPARE(e.state().PaintStyle, PaintStyle::Reverse);
        QCOMPARE(int(e.session.document.Saved()), 1);  // a right click is no change
    }

    void penStampsAccumulateAndCommitOnRelease()
    {
        Editor e;
        e.press(2, 2);
        QCOMPARE(e.square(2, 2), DrawArea::kTentativeSet);
        QCOMPARE(e.pic(2, 2), 0);
        e.dragTo(4, 2);
        e.dragTo(4, 5);
        QCOMPARE(e.square(2, 2), DrawArea::kTentativeSet);
        QCOMPARE(e.square(4, 5), DrawArea::kTentativeSet);
        QCOMPARE(e.square(3, 2), DrawArea::kClearColour);  // stamps are not joined
        e.release(4, 5);
        QCOMPARE(e.pic(2, 2), 1);
        QCOMPARE(e.pic(4, 2), 1);
        QCOMPARE(e.pic(4, 5), 1);
        QCOMPARE(e.pic(3, 2), 0);
        QCOMPARE(e.square(4, 2), DrawArea::kSetColour);
        QCOMPARE(e.dot(4, 5), DevicePreview::kSetColour);
        QCOMPARE(int(e.session.document.Saved()), 0);
        QVERIFY(e.frame->SaveEnabled());
        QVERIFY(e.session.document.HexText().contains(QStringLiteral(".db $28,$0,$0,$0,$0")));  // row 2: columns 2 and 4
    }

    void penStampsAfterACapturedSelectionAreNotLost()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Selection"));
        e.drag({1, 1}, {2, 2});
        e.chooseTool(QStringLiteral("Pen"));
        e.click(30, 20);
        QCOMPARE(e.pic(30, 20), 1);
    }

    void pressBeyondTheLastWholeCellOnlyTakesTheUndoCopy()
    {
        Editor e;
        e.setPic(7, 7, 1);
        // The canvas's last pixel column is the grid line right of cell 39.
        QTest::mousePress(e.canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(7 * 40, 10));
        QCOMPARE(e.state().MouseIsDown, false);
        QCOMPARE(int(e.session.document.Saved()), 0);
        QVERIFY(e.frame->SaveEnabled());
        QCOMPARE(int(e.session.document.UndoPixel(7, 7)), 1);
        QTest::mouseRelease(e.canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(7 * 40, 10));
        for (int y = 0; y < 32; ++y)
            QCOMPARE(Row(e, y, 0, 39).count(QLatin1Char('1')), y == 7 ? 1 : 0);
    }

    void selectionClickStillCountsAsAChange()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Selection"));
        e.setPic(1, 1, 1);
        e.click(5, 5);
        QCOMPARE(int(e.session.document.Saved()), 0);
        QCOMPARE(int(e.session.document.UndoPixel(1, 1)), 1);
    }

    void coordinateLabelsFollowThePointer()
    {
        Editor e;
        auto* x = e.main().findChild<QLabel*>(QStringLiteral("CoorTextX"));
        auto* y = e.main().findChild<QLabel*>(QStringLiteral("CoorTextY"));
        e.hover(0, 0);  // the initial last cell: nothing changes
        QCOMPARE(x->text(), QStringLiteral("X:"));
        e.hover(12, 3);
        QCOMPARE(x->text(), QStringLiteral("X: 12"));
        QCOMPARE(y->text(), QStringLiteral("Y: 3"));
        // The comparison is with the last press, not the last move: (0, 0)
        // is still that cell.
        e.hover(0, 0);
        QCOMPARE(x->text(), QStringLiteral("X: 12"));
        e.click(5, 5);
        e.hover(0, 0);
        QCOMPARE(x->text(), QStringLiteral("X: 0"));
        QCOMPARE(y->text(), QStringLiteral("Y: 0"));
        e.hoverPixel(QPoint(-3, 5));  // off the canvas: ignored
        QCOMPARE(x->text(), QStringLiteral("X: 0"));
        e.hoverPixel(QPoint(7 * 40, 7 * 32));  // the canvas's last pixel: the cell beyond
        QCOMPARE(x->text(), QStringLiteral("X: 40"));
        QCOMPARE(y->text(), QStringLiteral("Y: 32"));
        QCOMPARE(e.canvas()->cursor().shape(), Qt::CrossCursor);
    }

    void dottedLineHasItsDotsOnTheAbsoluteRowPhase()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Line"));
        ChooseEntry(e, e.main().Tools().LineStyleButton(), QStringLiteral("Dotted"));
        e.drag({2, 0}, {14, 0});
        // Row 0: the press cell itself is a dot, then every third column.
        QCOMPARE(Row(e, 0, 0, 15), QStringLiteral("0010010010010010"));
        e.drag({2, 1}, {14, 1});
        // Row 1: x - 2 - 1 must be a multiple of 3, the first dot at x0 + 1.
        QCOMPARE(Row(e, 1, 0, 15), QStringLiteral("0001001001001000"));
    }

    void dashedAndDotDashFollowThePatternPeriods()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Line"));
        ChooseEntry(e, e.main().Tools().LineStyleButton(), QStringLiteral("Dashed"));
        e.drag({0, 0}, {13, 0});
        QCOMPARE(Row(e, 0, 0, 13), QStringLiteral("11100011100011"));
        ChooseEntry(e, e.main().Tools().LineStyleButton(), QStringLiteral("Dot - Dash"));
        e.drag({0, 2}, {19, 2});
        // t = x - 0 - 2; period 10: ink at m = 1 and m = 5..7.
        QCOMPARE(Row(e, 2, 0, 19), QStringLiteral("00010001110001000111"));
    }

    void emptyLineClearsOnlyWhenWhiteIsNotTransparent()
    {
        Editor e;
        for (int x = 0; x < 40; ++x)
            e.setPic(x, 4, 1);
        e.main().RedrawAll();
        e.chooseTool(QStringLiteral("Line"));
        ChooseEntry(e, e.main().Tools().LineStyleButton(), QStringLiteral("Empty"));
        e.drag({5, 4}, {10, 4});
        QCOMPARE(Row(e, 4, 0, 39).count(QLatin1Char('1')), 40);
        SetWhiteTransparent(e, false);
        e.drag({5, 4}, {10, 4});
        QCOMPARE(Row(e, 4, 3, 12), QStringLiteral("1100000011"));
    }

    void transparentBoxFillFollowsThePaintStyle()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Box"));
        // Default fill "Transparent" with white transparent: interior untouched.
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 32; ++y)
                e.setPic(x, y, 1);
        e.main().RedrawAll();
        e.drag({2, 2}, {6, 5});
        QCOMPARE(Row(e, 3, 2, 6), QStringLiteral("11111"));

        SetWhiteTransparent(e, false);
        e.drag({2, 2}, {6, 5});  // under Black: the interior is cleared
        QCOMPARE(Row(e, 2, 1, 7), QStringLiteral("1111111"));
        QCOMPARE(Row(e, 3, 1, 7), QStringLiteral("1100011"));
        QCOMPARE(Row(e, 4, 1, 7), QStringLiteral("1100011"));
        QCOMPARE(Row(e, 5, 1, 7), QStringLiteral("1111111"));

        e.main().Tools().SetPaintStyle(PaintStyle::White);
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 32; ++y)
                e.setPic(x, y, 0);
        e.main().RedrawAll();
        e.drag({10, 10}, {14, 13});  // under White: outline cleared, interior set
        QCOMPARE(Row(e, 10, 10, 14), QStringLiteral("00000"));
        QCOMPARE(Row(e, 11, 10, 14), QStringLiteral("01110"));
        QCOMPARE(Row(e, 12, 10, 14), QStringLiteral("01110"));
    }

    void circleDraggedLeftOrDownHasRadiusOne()
    {
        Editor reference;
        reference.chooseTool(QStringLiteral("Circle"));
        reference.drag({10, 10}, {11, 10});  // radius 1 on purpose
        const auto expected = Snapshot(reference);
        QCOMPARE(reference.pic(9, 10), 1);
        QCOMPARE(reference.pic(10, 10), 0);  // transparent interior

        for (QPoint to : {QPoint(4, 10), QPoint(10, 16), QPoint(7, 3)}) {
            Editor e;
            e.chooseTool(QStringLiteral("Circle"));
            e.drag({10, 10}, to);
            QVERIFY2(Snapshot(e) == expected, qPrintable(QStringLiteral("to %1,%2").arg(to.x()).arg(to.y())));
        }
        Editor wider;
        wider.chooseTool(QStringLiteral("Circle"));
        wider.drag({10, 10}, {14, 2});  // radius is the horizontal distance: 4
        QCOMPARE(wider.pic(14, 10), 1);
        QCOMPARE(wider.pic(10, 14), 1);
        QCOMPARE(wider.pic(10, 15), 0);
    }

    void dragBackOntoThePressCellKeepsTheLastPreview()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Line"));
        e.press(5, 5);
        e.dragTo(9, 5);
        e.dragTo(5, 5);
        QCOMPARE(e.square(9, 5), DrawArea::kTentativeSet);
        e.release(5, 5);
        QCOMPARE(Row(e, 5, 4, 10), QStringLiteral("0111110"));
    }

    void clickWithoutMoveStoresNothingForShapes()
    {
        for (const char* tool : {"Line", "Box", "Circle"}) {
            Editor e;
            e.chooseTool(QLatin1String(tool));
            e.click(5, 5);
            QCOMPARE(e.pic(5, 5), 0);
        }
    }

    void repeatedCommitChangesNothing()
    {
        for (PaintStyle style : {PaintStyle::Black, PaintStyle::White, PaintStyle::Reverse}) {
            Editor e;
            SetWhiteTransparent(e, false);
            e.main().Tools().SetFillStyle(FillStyle(1));  // solid fill
            e.main().Tools().SetPaintStyle(PaintStyle(style));
            e.setPic(6, 6, 1);
            e.chooseTool(QStringLiteral("Box"));
            e.drag({4, 4}, {9, 8});
            const auto after = Snapshot(e);
            e.main().TransferHolder(true);
            e.main().TransferHolder(true);
            QVERIFY(Snapshot(e) == after);
        }
    }

    void fillSpreadsThroughEdgesOnly()
    {
        Editor e;
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 32; ++y)
                e.setPic(x, y, 1);
        // Two white areas touching only at a corner.
        for (int x = 2; x <= 4; ++x)
            for (int y = 2; y <= 4; ++y)
                e.setPic(x, y, 0);
        for (int x = 5; x <= 7; ++x)
            for (int y = 5; y <= 7; ++y)
                e.setPic(x, y, 0);
        e.main().RedrawAll();
        e.chooseTool(QStringLiteral("Fill"));
        e.main().Tools().SetFillStyle(FillStyle(1));  // solid
        e.click(3, 3);
        QCOMPARE(e.pic(2, 2), 1);
        QCOMPARE(e.pic(4, 4), 1);
        QCOMPARE(e.pic(5, 5), 0);
        QCOMPARE(e.pic(7, 7), 0);
        QCOMPARE(e.square(4, 4), DrawArea::kSetColour);
        QCOMPARE(e.dot(3, 3), DevicePreview::kSetColour);
    }

    void fillFollowsPaintAndTransparency()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Fill"));
        e.click(5, 5);  // default transparent fill: nothing
        QCOMPARE(Row(e, 5, 0, 39).count(QLatin1Char('1')), 0);

        e.main().Tools().SetFillStyle(FillStyle(1));  // solid
        e.click(5, 5);
        QCOMPARE(Row(e, 31, 0, 39).count(QLatin1Char('1')), 40);
        e.click(5, 5);  // black region, black paint: no change
        QCOMPARE(e.pic(0, 0), 1);
        e.main().Tools().SetPaintStyle(PaintStyle::White);
        e.click(5, 5);  // white paint, white transparent: nothing
        QCOMPARE(e.pic(0, 0), 1);
        SetWhiteTransparent(e, false);
        e.click(5, 5);
        QCOMPARE(e.pic(0, 0), 0);
        QCOMPARE(e.pic(39, 31), 0);

        e.main().Tools().SetPaintStyle(PaintStyle::Reverse);
        const auto before = Snapshot(e);
        e.click(5, 5);
        QVERIFY(Snapshot(e) == before);
    }

    void horizontalFillPatternRunsThroughThePressRow()
    {
        Editor e;
        e.chooseTool(QStringLiteral("Fill"));
        e.main().Tools().SetFillStyle(FillStyle(3));  // horizontal
        e.click(5, 7);
        for (int y = 0; y < 32; ++y)
            QCOMPARE(Row(e, y, 0, 39).count(QLatin1Char('1')), (y - 7) % 3 == 0 ? 40 : 0);
    }

    void reverseToggleSparesSetPixelsWhileWhiteIsTransparent()
    {
        Editor e;
        e.main().Tools().SetPaintStyle(PaintStyle::Reverse);
        e.setPic(3, 3, 1);
        e.click(3, 3);  // toggling a set pixel would clear it: transparent
        QCOMPARE(e.pic(3, 3), 1);
        e.click(4, 3);
        QCOMPARE(e.pic(4, 3), 1);
        SetWhiteTransparent(e, false);
        e.click(3, 3);
        QCOMPARE(e.pic(3, 3), 0);
    }

    // The tools added through the registry, as a person uses them: E and a
    // drag draw an ellipse in the dragged box (with Shift a circle in the
    // smaller side); mirror drawing repeats a stroke about the picture's
    // centre line, or about the centre of the selection taken while it is on.
    void ellipseAndMirrorDrawing()
    {
        Editor e;
        e.frame->activateWindow();
        QTest::keyClick(e.canvas(), Qt::Key_E);
        QCOMPARE(e.main().CurrentToolId(), QStringLiteral("ellipse"));
        e.drag({2, 2}, {9, 6});
        QCOMPARE(e.pic(2, 4) + e.pic(9, 4) + e.pic(5, 2) + e.pic(6, 6) + e.pic(2, 2), 4);
        e.press(20, 10);
        QMouseEvent move(QEvent::MouseMove, Editor::centre(30, 14), e.canvas()->mapToGlobal(Editor::centre(30, 14)),
                         Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(e.canvas(), &move);
        e.release(30, 14);
        QCOMPARE(e.pic(24, 12) + e.pic(22, 10) + e.pic(25, 12), 2);
        // Its own setting, shown only while it is in use, draws circles.
        auto* circles = e.main().findChild<QToolButton*>(QStringLiteral("EllipseCircles"));
        QToolBar* bar = e.main().Tools().SettingBar();
        auto shown = [bar, circles] {
            for (QAction* a : bar->actions())
                if (bar->widgetForAction(a) == circles)
                    return a->isVisible();
            return false;
        };
        QVERIFY(circles && shown());
        circles->click();
        e.drag({12, 20}, {22, 24});
        QCOMPARE(e.pic(16, 20) + e.pic(17, 20), 0);  // a 5 x 5 circle, not a 11 x 5 ellipse
        QCOMPARE(e.pic(14, 20), 1);
        circles->click();
        // Esc during the drag drops the shape, tentative squares and all.
        e.press(30, 20);
        e.dragTo(35, 25);
        QTest::keyClick(e.canvas(), Qt::Key_Escape);
        e.release(35, 25);
        QCOMPARE(e.pic(30, 22) + e.pic(30, 23), 0);
        QCOMPARE(e.square(30, 22), DrawArea::kClearColour);

        e.main().Tools().SetMirror(Mirror::Vertical);
        e.chooseTool(QStringLiteral("Pen"));
        QVERIFY(!shown());
        e.click(1, 20);
        QCOMPARE(e.pic(38, 20), 1);
        e.chooseTool(QStringLiteral("Selection"));
        e.drag({0, 25}, {9, 28});
        e.chooseTool(QStringLiteral("Pen"));
        e.click(1, 26);
        QCOMPARE(e.pic(8, 26) + e.pic(38, 26), 1);
    }
};

QTEST_MAIN(ToolsTest)
#include "test_tools.moc"
