#include <QtTest>
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include "app/places.h"
#include "core/importpipeline.h"
#include "drawing/drawarea.h"
#include "files/filecommands.h"
#include "test_drawing_support.h"
#include "drawing/drawingwindow.h"
#include "drawing/toolsettings.h"
#include "fakedialogs.h"
#include "frame/about.h"
#include "frame/framewindow.h"
#include "import/importdialog.h"
#include "preview/devicepreview.h"
#include "preview/textpreview.h"

using namespace tobrin;
using tobrin::testing::StartFrame;

namespace {

// Controls a user works with; the pictures are named by their object names
// because they are plain widgets that paint themselves.
bool Interactive(QWidget* w)
{
    static const QStringList pictures = {"DrawArea", "Display", "Disp", "Dest"};
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSlider*>(w)
        || qobject_cast<QComboBox*>(w) || qobject_cast<QPlainTextEdit*>(w) || pictures.contains(w->objectName());
}

// What a screen reader reads for the widget: its accessible interface's name.
QStringList Unnamed(QWidget* root)
{
    QStringList missing;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (!Interactive(w))
            continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        if (!iface || iface->text(QAccessible::Name).trimmed().isEmpty())
            missing << QStringLiteral("%1 (%2)").arg(w->objectName(), QLatin1String(w->metaObject()->className()));
    }
    return missing;
}

void ExpectAllNamed(QWidget* root)
{
    const QStringList missing = Unnamed(root);
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("without a name: ") + missing.join(QStringLiteral(", "))));
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(bytes);
    return f.fileName();
}

// A file dragged from a file manager and dropped on target; true when the
// drag was accepted on entering.
bool Drop(QWidget* target, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

const QByteArray kHexPicture = ".db  8, 4\r\n.db $FF\r\n.db $81\r\n.db $81\r\n.db $FF\r\n\r\n";

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlHasAnAccessibleName()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame);
        frame.TextViewWindow();
        frame.TavDisplayWindow();
        ExpectAllNamed(&frame);

        ImportDialog import(session, [] {}, &frame.DrawingWindow());
        import.show();
        ExpectAllNamed(&import);
        import.close();

        frame.ShowAbout();
        QVERIFY(frame.AboutWindow());
        ExpectAllNamed(frame.AboutWindow());

        // The names the controls are known by, with their tooltips as descriptions.
        const ToolSettings& tools = frame.DrawingWindow().Tools();
        QCOMPARE(tools.LineWidth()->accessibleName(), QStringLiteral("Line width"));
        QCOMPARE(tools.LineWidth()->accessibleDescription(), QStringLiteral("Line width"));
        QCOMPARE(tools.PatternSize()->accessibleName(), QStringLiteral("Pattern density"));
        QCOMPARE(tools.FillStyleButton()->accessibleName(), QStringLiteral("Fill style"));
        QCOMPARE(frame.DrawingWindow().findChild<DrawArea*>()->accessibleName(), QStringLiteral("Drawing canvas"));
        QCOMPARE(frame.TavDisplayWindow().findChild<QWidget*>("Display")->accessibleName(), QStringLiteral("Tav display"));
        QCOMPARE(frame.TextViewWindow().findChild<QPlainTextEdit*>()->accessibleName(), QStringLiteral("Hex text"));
        QCOMPARE(frame.findChild<QLineEdit*>("HSize")->accessibleName(), QStringLiteral("Picture width"));
        QCOMPARE(frame.findChild<QLineEdit*>("VSize")->accessibleName(), QStringLiteral("Picture height"));
    }

    void titleShowsTheFileAndItsModifiedMarker()
    {
        testing::Editor e;
        QTemporaryDir dir;
        DrawingWindow& main = e.main();
        QMdiSubWindow* sub = e.frame->DrawingSubWindow();
        QCOMPARE(main.windowTitle(), QStringLiteral("Drawing area"));
        e.setPic(1, 1, 1);
        QVERIFY(main.isWindowModified());  // no file, but changed
        QCOMPARE(e.frame->windowTitle(), QStringLiteral("Untitled[*] \u2014 Tobrin"));

        QVERIFY(main.Files().WriteHexFile(dir.filePath("logo.txt")));
        QCOMPARE(main.windowTitle(), QStringLiteral("Drawing area \u2014 logo.txt[*]"));
        QVERIFY(!main.isWindowModified());
        QCOMPARE(sub->windowTitle(), main.windowTitle());
        e.session.document.SetSaved(false);
        QVERIFY(main.isWindowModified());
        QVERIFY(sub->isWindowModified());
        QCOMPARE(e.frame->windowTitle(), QStringLiteral("logo.txt[*] \u2014 Tobrin"));
        QVERIFY(e.frame->isWindowModified());

        e.menuAction("NewMenu")->trigger();  // answered Yes
        QCOMPARE(main.windowTitle(), QStringLiteral("Drawing area"));
        QVERIFY(!main.isWindowModified());
        QCOMPARE(e.frame->windowTitle(), QStringLiteral("Tobrin"));
    }

    void keysChooseToolsAndStepTheLineWidth()
    {
        testing::Editor e;
        e.frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e.frame.get()));
        e.canvas()->setFocus();
        const struct { Qt::Key key; QString tool; } keys[] = {{Qt::Key_S, QStringLiteral("selection")}, {Qt::Key_L, QStringLiteral("line")},
            {Qt::Key_B, QStringLiteral("box")}, {Qt::Key_C, QStringLiteral("circle")}, {Qt::Key_F, QStringLiteral("fill")}, {Qt::Key_P, QStringLiteral("pen")}};
        for (const auto& k : keys) {
            QTest::keyClick(e.canvas(), k.key);
            QCOMPARE(e.main().CurrentToolId(), k.tool);
            QVERIFY(e.main().Tools().ToolAction(k.tool)->isChecked());
        }

        QLineEdit* width = e.main().Tools().LineWidth();
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(e.canvas(), Qt::Key_BracketRight);
        QCOMPARE(width->text(), QStringLiteral("10"));
        QCOMPARE(e.state().PenWidth, 10);
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(e.canvas(), Qt::Key_BracketLeft);
        QCOMPARE(width->text(), QStringLiteral("1"));
        QCOMPARE(e.state().PenWidth, 1);

        // Typed into a text field the keys are text.
        width->setFocus();
        width->selectAll();
        QTest::keyClicks(width, "L]");
        QCOMPARE(width->text(), QStringLiteral("L]"));
        QCOMPARE(e.main().CurrentToolId(), QStringLiteral("pen"));
        QCOMPARE(e.state().PenWidth, 1);
    }

    void recentFilesListTheLastEight()
    {
        places::ClearRecentFiles();
        testing::Editor e;
        QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < 10; ++i) {
            paths.prepend(WriteFile(dir, QStringLiteral("p%1.txt").arg(i), kHexPicture));
            QVERIFY(e.main().Files().ReadHexFile(paths.first()));
        }
        QVERIFY(e.main().Files().WriteHexFile(paths.last()));  // saved again: first once more
        QCOMPARE(places::RecentFiles(), QStringList{paths.last()} + paths.mid(0, 7));
        QCOMPARE(places::LastFolder(), dir.path());
        // The file dialogs start there.
        QCOMPARE(places::DialogStartPath(QString()), dir.path());
        QCOMPARE(places::DialogStartPath(QStringLiteral("pic.txt")), dir.filePath("pic.txt"));
        QCOMPARE(places::DialogStartPath(QStringLiteral("/elsewhere/pic.txt")), QStringLiteral("/elsewhere/pic.txt"));

        QMenu* menu = e.frame->RecentFilesMenu();
        QVERIFY(e.menuAction("RecentFiles"));
        emit menu->aboutToShow();
        QAction* second = menu->findChild<QAction*>("RecentFile2");
        QVERIFY(second);
        QCOMPARE(second->data().toString(), paths[0]);

        // Chosen with unsaved work: asked first, and "No" keeps the picture.
        e.setPic(3, 3, 1);
        e.session.document.SetSaved(false);
        e.dialogs.answers = {false};
        second->trigger();
        QCOMPARE(e.pic(3, 3), 1);
        e.dialogs.answers = {true};
        second->trigger();
        QCOMPARE(e.session.document.FileName(), paths[0]);

        // A file that is gone is removed, with a message.
        QVERIFY(QFile::remove(paths[1]));
        e.frame->OpenRecentFile(paths[1]);
        QCOMPARE(e.dialogs.shown.last().kind, QStringLiteral("message"));
        QVERIFY(e.dialogs.shown.last().text.contains(QDir::toNativeSeparators(paths[1])));
        QVERIFY(!places::RecentFiles().contains(paths[1]));
        QCOMPARE(e.session.document.FileName(), paths[0]);

        emit menu->aboutToShow();
        menu->findChild<QAction*>("ClearRecentFiles")->trigger();
        QVERIFY(places::RecentFiles().isEmpty());
        QVERIFY(!menu->findChild<QAction*>("ClearRecentFiles")->isEnabled());
    }

    void arrangementComesBackAtTheNextStart()
    {
        QSettings().clear();
        FakeDialogs dialogs;
        QRect frameGeometry, textGeometry, tavGeometry;
        {
            Session session(dialogs);
            FrameWindow first(session);
            FrameWindow plain(session);
            first.RememberArrangement();  // nothing stored: today's layout
            QCOMPARE(first.geometry(), plain.geometry());
            QCOMPARE(first.TextViewSubWindow()->geometry(), plain.TextViewSubWindow()->geometry());
            first.show();
            first.setGeometry(first.geometry().adjusted(10, 20, 40, 30));
            first.TextViewSubWindow()->setGeometry(5, 6, 200, 150);
            first.TavSubWindow()->move(30, 40);
            first.DrawingWindow().ZoomTo(20);
            frameGeometry = first.geometry();
            textGeometry = first.TextViewSubWindow()->geometry();
            tavGeometry = first.TavSubWindow()->geometry();
            QVERIFY(first.close());
            QVERIFY(QSettings().contains(QStringLiteral("frame/geometry")));
        }
        Session session(dialogs);
        FrameWindow next(session);
        next.RememberArrangement();
        next.show();
        QCOMPARE(next.geometry().size(), frameGeometry.size());
        QCOMPARE(next.TextViewSubWindow()->geometry(), textGeometry);
        QCOMPARE(next.TavSubWindow()->geometry(), tavGeometry);
        QCOMPARE(next.DrawingWindow().ZoomLevel(), 20);
        // A damaged value is clamped to the levels there are.
        QSettings().setValue(QStringLiteral("drawing/zoom"), 1000);
        FrameWindow third(session);
        third.RememberArrangement();
        QCOMPARE(third.DrawingWindow().ZoomLevel(), 40);
    }

    void droppedFilesOpenAsTheMenusWould()
    {
        testing::Editor e;
        QTemporaryDir dir;
        const QString hex = WriteFile(dir, "dropped.txt", kHexPicture);
        const QString bad = WriteFile(dir, "bad.txt", "no picture here");

        e.setPic(0, 0, 1);
        e.session.document.SetSaved(false);
        e.dialogs.answers = {false};
        QVERIFY(Drop(e.frame.get(), hex));
        QTRY_COMPARE(e.dialogs.count("question"), 1);
        QCOMPARE(e.pic(0, 0), 1);

        QVERIFY(Drop(e.frame.get(), hex));  // answered Yes
        QTRY_COMPARE(e.session.document.FileName(), hex);
        QCOMPARE(e.session.document.Data().Width(), 8);

        QVERIFY(Drop(e.frame.get(), bad));
        QTRY_COMPARE(e.dialogs.shown.last().text, QStringLiteral("File Import Error"));
        QCOMPARE(e.session.document.FileName(), hex);

        // A black-and-white PNG of a picture's size is a picture: it opens.
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(Qt::white);
        picture.setPixel(3, 2, qRgb(0, 0, 0));
        const QString bw = dir.filePath("picture.png");
        QVERIFY(picture.save(bw));
        QVERIFY(Drop(e.frame.get(), bw));
        QTRY_COMPARE(e.session.document.FileName(), bw);
        QCOMPARE(e.session.document.Data().Width(), 30);
        QCOMPARE(e.pic(3, 2), 1);

        // Any other image opens the import dialog with it loaded.
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(Qt::darkGray);
        const QString png = dir.filePath("image.png");
        QVERIFY(image.save(png));
        bool seen = false;
        QVERIFY(Drop(e.frame.get(), png));
        QTimer::singleShot(0, [&] {  // runs in the dialog's own loop
            auto* dialog = qobject_cast<ImportDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = dialog->Pipeline().HasSource() && dialog->Pipeline().Source().size() == image.size();
            dialog->reject();
        });
        QTRY_VERIFY(seen);

        // An image dropped on the open dialog loads it.
        ImportDialog dialog(e.session, [] {}, &e.main());
        QVERIFY(Drop(&dialog, png));
        QVERIFY(dialog.Pipeline().HasSource());
        QCOMPARE(dialog.Pipeline().Source().size(), image.size());
    }
};

QTEST_MAIN(DesktopTest)
#include "test_desktop.moc"
