#include <QtTest>
#include <QApplication>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "core/units.h"
#include "drawing/drawingwindow.h"
#include "fakedialogs.h"
#include "frame/framewindow.h"
#include "preview/devicepreview.h"
#include "preview/textpreview.h"
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::StartFrame;

namespace {

void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Fills the picture with a pattern that differs from column to column.
void Stripes(PictureDocument& d)
{
    const PictureDocument::Batch batch(d);
    for (int y = 0; y < kPicRows; ++y)
        for (int x = 0; x < kPicColumns; ++x)
            d.SetPixel(x, y, (x + y) % 3 == 0);
}

bool Near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

}  // namespace

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void textViewIsAReadOnlyFixedWidthBoxFillingTheWindow()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        TextPreview& view = frame.TextViewWindow();
        QPlainTextEdit* text1 = view.Text1();
        QCOMPARE(text1->objectName(), QStringLiteral("Text1"));
        QCOMPARE(frame.TextViewSubWindow()->windowTitle(), QStringLiteral("Text view"));
        QVERIFY(text1->isReadOnly());
        QCOMPARE(text1->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        const QFontMetrics metrics(text1->font());
        QCOMPARE(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('W')));

        for (const QSize size : {QSize(150, 90), QSize(420, 500)}) {
            frame.TextViewSubWindow()->resize(size);
            QCOMPARE(text1->geometry(), view.rect());
        }

        // The widest picture needs the horizontal scroll bar.
        frame.DrawingWindow().Document().ChangeSize(239, 119);
        QVERIFY(text1->horizontalScrollBar()->maximum() > 0);
        QVERIFY(text1->verticalScrollBar()->maximum() > 0);

        // Typing into it changes nothing.
        const QString before = view.Text();
        text1->setFocus();
        QTest::keyClicks(text1, QStringLiteral("abc"));
        QTest::keyClick(text1, Qt::Key_Delete);
        QTest::keyClick(text1, Qt::Key_Backspace);
        QCOMPARE(view.Text(), before);
        QCOMPARE(session.document.HexText().count(QStringLiteral("\r\n")), 121);
    }

    void displayShowsPixelsInTheDeviceColours()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DevicePreview& tav = frame.TavDisplayWindow();
        QWidget* display = tav.DisplayWidget();
        QCOMPARE(display->objectName(), QStringLiteral("Display"));
        QCOMPARE(display->geometry(), QRect(units::ToPixels(1125), units::ToPixels(418), 240, 120));

        session.document.SetPixel(0, 0, 1);
        QCOMPARE(tav.Display().pixel(0, 0), DevicePreview::kSetColour);
        QCOMPARE(tav.Display().pixel(1, 0), DevicePreview::kClearColour);
        // And on screen, also after the window was covered and uncovered.
        QMdiSubWindow* text = frame.TextViewSubWindow();
        const QPoint textHome = text->pos();
        text->move(frame.TavSubWindow()->pos());
        text->raise();
        QApplication::processEvents();
        text->move(textHome);
        QApplication::processEvents();
        const QImage shown = display->grab().toImage();
        QCOMPARE(shown.pixel(0, 0), DevicePreview::kSetColour);
        QCOMPARE(shown.pixel(1, 0), DevicePreview::kClearColour);
        QCOMPARE(shown.pixel(239, 119), DevicePreview::kClearColour);
    }

    void narrowingClearsTheColumnsRightOfTheNewWidth()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DrawingWindow& main = frame.DrawingWindow();
        Stripes(session.document);
        main.Document().ChangeSize(99, 49);
        const QImage wide = frame.TavDisplayWindow().Display();
        QCOMPARE(wide.pixel(98, 1), DevicePreview::kSetColour);  // (98 + 1) % 3 == 0

        main.Document().ChangeSize(59, 29);
        const QImage narrow = frame.TavDisplayWindow().Display();
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 240; ++x) {
                const bool inside = x <= 59 && y <= 29;
                const QRgb expected = inside && (x + y) % 3 == 0 ? DevicePreview::kSetColour : DevicePreview::kClearColour;
                if (narrow.pixel(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("display pixel %1,%2").arg(x).arg(y)));
            }
    }

    void deviceArtworkLiesUnderTheDisplay()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DevicePreview& tav = frame.TavDisplayWindow();
        const QImage art = tav.DeviceArt().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(art.size(), QSize(290, 182));
        const QImage shown = tav.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRectF display = tav.DisplayWidget()->geometry();
        const double sx = display.width() / 173.0, sy = display.height() / 104.0;

        // Art pixels in evenly coloured areas land where the map puts them.
        int checked = 0;
        for (int ay = 3; ay < art.height() - 3; ay += 7)
            for (int ax = 3; ax < art.width() - 3; ax += 7) {
                if (QRect(57, 25, 173, 104).adjusted(-3, -3, 3, 3).contains(ax, ay))
                    continue;  // under the display control
                bool even = true;
                for (int j = -3; j <= 3 && even; ++j)
                    for (int i = -3; i <= 3 && even; ++i)
                        even = art.pixel(ax + i, ay + j) == art.pixel(ax, ay) && qAlpha(art.pixel(ax, ay)) == 255;
                if (!even)
                    continue;
                const QPoint at(int(display.x() + (ax + 0.5 - 57) * sx), int(display.y() + (ay + 0.5 - 25) * sy));
                if (!shown.rect().contains(at))
                    continue;
                QVERIFY2(Near(shown.pixel(at), art.pixel(ax, ay), 8),
                         qPrintable(QStringLiteral("art %1,%2").arg(ax).arg(ay)));
                ++checked;
            }
        QVERIFY(checked > 50);
    }

    void windowHasAFixedBorderWithoutMaximise()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        QMdiSubWindow* sub = frame.TavSubWindow();
        QCOMPARE(sub->windowTitle(), QStringLiteral("Tav Preview"));
        QVERIFY(!(sub->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(sub->minimumSize(), sub->maximumSize());
        sub->resize(600, 400);
        QCOMPARE(sub->size(), QSize(units::ToPixels(5865), units::ToPixels(3435)));
        sub->showMinimized();
        sub->showNormal();
        QCOMPARE(sub->size(), QSize(units::ToPixels(5865), units::ToPixels(3435)));
    }

    void clickOnTheDisplayScrollsTheCanvas_data()
    {
        QTest::addColumn<QPoint>("click");
        QTest::addColumn<bool>("toEnd");
        QTest::newRow("lower right") << QPoint(239, 119) << true;
        QTest::newRow("upper left") << QPoint(1, 1) << false;
    }
    void clickOnTheDisplayScrollsTheCanvas()
    {
        QFETCH(QPoint, click);
        QFETCH(bool, toEnd);
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DrawingWindow& main = frame.DrawingWindow();
        main.Document().ChangeSize(239, 119);
        QScrollBar* h = main.HSizeScroll();
        QScrollBar* v = main.VSizeScroll();
        QVERIFY(h->maximum() > 0 && v->maximum() > 0);
        h->setValue(h->maximum() / 2);
        v->setValue(v->maximum() / 2);

        QSignalSpy clicked(&frame.TavDisplayWindow(), &DevicePreview::DisplayClicked);
        QTest::mouseClick(frame.TavDisplayWindow().DisplayWidget(), Qt::LeftButton, {}, click);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.first().at(0).toInt(), click.x());
        QCOMPARE(clicked.first().at(1).toInt(), click.y());
        QCOMPARE(h->value(), toEnd ? h->maximum() : 0);
        QCOMPARE(v->value(), toEnd ? v->maximum() : 0);
        QCOMPARE(main.State().view.ViewLeft, h->value());

        // A press on the device picture outside the display does nothing.
        QTest::mouseClick(&frame.TavDisplayWindow(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(clicked.count(), 1);
    }

    void closedPreviewComesBackHiddenWithItsOwnBuffer()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DrawingWindow& main = frame.DrawingWindow();
        frame.TavSubWindow()->close();
        Flush();
        QVERIFY(!frame.FrameAction("TavVisible")->isChecked());

        // The tools' scratch surface is not touched by the preview's load.
        main.LoadHolder();
        const QImage scratch = main.Holder().Image();
        session.document.SetPixel(7, 3, 1);
        QVERIFY(frame.TavDisplayIfLoaded());
        QVERIFY(frame.TavSubWindow()->isHidden());
        QVERIFY(main.Holder().Image() == scratch);
        QCOMPARE(frame.TavDisplayWindow().Display().pixel(7, 3), DevicePreview::kSetColour);
        // Its load sets the check mark; opening the menu corrects it.
        QVERIFY(frame.FrameAction("TavVisible")->isChecked());
        emit frame.Menus().at(6)->aboutToShow();
        QVERIFY(!frame.FrameAction("TavVisible")->isChecked());
        // Bottom-left corner, as at start-up.
        QCOMPARE(frame.TavSubWindow()->pos(),
                 QPoint(0, frame.Workspace()->viewport()->height() - frame.TavSubWindow()->height()));
    }
};

QTEST_MAIN(PreviewTest)
#include "test_preview.moc"
