#include <QtTest>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <sys/resource.h>

#include "drawing/drawingwindow.h"
#include "fakedialogs.h"
#include "frame/framewindow.h"
#include "frame/sizefields.h"
#include "preview/devicepreview.h"
#include "test_drawing_support.h"

using namespace tobrin;
using tobrin::testing::StartFrame;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

QByteArray EmptyPictureFile()
{
    QByteArray expected = ".db  40, 32\r\n";
    for (int y = 0; y < 32; ++y)
        expected += ".db $0,$0,$0,$0,$0\r\n";
    return expected + "\r\n";
}

// A picture change as the canvas makes it: pixels and unsaved (the button
// and the text follow the document).
void Draw(FrameWindow&, Session& session, int x, int y)
{
    session.document.SetPixel(x, y, 1);
    session.document.SetSaved(false);
}

// What a failed operation must leave alone.
struct Snapshot {
    PictureData::Plane pic, undo;
    int maxX, maxY, saved;
    QString text, file, hSize, vSize;
    bool saveEnabled;
    QByteArray display;

    static Snapshot Take(FrameWindow& frame, Session& s)
    {
        const QImage d = frame.TavDisplayWindow().Display();
        PictureData::Plane undo{};
        for (int y = 0; y < kPicRows; ++y)
            for (int x = 0; x < kPicColumns; ++x)
                undo[PictureData::Offset(x, y)] = s.document.UndoPixel(x, y);
        const PictureDocument& doc = s.document;
        return {doc.Data().PicData, undo, doc.MaxX(), doc.MaxY(), doc.Saved(), doc.HexText(),
                frame.DrawingWindow().Document().FileName(), frame.Sizes()->HSize()->text(),
                frame.Sizes()->VSize()->text(), frame.SaveEnabled(),
                QByteArray(reinterpret_cast<const char*>(d.constBits()), int(d.sizeInBytes()))};
    }
    bool operator==(const Snapshot& o) const
    {
        return pic == o.pic && undo == o.undo && maxX == o.maxX && maxY == o.maxY && saved == o.saved
            && text == o.text && file == o.file && hSize == o.hSize && vSize == o.vSize
            && saveEnabled == o.saveEnabled && display == o.display;
    }
};

}  // namespace

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    void saveWithoutANameAsksAndCancelChangesNothing()
    {
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        Draw(frame, session, 1, 1);
        const Snapshot before = Snapshot::Take(frame, session);

        frame.DrawingWindow().Files().Save();  // the dialog answers "" (cancel)
        QCOMPARE(dialogs.count("save"), 1);
        QCOMPARE(dialogs.shown.last().text, QStringLiteral("Hex values (*.txt)"));
        QCOMPARE(dialogs.shown.last().selectedFilter, QStringLiteral("Hex values (*.txt)"));
        QCOMPARE(dialogs.shown.last().fileName, QString());
        QVERIFY(Snapshot::Take(frame, session) == before);
        QCOMPARE(dialogs.count("message"), 0);
    }

    void saveAfterSaveAsWritesSilentlyToTheSameFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("pic.txt");
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DrawingWindow& main = frame.DrawingWindow();

        Draw(frame, session, 0, 0);
        dialogs.fileNames = {path};
        main.Files().Saveas();
        QCOMPARE(main.Document().FileName(), path);
        QCOMPARE(int(session.document.Saved()), 1);
        QVERIFY(!frame.SaveEnabled());
        QCOMPARE(ReadAll(path), (session.document.HexText() + "\r\n").toLatin1());
        QVERIFY(ReadAll(path).startsWith(".db  40, 32\r\n.db $80,$0,$0,$0,$0\r\n"));

        Draw(frame, session, 39, 31);
        QVERIFY(frame.SaveEnabled());
        frame.FrameAction("SaveButton")->trigger();
        QCOMPARE(dialogs.count("save"), 1);  // no second dialog
        QVERIFY(ReadAll(path).endsWith(".db $0,$0,$0,$0,$1\r\n\r\n"));
        QCOMPARE(int(session.document.Saved()), 1);
        QVERIFY(!frame.SaveEnabled());

        // The dialog starts with the name chosen last.
        main.Files().Saveas();
        QCOMPARE(dialogs.shown.last().fileName, path);
    }

    void emptyPictureFileHas34Lines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("empty.txt");
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        dialogs.fileNames = {path};
        frame.DrawingWindow().Files().Save();
        const QByteArray bytes = ReadAll(path);
        QCOMPARE(bytes, EmptyPictureFile());
        QCOMPARE(bytes.count("\r\n"), 34);
    }

    void saveWritesTheTextEvenWithTheTextViewClosed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("closed.txt");
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        frame.TextViewSubWindow()->close();
        Draw(frame, session, 8, 0);
        dialogs.fileNames = {path};
        frame.DrawingWindow().Files().Save();
        QVERIFY(ReadAll(path).startsWith(".db  40, 32\r\n.db $0,$80,$0,$0,$0\r\n"));
    }

    void openThenSaveWritesTheOpenedPicture()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("opened.c");
        const QByteArray original = ".db  12, 4\r\n.db $80,$10\r\n.db $0,$0\r\n.db $ff,$f0\r\n.db $0,$1\r\n\r\n";
        WriteAll(path, original);

        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DrawingWindow& main = frame.DrawingWindow();
        Draw(frame, session, 5, 5);  // the previous picture, unsaved
        dialogs.answers = {true};

        dialogs.fileNames = {path};
        frame.FrameAction("Open")->trigger();
        const auto& open = dialogs.shown.last();
        QCOMPARE(open.kind, QStringLiteral("open"));
        QVERIFY(open.text.startsWith(QStringLiteral("All Files (*);;Hex values (*.db *.txt *.c);;")));
        QCOMPARE(open.selectedFilter, QStringLiteral("Hex values (*.db *.txt *.c)"));
        QCOMPARE(open.fileName, QString());

        QCOMPARE(session.document.MaxX(), 11);
        QCOMPARE(session.document.MaxY(), 3);
        QCOMPARE(session.document.Pic(0, 0), 1);
        QCOMPARE(session.document.Pic(11, 0), 1);
        QCOMPARE(session.document.Pic(5, 5), 0);  // the whole array was cleared
        QCOMPARE(session.document.Pic(15, 3), 1);  // padding bit kept right of the picture
        QCOMPARE(session.document.UndoPixel(11, 2), 1);  // the undo copy is the opened picture
        QCOMPARE(main.Document().FileName(), path);
        QCOMPARE(frame.Sizes()->HSize()->text(), QStringLiteral("12"));
        QCOMPARE(frame.Sizes()->VSize()->text(), QStringLiteral("4"));
        QCOMPARE(frame.Sizes()->HScroll()->value(), 12);
        QCOMPARE(frame.Sizes()->VScroll()->value(), 4);
        QCOMPARE(frame.TavDisplayWindow().Display().pixel(11, 0), DevicePreview::kSetColour);
        QCOMPARE(frame.TavDisplayWindow().Display().pixel(15, 3), DevicePreview::kClearColour);
        QCOMPARE(int(session.document.Saved()), 1);  // the file read is the saved picture
        QVERIFY(!frame.isWindowModified());
        // Nothing of the picture before comes back into this file.
        frame.FrameAction("UndoMenu")->trigger();
        QCOMPARE(session.document.Pic(5, 5), 0);
        QCOMPARE(int(session.document.Saved()), 1);

        main.Files().Save();
        QCOMPARE(dialogs.count("save"), 0);
        QCOMPARE(ReadAll(path), original);

        // Save as starts with the opened name; a later Open clears it.
        main.Files().Saveas();
        QCOMPARE(dialogs.shown.last().fileName, path);
        main.Files().Open();
        QCOMPARE(dialogs.shown.last().fileName, QString());
    }

    void openAnsweredNoChangesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("other.txt");
        WriteAll(path, EmptyPictureFile());
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        frame.ShowSize(64, 20);
        Draw(frame, session, 3, 2);
        const Snapshot before = Snapshot::Take(frame, session);

        dialogs.answers = {false};
        dialogs.fileNames = {path};
        frame.DrawingWindow().Files().Open();
        QCOMPARE(dialogs.count("question"), 1);
        QCOMPARE(dialogs.shown.last().text, QStringLiteral("Picture not saved. Continue?"));
        QCOMPARE(dialogs.count("open"), 0);
        QVERIFY(Snapshot::Take(frame, session) == before);

        // Yes goes on to the dialog and the read.
        dialogs.answers = {true};
        frame.DrawingWindow().Files().Open();
        QCOMPARE(dialogs.count("open"), 1);
        QCOMPARE(session.document.MaxX(), 39);
        QCOMPARE(frame.DrawingWindow().Document().FileName(), path);
    }

    void saveAfterNewAsksForAName()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("first.txt");
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DrawingWindow& main = frame.DrawingWindow();
        dialogs.fileNames = {path};
        main.Files().Saveas();
        const QByteArray written = ReadAll(path);

        main.NewMenu_Click();
        QVERIFY(main.Document().FileName().isEmpty());
        Draw(frame, session, 2, 2);
        main.Files().Save();  // cancelled
        QCOMPARE(dialogs.count("save"), 2);
        QCOMPARE(ReadAll(path), written);
    }

    void failingWriteKeepsEverything_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing folder") << "missing";
        QTest::newRow("path is a folder") << "folder";
        QTest::newRow("file size limit") << "limit";
    }
    void failingWriteKeepsEverything()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString good = dir.filePath("good.txt");
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DrawingWindow& main = frame.DrawingWindow();
        dialogs.fileNames = {good};
        main.Files().Saveas();
        const QByteArray old = ReadAll(good);

        QString target = good;
        if (kind == "missing")
            target = dir.filePath("no/such/folder/pic.txt");
        else if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("folder"));
            target = dir.filePath("folder");
        }
        frame.ShowSize(240, 120);  // a large text
        for (int x = 0; x < 240; x += 3)
            Draw(frame, session, x, x / 2);
        const Snapshot before = Snapshot::Take(frame, session);

        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (kind == "limit") {
            rlimit small = saved;
            small.rlim_cur = 1000;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            main.Files().Save();  // to the current file
            setrlimit(RLIMIT_FSIZE, &saved);
        } else {
            dialogs.fileNames = {target};
            main.Files().Saveas();
        }

        QCOMPARE(dialogs.count("message"), 1);
        QCOMPARE(dialogs.shown.last().title, QStringLiteral("Error!"));
        QCOMPARE(dialogs.shown.last().text, QStringLiteral("Error writing file!"));
        QCOMPARE(dialogs.shown.last().icon, Dialogs::Icon::Critical);
        // Which file, and the system's reason.
        QVERIFY(dialogs.shown.last().details.startsWith(kind == "limit" ? good + ": " : target + ": "));
        QVERIFY(Snapshot::Take(frame, session) == before);
        QCOMPARE(main.Document().FileName(), good);
        QCOMPARE(int(session.document.Saved()), 0);
        QVERIFY(frame.SaveEnabled());
        QCOMPARE(ReadAll(good), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"good.txt"});
    }

    void badFileShowsOneErrorAndChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");  // the box's details after "bad.txt: ", when checked
        QByteArray rows;
        for (int y = 0; y < 32; ++y)
            rows += ".db $0,$0,$0,$0,$0\r\n";
        QTest::newRow("missing file") << QByteArray() << QString();
        QTest::newRow("width too large") << QByteArray(".db 241, 10\r\n") + rows << QString();
        QTest::newRow("height too small") << QByteArray(".db 40, 3\r\n") + rows << QString();
        QTest::newRow("three values") << QByteArray(".db 40, 32, 1\r\n") + rows << QString();
        QTest::newRow("value above 255") << QByteArray(".db 40, 32\r\n.db $1ff,0,0,0,0\r\n") + rows << QString();
        QTest::newRow("300") << QByteArray(".db 40, 32\r\n.db 300,0,0,0,0\r\n") + rows << QString();
        QTest::newRow("upper-case prefix") << QByteArray(".DB 40, 32\r\n") + rows.toUpper() << QString();
        QTest::newRow("LF only") << QByteArray(".db 40, 32\n") + QByteArray(rows).replace("\r\n", "\n") << QString();
        QTest::newRow("headerless, 31 rows") << rows.left(rows.size() - 20) << QString();
        QTest::newRow("comment between rows") << QByteArray(".db 40, 32\r\n; rows\r\n") + rows << QString();
        QTest::newRow("too few values") << QByteArray(".db 40, 32\r\n.db $0,$0,$0,$0\r\n") + rows << QString();
        QTest::newRow("empty file") << QByteArray("") << QString();
        QTest::newRow("words") << QByteArray("a shopping list\r\n")
                               << QStringLiteral("no line begins with \".db\" (not a picture's text)");
        QImage huge(6000, 6000, QImage::Format_Mono);
        huge.fill(1);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        huge.save(&buffer, "PNG");
        QTest::newRow("6000 x 6000 image")
            << png << QStringLiteral("a PNG image, not a picture's text; File \u203a Import converts it");
    }
    void badFileShowsOneErrorAndChangesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.txt");
        if (QTest::currentDataTag() != QLatin1String("missing file"))
            WriteAll(path, content);

        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DrawingWindow& main = frame.DrawingWindow();
        frame.ShowSize(50, 20);
        Draw(frame, session, 49, 19);
        main.Document().BackUp();
        Draw(frame, session, 48, 19);
        main.Document().FileName() = QStringLiteral("/earlier/file.txt");
        const Snapshot before = Snapshot::Take(frame, session);

        dialogs.fileNames = {path};
        dialogs.answers = {true};
        main.Files().Open();
        QCOMPARE(dialogs.count("message"), 1);
        QCOMPARE(dialogs.shown.last().title, QStringLiteral("Error!"));
        QCOMPARE(dialogs.shown.last().text, QStringLiteral("File Import Error"));
        QCOMPARE(dialogs.shown.last().icon, Dialogs::Icon::Critical);
        // Which file, and why.
        const QString details = dialogs.shown.last().details;
        QVERIFY2(details.startsWith(QLatin1String("bad.txt: ")) && details.size() > 12, qPrintable(details));
        if (!reason.isEmpty())
            QCOMPARE(details, QStringLiteral("bad.txt: ") + reason);
        QVERIFY(Snapshot::Take(frame, session) == before);
    }

    void headerlessFileReadsAs40By32()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.txt");
        QByteArray rows = "label:\r\n";
        for (int y = 0; y < 32; ++y)
            rows += y == 3 ? ".db $1,0,0,0,$80\r\n" : ".db $0,$0,$0,$0,$0\r\n";
        WriteAll(path, rows);
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        frame.ShowSize(100, 100);
        QVERIFY(frame.DrawingWindow().Files().ReadHexFile(path));
        QCOMPARE(session.document.MaxX(), 39);
        QCOMPARE(session.document.MaxY(), 31);
        QCOMPARE(session.document.Pic(7, 3), 1);
        QCOMPARE(session.document.Pic(32, 3), 1);
        QCOMPARE(frame.Sizes()->VSize()->text(), QStringLiteral("32"));
        QVERIFY(session.document.HexText().contains(QStringLiteral("\r\n.db $1,$0,$0,$0,$80\r\n")));
    }

    void roundTripOfEveryWrittenFile()
    {
        QTemporaryDir dir;
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        StartFrame(frame, false);
        DrawingWindow& main = frame.DrawingWindow();
        QRandomGenerator random(7);

        QList<QSize> sizes{{4, 4}, {8, 4}, {9, 5}, {40, 32}, {240, 120}, {100, 7}};
        for (int w = 233; w <= 240; ++w)
            sizes.append(QSize(w, 11));
        QStringList written;
        for (const QSize& size : sizes) {
            {
                const PictureDocument::Batch batch(session.document);
                for (int y = 0; y < kPicRows; ++y)
                    for (int x = 0; x < kPicColumns; ++x)
                        session.document.SetPixel(x, y, random.bounded(2));
            }
            frame.ShowSize(size.width(), size.height());
            const QString path = dir.filePath(QStringLiteral("pic-%1x%2.txt").arg(size.width()).arg(size.height()));
            dialogs.fileNames = {path};
            main.Files().Saveas();
            written << path;
        }

        for (const QString& path : written) {
            main.NewMenu_Click();
            dialogs.fileNames = {path, path + ".again"};
            main.Files().Open();
            QCOMPARE(main.Document().FileName(), path);
            main.Files().Saveas();
            QCOMPARE(ReadAll(path + ".again"), ReadAll(path));
        }
        QCOMPARE(dialogs.count("message"), 0);
    }
};

QTEST_MAIN(FilesTest)
#include "test_files.moc"
