#include <QtTest>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <memory>
#include <QToolBar>

#include "core/units.h"
#include "drawing/drawingwindow.h"
#include "fakedialogs.h"
#include "frame/framewindow.h"
#include "preview/devicepreview.h"
#include "preview/textpreview.h"

using namespace tobrin;

namespace {

QSize Client(const FrameWindow& frame) { return frame.Workspace()->viewport()->size(); }

QStringList MenuTitles(const FrameWindow& frame)
{
    QStringList titles;
    for (QAction* a : frame.menuBar()->actions())
        titles << a->text();
    return titles;
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void beforeTimer1TheDrawingWindowIsLoadedButHidden()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);

        QCOMPARE(frame.windowTitle(), QStringLiteral("Tobrin"));
        QCOMPARE(FrameWindow::kSizeFactor, 1.25);
        QVERIFY(frame.DrawingWindowIfLoaded());
        QVERIFY(frame.DrawingSubWindow()->isHidden());
        QVERIFY(!frame.TextViewSubWindow()->isHidden());
        QVERIFY(!frame.TavSubWindow()->isHidden());

        QTimer* timer = frame.Timer1();
        QCOMPARE(timer->objectName(), QStringLiteral("Timer1"));
        QCOMPARE(timer->interval(), 10);
        QVERIFY(timer->isSingleShot());
        QVERIFY(timer->isActive());
        // The drawing window's start-up already filled the text view.
        QVERIFY(frame.TextViewWindow().Text().startsWith(QStringLiteral(".db  40, 32\n")));
    }

    void layoutAfterStart()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        frame.show();
        QTRY_VERIFY(frame.DrawingSubWindow()->isVisible());
        QVERIFY(!frame.Timer1()->isActive());

        const QSize client = Client(frame);
        QCOMPARE(client, QSize(units::ToPixels(8625), units::ToPixels(8610)));

        // Drawing window: top-left corner, normal state, active.
        QMdiSubWindow* draw = frame.DrawingSubWindow();
        QCOMPARE(draw->geometry(), QRect(0, 0, units::ToPixels(5865), units::ToPixels(1.25 * 3540)));
        QVERIFY(!draw->isMaximized() && !draw->isMinimized());
        QCOMPARE(frame.Workspace()->activeSubWindow(), draw);

        // Text view: along the whole right edge.
        const QRect text = frame.TextViewSubWindow()->geometry();
        QCOMPARE(text.width(), units::ToPixels(2688));
        QCOMPARE(text.top(), 0);
        QCOMPARE(text.right() + 1, client.width());
        QCOMPARE(text.height(), client.height());
        QVERIFY(frame.TextViewSubWindow()->isVisible());

        // Device preview: bottom-left corner, its fixed outer size.
        const QRect tav = frame.TavSubWindow()->geometry();
        QCOMPARE(tav.size(), QSize(units::ToPixels(5865), units::ToPixels(3435)));
        QCOMPARE(tav.left(), 0);
        QCOMPARE(tav.bottom() + 1, client.height());
        QVERIFY(frame.TavSubWindow()->isVisible());

        QVERIFY(!frame.SaveEnabled());
        QCOMPARE(frame.Toolbar()->objectName(), QStringLiteral("Toolbar"));
        QCOMPARE(int(session.document.Saved()), 1);
    }

    void frameIsCentredAndCarriesTheProgramIcon()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        frame.show();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        // Within the window decorations, which are not known before the
        // frame is first shown.
        QVERIFY(qAbs(frame.geometry().center().x() - screen.center().x()) <= 3);
        QVERIFY(qAbs(frame.geometry().center().y() - screen.center().y()) <= 3);
        QVERIFY(!frame.windowIcon().isNull());
        QVERIFY(!QApplication::windowIcon().isNull());
        // The large sizes follow the first picture, for the window and for
        // the dialogs that take the program's icon.
        QTRY_VERIFY(frame.DrawingSubWindow()->isVisible());
        for (const QIcon& icon : {frame.windowIcon(), QApplication::windowIcon()})
            QVERIFY(icon.availableSizes().contains(QSize(16, 16)) && icon.availableSizes().contains(QSize(256, 256)));
        QVERIFY(frame.Workspace()->background().color() == frame.palette().color(QPalette::Dark));
    }

    void startedProgramShowsTheEmptyPictureEverywhere()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        frame.show();
        QTRY_VERIFY(frame.DrawingSubWindow()->isVisible());

        QCOMPARE(MenuTitles(frame),
                 (QStringList{"&File", "&Edit", "&View", "&Picture", "F&rames", "&Tools", "&Window", "&Help"}));

        const QStringList lines = frame.TextViewWindow().Text().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral(".db  40, 32"));
        for (int y = 1; y <= 32; ++y)
            QCOMPARE(lines.value(y), QStringLiteral(".db $0,$0,$0,$0,$0"));

        const QImage display = frame.TavDisplayWindow().Display();
        QCOMPARE(display.size(), QSize(240, 120));
        QCOMPARE(display.pixel(0, 0), DevicePreview::kClearColour);
        QCOMPARE(display.pixel(239, 119), DevicePreview::kClearColour);
        QVERIFY(dialogs.shown.isEmpty());
    }

    // The frame is built without asking the clipboard; the drawing window's
    // first activation sets "Paste" before anything can be clicked.
    void pasteFollowsTheClipboardFromTheDrawingWindowsFirstActivation()
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::black);
        for (const bool withImage : {true, false}) {
            if (withImage)
                QApplication::clipboard()->setImage(image);
            else
                QApplication::clipboard()->setText(QStringLiteral("only text"));
            FakeDialogs dialogs;
            Session session(dialogs);
            FrameWindow frame(session);
            frame.show();
            QTRY_VERIFY(frame.DrawingSubWindow()->isVisible());
            QCOMPARE(frame.PasteEnabled(), withImage);
        }
    }

    // The frame reads some of the style's own icons itself; they must be
    // the style's pictures at the style's sizes.
    void styleIconsAreTheStylesOwn()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        QStyle* style = QApplication::style();
        const auto* proxy = qobject_cast<QProxyStyle*>(style);
        const std::unique_ptr<QStyle> plain(QStyleFactory::create((proxy ? proxy->baseStyle() : style)->name()));
        QVERIFY(plain);
        for (const auto which : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
                                 QStyle::SP_TitleBarMaxButton, QStyle::SP_TitleBarMenuButton}) {
            const QIcon ours = style->standardIcon(which);
            const QIcon theirs = plain->standardIcon(which);
            QCOMPARE(ours.availableSizes(), theirs.availableSizes());
            for (const QSize& size : theirs.availableSizes())
                QCOMPARE(ours.pixmap(size).toImage(), theirs.pixmap(size).toImage());
        }
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
