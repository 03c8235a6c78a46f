#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/recovery.h"
#include "app/session.h"
#include "core/recoveryfile.h"
#include "core/savefile.h"
#include "drawing/drawingwindow.h"
#include "fakedialogs.h"
#include "files/filecommands.h"
#include "frame/framewindow.h"

using namespace tobrin;

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    // Faults: nothing written, the copy not found or wrongly read, a name, a
    // frame, a delay or a pixel lost, a copy or lock left behind after Save or
    // after the end of the editor.
    void KilledEditorsWorkComesBack()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath(QStringLiteral("walk.txt"));
        QVERIFY(WriteFileAtomically(picture, PictureDocument().HexText().toLatin1() + "\r\n"));
        qputenv("XDG_STATE_HOME", dir.path().toLocal8Bit());
        const QString folder = RecoveryFolder();
        QProcess child;  // this binary as an editor that draws and runs until it is killed
        qputenv("TOBRIN_RECOVERY_CHILD", picture.toLocal8Bit());
        child.start(QCoreApplication::applicationFilePath(), {});
        qunsetenv("TOBRIN_RECOVERY_CHILD");
        std::optional<RecoveryCopy> copy;
        QTRY_VERIFY_WITH_TIMEOUT(RecoveryCopies(folder).size() == 1 && (copy = ReadRecoveryCopy(RecoveryCopies(folder).first()))
                                     && copy->set.Count() == 2,
                                 10000);
        child.kill();  // SIGKILL: nothing of the editor's ending runs
        QVERIFY(child.waitForFinished());
        QProcess list;
        list.start(QStringLiteral(TOBRIN_BINARY), {QStringLiteral("--recover-list")});
        QVERIFY(list.waitForFinished() && list.exitCode() == 0);
        QVERIFY(list.readAllStandardOutput().contains(picture.toLocal8Bit() + "  2 frame(s)  left by an editor that ended"));

        FakeDialogs dialogs;
        dialogs.laterAnswers = {Dialogs::Answer::Yes};
        Session session(dialogs);
        FrameWindow frame(session);
        frame.DrawingWindow();
        auto recovery = std::make_unique<Recovery>(session.document, dialogs, folder);
        recovery->OfferOrphans(&frame);
        QCOMPARE(dialogs.count(QStringLiteral("question3")), 1);
        QCOMPARE(dialogs.shown.first().title, QStringLiteral("Recover unsaved work"));
        QCOMPARE(dialogs.shown.first().text,
                 QStringLiteral("Recover unsaved work from %1?").arg(RecoveryTimeText(copy->header.time)));
        PictureDocument& doc = session.document;
        QCOMPARE(doc.FileName(), picture);
        QVERIFY(!doc.Saved());
        QVERIFY(doc.FrameCount() == 2 && doc.FrameDelay(1) == 250);
        QCOMPARE(doc.FramePlane(0)[PictureData::Offset(3, 2)], 1);
        QCOMPARE(doc.FramePlane(1)[PictureData::Offset(5, 6)], 1);
        // The orphan gave way to this editor's own copy, which Save removes.
        QVERIFY(!QFile::exists(copy->path) && QFile::exists(recovery->CopyPath()));
        doc.MarkSaved(picture);
        QVERIFY(RecoveryCopies(folder).isEmpty());
        doc.SetPixel(9, 9, 1);  // unsaved again, and then the editor ends (the user discarded it)
        recovery->WriteNow();
        QVERIFY(QFile::exists(recovery->CopyPath()));
        recovery.reset();
        QVERIFY(QDir(folder).isEmpty());  // the lock goes too
    }

    // Faults: a crash or a repeated box on a folder that cannot be written, a
    // corrupt copy that stops the start or comes back, another editor's copy
    // offered, No or Later doing the other's work.
    void Faults_data()
    {
        QTest::addColumn<QString>("setup");  // what the folder holds
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("asked");  // the kinds of box shown
        QTest::addColumn<QStringList>("left");   // the files left in the folder
        QTest::newRow("unwritable folder") << "unwritable" << 0 << QStringList{"message"} << QStringList{};
        QTest::newRow("corrupt copy") << "corrupt" << 0 << QStringList{"message"} << QStringList{"a.txt.corrupt"};
        QTest::newRow("held by a live editor") << "live" << 0 << QStringList{} << QStringList{"a.lock", "a.txt"};
        QTest::newRow("No deletes") << "other boot" << int(Dialogs::Answer::No) << QStringList{"question3"}
                                    << QStringList{};
        QTest::newRow("Later keeps") << "orphan" << int(Dialogs::Answer::Later)
                                     << QStringList{"question3", "question3"} << QStringList{"a.txt"};
    }
    void Faults()
    {
        QFETCH(QString, setup);
        QFETCH(int, answer);
        QFETCH(QStringList, asked);
        QFETCH(QStringList, left);
        QTemporaryDir dir;
        QString folder = dir.filePath(QStringLiteral("recovery"));
        QDir().mkpath(folder);
        const auto put = [](const QString& path, const QByteArray& data) { QVERIFY(WriteFileAtomically(path, data)); };
        const QByteArray good = RecoveryText(PictureDocument().Frames(), {"/x/old.txt", true, QDateTime::currentDateTimeUtc()});
        put(folder + "/a.txt", setup == "corrupt" ? good.left(good.size() - 20) : good);
        if (setup == "unwritable")  // even root cannot make a folder in a file
            folder = folder + "/a.txt/recovery";
        if (setup == "live" || setup == "other boot")  // this process, of this boot or of an earlier one
            put(folder + "/a.lock", setup == "live" ? RecoveryLockText()
                                                    : QByteArray::number(QCoreApplication::applicationPid()) + "\nearlier\n");
        FakeDialogs dialogs;
        dialogs.laterAnswers = {Dialogs::Answer(answer)};
        PictureDocument doc;
        Recovery recovery(doc, dialogs, folder);
        recovery.SetIntervals(10, 40);
        for (int round = 0; round < 2; ++round) {  // a fault is told once
            recovery.OfferOrphans(nullptr);
            doc.BackUp();
            doc.SetPixel(round, 0, 1);
            QTest::qWait(60);
        }
        QStringList kinds;
        for (const auto& box : dialogs.shown)
            kinds << box.kind;
        QCOMPARE(kinds, asked);
        if (!asked.isEmpty() && asked.first() == "message")
            QVERIFY(dialogs.shown.first().text.contains(setup == "corrupt" ? folder + "/a.txt" : "recovery is off"));
        QVERIFY(doc.Pic(1, 0) == 1 && doc.FileName().isEmpty());  // the editor works on; nothing was opened
        QCOMPARE(recovery.IsOff(), setup == "unwritable");
        QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        files.removeAll(QFileInfo(recovery.CopyPath()).fileName());
        files.removeAll(QFileInfo(RecoveryLockPath(recovery.CopyPath())).fileName());
        QCOMPARE(files, left);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("TOBRIN_RECOVERY_CHILD")) {  // the editor killed by the test above
        FakeDialogs dialogs;
        Session session(dialogs);
        FrameWindow frame(session);
        Recovery recovery(session.document, dialogs, RecoveryFolder());
        recovery.SetIntervals(600000, 300);  // written only because the changes never rest
        frame.show();
        PictureDocument& doc = session.document;
        frame.DrawingWindow().Files().ReadHexFile(qEnvironmentVariable("TOBRIN_RECOVERY_CHILD"));
        doc.BackUp();
        doc.SetPixel(3, 2, 1);
        doc.AddFrame();
        doc.SetFrameDelay(1, 250);
        doc.BackUp();
        doc.SetPixel(5, 6, 1);
        QTimer changes;
        QObject::connect(&changes, &QTimer::timeout, [&doc] { doc.SetPixel(0, 0, 1 - doc.Pic(0, 0)); });
        changes.start(20);
        return app.exec();
    }
    RecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_recovery.moc"
