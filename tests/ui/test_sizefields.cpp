#include <QtTest>
#include <QApplication>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QToolBar>
#include <cmath>

#include "drawing/drawingwindow.h"
#include "fakedialogs.h"
#include "frame/framewindow.h"
#include "frame/sizefields.h"
#include "preview/devicepreview.h"
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::StartFrame;

namespace {

// ChangeSize clears the whole device display before it redraws the
// picture, so a dot put outside the picture tells whether it ran.
void MarkDisplay(FrameWindow& frame) { frame.TavDisplayWindow().PlotPixel(239, 119, DevicePreview::kSetColour); }
bool ChangeSizeRan(FrameWindow& frame)
{
    return frame.TavDisplayWindow().Display().pixel(239, 119) != DevicePreview::kSetColour;
}

void Type(QLineEdit* field, const QString& text)
{
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    field->selectAll();
    QTest::keyClicks(field, text);
}

bool DrawingWindowHasFocus(FrameWindow& frame)
{
    QWidget* focus = QApplication::focusWidget();
    DrawingWindow& main = frame.DrawingWindow();
    return focus == &main || main.isAncestorOf(focus);
}

}  // namespace

class SizeFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void fieldsAtStart()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        SizeFields* f = frame.Sizes();
        QCOMPARE(f->HSize()->objectName(), QStringLiteral("HSize"));
        QCOMPARE(f->HSize()->text(), QStringLiteral("40"));
        QCOMPARE(f->HSize()->toolTip(), QStringLiteral("Width"));
        QCOMPARE(f->VSize()->text(), QStringLiteral("32"));
        QCOMPARE(f->VSize()->toolTip(), QStringLiteral("Height"));
        QCOMPARE(f->HScroll()->objectName(), QStringLiteral("HScroll"));
        QCOMPARE(f->VScroll()->objectName(), QStringLiteral("VScroll"));
        QCOMPARE(f->HScroll()->orientation(), Qt::Vertical);
        QCOMPARE(f->HScroll()->minimum(), 4);
        QCOMPARE(f->HScroll()->maximum(), 240);
        QCOMPARE(f->HScroll()->value(), 40);
        QCOMPARE(f->VScroll()->minimum(), 4);
        QCOMPARE(f->VScroll()->maximum(), 120);
        QCOMPARE(f->VScroll()->value(), 32);
        // On the toolbar, right of the buttons.
        QVERIFY(frame.Toolbar()->isAncestorOf(f));
    }

    void typedWidth_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("applied");
        QTest::newRow("100") << "100" << 100 << true;
        QTest::newRow("7 is refused") << "7" << 40 << false;
        QTest::newRow("4 is refused") << "4" << 40 << false;
        QTest::newRow("letters only") << "abc" << 40 << false;
        QTest::newRow("empty") << "" << 40 << false;
        QTest::newRow("50.7 truncates") << "50.7" << 50 << true;
        QTest::newRow("leading blanks, trailing junk") << "  60px" << 60 << true;
        QTest::newRow("8") << "8" << 8 << true;
        QTest::newRow("240") << "240" << 240 << true;
        QTest::newRow("240.9") << "240.9" << 240 << true;
        QTest::newRow("241") << "241" << 40 << false;
        QTest::newRow("negative") << "-50" << 40 << false;
        QTest::newRow("exponent") << "1e2" << 100 << true;
        QTest::newRow("huge") << "1e999" << 40 << false;
        QTest::newRow("same width") << "40" << 40 << false;
    }
    void typedWidth()
    {
        QFETCH(QString, typed);
        QFETCH(int, width);
        QFETCH(bool, applied);
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        SizeFields* f = frame.Sizes();
        MarkDisplay(frame);

        Type(f->HSize(), typed);
        QCOMPARE(session.document.MaxX(), 39);  // nothing happens while typing
        QTest::keyClick(f->HSize(), Qt::Key_Return);

        QVERIFY(DrawingWindowHasFocus(frame));
        QCOMPARE(session.document.MaxX() + 1, width);
        QCOMPARE(session.document.MaxY() + 1, 32);
        QCOMPARE(f->HSize()->text(), QString::number(width));
        QCOMPARE(f->HScroll()->value(), width);
        QCOMPARE(ChangeSizeRan(frame), applied);
    }

    void typedHeight_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("applied");
        QTest::newRow("50.7 rounds") << "50.7" << 51 << true;
        QTest::newRow("50.5 to even") << "50.5" << 50 << true;
        QTest::newRow("51.5 to even") << "51.5" << 52 << true;
        QTest::newRow("3.6 is below 4") << "3.6" << 32 << false;
        QTest::newRow("4.4") << "4.4" << 4 << true;
        QTest::newRow("4") << "4" << 4 << true;
        QTest::newRow("119.5 to even") << "119.5" << 120 << true;
        QTest::newRow("120.4 is above 120") << "120.4" << 32 << false;
        QTest::newRow("120.6 is above 120") << "120.6" << 32 << false;
        QTest::newRow("letters") << "high" << 32 << false;
        QTest::newRow("same height") << "32" << 32 << false;
        QTest::newRow("31.5 rounds to the current 32") << "31.5" << 32 << false;
    }
    void typedHeight()
    {
        QFETCH(QString, typed);
        QFETCH(int, height);
        QFETCH(bool, applied);
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        SizeFields* f = frame.Sizes();
        MarkDisplay(frame);

        Type(f->VSize(), typed);
        QCOMPARE(session.document.MaxY(), 31);
        QTest::keyClick(f->VSize(), Qt::Key_Enter);

        QVERIFY(DrawingWindowHasFocus(frame));
        QCOMPARE(session.document.MaxY() + 1, height);
        QCOMPARE(session.document.MaxX() + 1, 40);
        QCOMPARE(f->VSize()->text(), QString::number(height));
        QCOMPARE(f->VScroll()->value(), height);
        QCOMPARE(ChangeSizeRan(frame), applied);
    }

    void leavingTheFieldAppliesIt()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        SizeFields* f = frame.Sizes();
        Type(f->HSize(), QStringLiteral("72"));
        f->VSize()->setFocus();
        QTRY_COMPARE(session.document.MaxX(), 71);
        // With the drawing window hidden, Enter still applies the value.
        frame.ToggleDrawingArea();
        Type(f->VSize(), QStringLiteral("90"));
        QTest::keyClick(f->VSize(), Qt::Key_Return);
        QCOMPARE(session.document.MaxY(), 89);
    }

    void spinBarsStepOneAtATime()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        SizeFields* f = frame.Sizes();
        QScrollBar* h = f->HScroll();

        // The upper arrow lowers the value, the lower arrow raises it.
        QTest::mouseClick(h, Qt::LeftButton, {}, QPoint(h->width() / 2, 1));
        QCOMPARE(h->value(), 39);
        QCOMPARE(session.document.MaxX(), 38);
        QTest::mouseClick(h, Qt::LeftButton, {}, QPoint(h->width() / 2, h->height() - 2));
        QCOMPARE(h->value(), 40);
        QCOMPARE(f->HSize()->text(), QStringLiteral("40"));

        // Stepping reaches widths that typing refuses.
        h->setValue(8);
        for (int i = 0; i < 6; ++i)
            h->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(h->value(), 4);
        QCOMPARE(session.document.MaxX(), 3);
        QCOMPARE(f->HSize()->text(), QStringLiteral("4"));

        QScrollBar* v = f->VScroll();
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(session.document.MaxY(), 32);
        QCOMPARE(f->VSize()->text(), QStringLiteral("33"));
        v->setValue(200);
        QCOMPARE(v->value(), 120);
        QCOMPARE(session.document.MaxY(), 119);
    }

    // A size change is a change: Exit must ask before it is lost. Undo back
    // to the saved size makes the picture saved again.
    void spinChangeRepaintsTheCanvasAndMarksThePictureUnsaved()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        SizeFields* f = frame.Sizes();

        // A pixel beyond the old width shows on the canvas once widened.
        session.document.SetPixel(60, 2, 1);
        session.document.SetSaved(true);
        f->HScroll()->setValue(90);
        QCOMPARE(int(session.document.Saved()), 0);
        QVERIFY(frame.SaveEnabled());
        QVERIFY(frame.windowTitle().startsWith(QStringLiteral("Untitled[*]")));
        QCOMPARE(frame.TavDisplayWindow().Display().pixel(60, 2), DevicePreview::kSetColour);
        QVERIFY(session.document.HexText().startsWith(QStringLiteral(".db  90, 32\r\n")));
        session.document.Undo();
        QCOMPARE(int(session.document.Saved()), 1);
        QVERIFY(!frame.SaveEnabled());
        QCOMPARE(frame.windowTitle(), QStringLiteral("Tobrin"));
    }

    void showSizeSetsTextsThenSpinners()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        SizeFields* f = frame.Sizes();
        QStringList seen;
        connect(f->HScroll(), &QScrollBar::valueChanged, this,
                [&] { seen << QStringLiteral("h %1 %2").arg(f->HSize()->text(), f->VSize()->text()); });
        connect(f->VScroll(), &QScrollBar::valueChanged, this,
                [&] { seen << QStringLiteral("v %1 %2").arg(f->HSize()->text(), f->VSize()->text()); });
        frame.ShowSize(120, 60);
        QCOMPARE(seen, (QStringList{"h 120 60", "v 120 60"}));
        QCOMPARE(session.document.MaxX(), 119);
        QCOMPARE(session.document.MaxY(), 59);

        MarkDisplay(frame);
        frame.ShowSize(120, 60);
        QVERIFY(!ChangeSizeRan(frame));
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "12" << 12.0;
        QTest::newRow("blanks and tab") << " \t 12" << 12.0;
        QTest::newRow("stops at a letter") << "12abc" << 12.0;
        QTest::newRow("inner blank stops") << "1 2" << 1.0;
        QTest::newRow("fraction") << "2.75x" << 2.75;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("sign") << "-3" << -3.0;
        QTest::newRow("plus") << "+7" << 7.0;
        QTest::newRow("exponent") << "1e2" << 100.0;
        QTest::newRow("d exponent") << "1D1" << 10.0;
        QTest::newRow("bare e") << "5e" << 5.0;
        QTest::newRow("no number") << "e5" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("tiny") << "1e-999" << 0.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(SizeFields::LeadingNumber(text), value);
    }
    void leadingNumberOverflowIsInfinite()
    {
        QVERIFY(std::isinf(SizeFields::LeadingNumber(QStringLiteral("9e999"))));
    }
};

QTEST_MAIN(SizeFieldsTest)
#include "test_sizefields.moc"
