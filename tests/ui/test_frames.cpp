#include <QtTest>
#include <QMdiArea>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include "drawing/canvasview.h"
#include "drawing/drawarea.h"
#include "preview/devicepreview.h"
#include "preview/framestrip.h"
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::Editor;

class FramesTest : public QObject {
    Q_OBJECT
private slots:
    // A walk cycle made, viewed and saved as a user strings it together.
    void drawPlaySaveAndOpenASet();
    // Saving a set where only one picture fits would lose frames.
    void saveToASinglePictureFormatAsksForHexText();
};

void FramesTest::drawPlaySaveAndOpenASet()
{
    Editor e;
    PictureDocument& doc = e.session.document;
    FrameWindow& frame = *e.frame;
    const int workspace = frame.Workspace()->height();
    e.main().setFocus();
    doc.BackUp();
    e.setPic(2, 2, 1);
    QTest::keyClick(&e.main(), Qt::Key_N, Qt::AltModifier);
    QCOMPARE(doc.FrameCount(), 2);
    QCOMPARE(doc.CurrentFrame(), 1);
    // The strip comes up under the workspace without squeezing it.
    FrameStrip* strip = frame.Strip();
    QTRY_VERIFY(strip->isVisible());
    QCOMPARE(frame.Workspace()->height(), workspace);
    QAbstractItemModel* frames = strip->List()->model();
    QCOMPARE(frames->rowCount(), 2);
    QCOMPARE(frames->index(1, 0).data(Qt::AccessibleTextRole).toString(), QStringLiteral("Frame 1, 100 ms"));

    // The onion skin marks the frame before, on the canvas only.
    frame.FrameAction(QStringLiteral("OnionSkin"))->trigger();
    QCOMPARE(e.main().View().CellColour(2, 2), DrawArea::kOnionPreviousColour);
    QCOMPARE(e.pic(2, 2), 0);

    // Page keys and clicks in the strip choose the frame.
    QTest::keyClick(&e.main(), Qt::Key_PageUp);
    QCOMPARE(doc.CurrentFrame(), 0);
    QTest::mouseClick(strip->List()->viewport(), Qt::LeftButton, {},
                      strip->List()->visualRect(frames->index(1, 0)).center());
    QCOMPARE(doc.CurrentFrame(), 1);
    strip->Delay()->setValue(40);
    QCOMPARE(doc.FrameDelay(1), 40);
    strip->findChild<QPushButton*>(QStringLiteral("DelayToAll"))->click();
    QCOMPARE(doc.FrameDelay(0), 40);

    // Playback shows every frame in turn and leaves the document alone.
    const QString text = doc.HexText();
    DevicePreview& preview = frame.TavDisplayWindow();
    frame.FrameAction(QStringLiteral("PlayAnimation"))->trigger();
    QVERIFY(preview.Playing());
    QTRY_COMPARE_WITH_TIMEOUT(preview.Display().pixel(2, 2), DevicePreview::kSetColour, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(preview.Display().pixel(2, 2), DevicePreview::kClearColour, 2000);
    frame.FrameAction(QStringLiteral("PlayAnimation"))->trigger();
    QVERIFY(!preview.Playing());
    QCOMPARE(doc.CurrentFrame(), 1);
    QCOMPARE(doc.HexText(), text);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("walk.txt"));
    e.dialogs.fileNames = {path};
    frame.FrameAction(QStringLiteral("Saveas"))->trigger();
    QVERIFY(doc.Saved());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY(saved.startsWith("walk_0:\r\n; delay 40 ms\r\n.db  40, 32\r\n"));
    QVERIFY(saved.contains("\r\n\r\nwalk_1:\r\n; delay 40 ms\r\n"));

    frame.FrameAction(QStringLiteral("NewMenu"))->trigger();
    QCOMPARE(doc.FrameCount(), 1);
    e.dialogs.fileNames = {path};
    frame.FrameAction(QStringLiteral("Open"))->trigger();
    QCOMPARE(doc.FrameCount(), 2);
    QCOMPARE(doc.FrameDelay(1), 40);
    QCOMPARE(doc.FramePlane(0)[PictureData::Offset(2, 2)], 1);
    QCOMPARE(doc.HexText() + QStringLiteral("\r\n"), QString::fromLatin1(saved));

    // A set of another size loaded while its last frame plays tells of its
    // size before its frames: the preview shows the new first frame and
    // reads no frame that is gone.
    frame.FrameAction(QStringLiteral("PlayAnimation"))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(preview.Display().pixel(2, 2), DevicePreview::kClearColour, 2000);
    MonoPicture dot;
    dot.width = 8;
    dot.height = 4;
    dot.At(1, 1) = 1;
    doc.LoadSet(MonoSet::Of(dot), QString());
    QCOMPARE(preview.Display().pixel(1, 1), DevicePreview::kSetColour);
}

void FramesTest::saveToASinglePictureFormatAsksForHexText()
{
    Editor e;
    QTemporaryDir dir;
    const QString xbm = dir.filePath(QStringLiteral("icon.xbm"));
    e.session.document.SetFileName(xbm);
    e.session.document.AddFrame();
    e.dialogs.fileNames = {QString()};  // Save As cancelled
    e.frame->FrameAction(QStringLiteral("Save"))->trigger();
    QCOMPARE(e.dialogs.shown.first().text,
             QStringLiteral("X11 bitmap holds a single picture, and this one has 2 frames. Save them as hex text."));
    QCOMPARE(e.dialogs.shown.last().kind, QStringLiteral("save"));
    QVERIFY(!QFile::exists(xbm));
    QVERIFY(!e.session.document.Saved());
}

QTEST_MAIN(FramesTest)
#include "test_frames.moc"
