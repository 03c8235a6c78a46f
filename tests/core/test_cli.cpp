#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <random>
#include <string>
#include <unistd.h>

#include "cli/commandline.h"
#include "core/picturedata.h"
#include "core/hexwriter.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

struct Outcome {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

Outcome RunProcess(const QString& program, const QStringList& args, const QString& workDir = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    Outcome o;
    if (!p.waitForStarted(30000) || !p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return o;
    }
    o.crashed = p.exitStatus() != QProcess::NormalExit;
    o.exitCode = p.exitCode();
    o.out = p.readAllStandardOutput();
    o.err = p.readAllStandardError();
    return o;
}

Outcome Tobrin(const QStringList& args, const QString& workDir = QString())
{
    return RunProcess(QStringLiteral(TOBRIN_BINARY), args, workDir);
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteRaw(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
}

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                               QDir::Name);
}

PictureData RandomPicture(int w, int h, unsigned seed)
{
    return testfiles::RandomPicture(w, h, seed, true);  // padding bits too
}

using testfiles::SavedText;

// ---- arguments ------------------------------------------------------------------

TEST(CommandLine, EditorArgumentsNeedNoDisplay)
{
    QString open = QStringLiteral("stale");
    EXPECT_EQ(RunCommandLine({QStringLiteral("tobrin")}, &open), -1);
    EXPECT_TRUE(open.isEmpty());
    EXPECT_EQ(RunCommandLine({QStringLiteral("tobrin"), QStringLiteral("pic.txt")}, &open), -1);
    EXPECT_EQ(open, QStringLiteral("pic.txt"));
    EXPECT_EQ(RunCommandLine({QStringLiteral("tobrin"), QStringLiteral("a.txt"), QStringLiteral("b.txt")},
                             &open),
              2);
    // "--" lets a file whose name starts with "-" be opened.
    EXPECT_EQ(RunCommandLine({QStringLiteral("tobrin"), QStringLiteral("--"), QStringLiteral("-dash.txt")}, &open),
              -1);
    EXPECT_EQ(open, QStringLiteral("-dash.txt"));
}

TEST(CommandLine, TwoFilesAreRefusedEvenWithoutADisplay)
{
    // No platform plugin at all: the editor must not be started to say so.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TOBRIN_BINARY), {QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 2);
}

TEST(CommandLine, VersionAndHelp)
{
    for (const char* flag : {"--version", "-v"}) {
        const Outcome o = Tobrin({QString::fromLatin1(flag)});
        EXPECT_EQ(o.exitCode, 0) << flag;
        EXPECT_EQ(o.out, "Tobrin 0.7\n");
        EXPECT_TRUE(o.err.isEmpty());
    }
    for (const char* flag : {"--help", "-h"}) {
        const Outcome o = Tobrin({QString::fromLatin1(flag)});
        EXPECT_EQ(o.exitCode, 0) << flag;
        EXPECT_TRUE(o.err.isEmpty());
        for (const char* part : {"tobrin export FILE -o OUT [--order msb|lsb|pages] [--name NAME] [--device]",
                                 "--dither none|fs|atkinson|bayer4|bayer8", "tobrin import IMAGE... -o OUT",
                                 "--threshold N", "--components rgb|rg", "--invert", "--size WxH",
                                 "--aspect", "--no-match-size", "--version"})
            EXPECT_TRUE(o.out.contains(part)) << part;
    }
}

TEST(CommandLine, BadUsageExitsWithTwoAndCreatesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteRaw(dir.filePath(QStringLiteral("in.txt")), ".db 8,4\r\n.db 1\r\n.db 1\r\n.db 1\r\n.db 1\r\n");
    const QList<QStringList> cases = {
        {QStringLiteral("--bogus")},
        {QStringLiteral("-x")},
        {QStringLiteral("export")},
        {QStringLiteral("export"), QStringLiteral("in.txt")},
        {QStringLiteral("export"), QStringLiteral("-o"), QStringLiteral("out.txt")},
        {QStringLiteral("export"), QStringLiteral("in.txt"), QStringLiteral("-o")},
        {QStringLiteral("export"), QStringLiteral("in.txt"), QStringLiteral("in.txt"), QStringLiteral("-o"),
         QStringLiteral("out.txt")},
        {QStringLiteral("export"), QStringLiteral("in.txt"), QStringLiteral("-o"), QStringLiteral("out.txt"),
         QStringLiteral("--frob")},
        {QStringLiteral("export"), QStringLiteral("in.txt"), QStringLiteral("-o"), QStringLiteral("out.txt"),
         QStringLiteral("-o"), QStringLiteral("out2.txt")},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const Outcome o = Tobrin(args, dir.path());
        EXPECT_EQ(o.exitCode, 2);
        EXPECT_TRUE(o.err.contains("Usage:"));
        EXPECT_TRUE(o.out.isEmpty());
    }
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("in.txt")});
}

// ---- export ------------------------------------------------------------------------

TEST(CommandLineExport, HexOutputIsWhatSaveWrites)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* name;
        QByteArray input;
        QByteArray expected;
    };
    PictureData empty;
    const PictureData random = RandomPicture(237, 120, 99);
    std::string headerless;
    for (int y = 0; y < 32; ++y)
        headerless += ".db 0,0,0,0,0\r\n";
    const Case cases[] = {
        {"headerless with a leading line", QByteArray("; icon\r\n") + headerless.c_str(), SavedText(empty)},
        {"odd spellings and padding bits kept",
         ".db 12 4\r.db 128,16,9\r\n.db $0,$0\r\n.db 255,$ff\r\n.db 0,1e1 ; tail\r\nnot read",
         ".db  12, 4\r\n.db $80,$10\r\n.db $0,$0\r\n.db $ff,$ff\r\n.db $0,$a\r\n\r\n"},
        {"largest random picture", SavedText(random), SavedText(random)},
    };
    // Hex text has been saved under .c names as well; those still read.
    for (const QString& input : {QStringLiteral("in.txt"), QStringLiteral("in.c")}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name + (" from " + input.toStdString()));
            WriteRaw(dir.filePath(input), c.input);
            const Outcome o = Tobrin({QStringLiteral("export"), input, QStringLiteral("-o"), QStringLiteral("out.txt")},
                                     dir.path());
            EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
            EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("out.txt"))), c.expected);
        }
    }
}

TEST(CommandLineExport, PngHasOnePixelPerPicturePixel)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const PictureData picture = RandomPicture(13, 7, 5);  // padding bits set too
    WriteRaw(dir.filePath(QStringLiteral("in.txt")), SavedText(picture));
    struct Case {
        const char* out;
        bool device;
        QRgb set, clear;
    };
    const Case cases[] = {
        {"plain.png", false, qRgb(0, 0, 0), qRgb(255, 255, 255)},
        {"upper.PnG", false, qRgb(0, 0, 0), qRgb(255, 255, 255)},
        {"device.png", true, qRgb(65, 64, 69), qRgb(125, 145, 120)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        QStringList args{QStringLiteral("export"), QStringLiteral("in.txt"), QStringLiteral("-o"),
                         QString::fromLatin1(c.out)};
        if (c.device)
            args.insert(1, QStringLiteral("--device"));
        const Outcome o = Tobrin(args, dir.path());
        ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
        const QByteArray bytes = ReadAll(dir.filePath(QString::fromLatin1(c.out)));
        ASSERT_TRUE(bytes.startsWith("\x89PNG"));
        const QImage image = QImage::fromData(bytes, "PNG");
        ASSERT_EQ(image.size(), QSize(13, 7));
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(image.pixel(x, y), picture.Pic(x, y) ? c.set : c.clear) << x << "," << y;
    }
}

// Any format converts to any other: a chain through every one ends with the
// hex text it started from, and each file opens to the same picture.
TEST(CommandLineExport, ConvertsBetweenEveryFormat)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PictureData picture = RandomPicture(29, 13, 8);
    for (int y = 0; y <= picture.MaxY; ++y)
        for (int x = 29; x < 32; ++x)
            picture.Pic(x, y) = 0;  // only the hex text carries padding bits
    WriteRaw(dir.filePath(QStringLiteral("in.txt")), SavedText(picture));
    const QStringList chain[] = {
        {"in.txt", "a.c", "--order", "pages", "--name", "logo"},
        {"a.c", "b.xbm"},
        {"b.xbm", "c.pbm"},
        {"c.pbm", "d.png"},
        {"d.png", "e.h", "--order=lsb"},
        {"e.h", "out.txt"},
    };
    for (const QStringList& step : chain) {
        SCOPED_TRACE(step.join(QLatin1Char(' ')).toStdString());
        const Outcome o = Tobrin(QStringList{QStringLiteral("export"), step[0], QStringLiteral("-o"), step[1]} + step.mid(2),
                                 dir.path());
        ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    }
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("out.txt"))), SavedText(picture));
    const QByteArray c = ReadAll(dir.filePath(QStringLiteral("a.c")));
    EXPECT_TRUE(c.contains("static const unsigned char logo[") && c.contains("#define LOGO_WIDTH 29"));
    EXPECT_TRUE(ReadAll(dir.filePath(QStringLiteral("e.h"))).contains("unsigned char e[52]"));

    // Without its comment a C array is read as the user says.
    QByteArray bare = c;
    bare.replace("byte order: pages", "");
    WriteRaw(dir.filePath(QStringLiteral("bare.c")), bare);
    EXPECT_EQ(Tobrin({QStringLiteral("export"), QStringLiteral("bare.c"), QStringLiteral("-o"), QStringLiteral("x.txt")},
                     dir.path()).exitCode, 1);
    EXPECT_EQ(Tobrin({QStringLiteral("export"), QStringLiteral("bare.c"), QStringLiteral("--input-order"),
                      QStringLiteral("pages"), QStringLiteral("-o"), QStringLiteral("x.txt")},
                     dir.path()).exitCode, 0);
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("x.txt"))), SavedText(picture));
    for (const QStringList& bad : {QStringList{QStringLiteral("--order"), QStringLiteral("msb2")},
                                   QStringList{QStringLiteral("--name"), QStringLiteral("int")},
                                   QStringList{QStringLiteral("--name=a-b")}}) {
        const Outcome o = Tobrin(QStringList{QStringLiteral("export"), QStringLiteral("in.txt"), QStringLiteral("-o"),
                                             QStringLiteral("y.c")} + bad, dir.path());
        EXPECT_EQ(o.exitCode, 2) << bad.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("y.c"))));
}

TEST(CommandLineExport, ReadFailureLeavesTheOutputAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteRaw(dir.filePath(QStringLiteral("bad.txt")), ".db 8,4\r\n.db 1\r\n.db 300\r\n.db 1\r\n.db 1\r\n");
    WriteRaw(dir.filePath(QStringLiteral("keep.txt")), "keep me");
    for (const char* input : {"bad.txt", "missing.txt", "."}) {
        for (const char* out : {"new.txt", "new.png", "keep.txt"}) {
            SCOPED_TRACE(std::string(input) + " -> " + out);
            const Outcome o = Tobrin({QStringLiteral("export"), QString::fromLatin1(input), QStringLiteral("-o"),
                                      QString::fromLatin1(out)},
                                     dir.path());
            EXPECT_EQ(o.exitCode, 1);
            EXPECT_TRUE(o.err.contains("File Import Error"));
        }
    }
    EXPECT_EQ(Entries(dir.path()), (QStringList{QStringLiteral("bad.txt"), QStringLiteral("keep.txt")}));
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("keep.txt"))), "keep me");
}

TEST(CommandLineExport, WriteFailureExitsWithOneAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const PictureData big = RandomPicture(240, 120, 3);
    WriteRaw(dir.filePath(QStringLiteral("in.txt")), SavedText(big));
    WriteRaw(dir.filePath(QStringLiteral("old.txt")), "old");
    // Missing folder; output is a folder.
    for (const char* out : {"nowhere/out.txt", "."}) {
        SCOPED_TRACE(out);
        const Outcome o = Tobrin({QStringLiteral("export"), QStringLiteral("in.txt"), QStringLiteral("-o"),
                                  QString::fromLatin1(out)},
                                 dir.path());
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_FALSE(o.err.isEmpty());
    }
    // File-size limit of 1 KiB in the child: the 15 KB text cannot be written.
    for (const char* out : {"old.txt", "old.png"}) {
        SCOPED_TRACE(out);
        const Outcome o = RunProcess(QStringLiteral("/bin/bash"),
                              {QStringLiteral("-c"), QStringLiteral("ulimit -f 1; exec \"$0\" \"$@\""),
                               QStringLiteral(TOBRIN_BINARY), QStringLiteral("export"), QStringLiteral("in.txt"),
                               QStringLiteral("-o"), QString::fromLatin1(out)},
                              dir.path());
        EXPECT_FALSE(o.crashed);
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_TRUE(o.err.contains("Error writing file!"));
    }
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("old.txt"))), "old");
    EXPECT_EQ(Entries(dir.path()), (QStringList{QStringLiteral("in.txt"), QStringLiteral("old.txt")}));
}

// Root writes anywhere, so permissions are checked as an unprivileged user.
TEST(CommandLineExport, ReadOnlyFileAndFolderAreNotReplaced)
{
    if (geteuid() != 0 || !QFileInfo::exists(QStringLiteral("/usr/bin/setpriv")))
        GTEST_SKIP() << "needs root and setpriv to run as an unprivileged user";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString open = dir.filePath(QStringLiteral("open"));
    const QString closed = dir.filePath(QStringLiteral("closed"));
    ASSERT_TRUE(QDir().mkdir(open));
    ASSERT_TRUE(QDir().mkdir(closed));
    const QFileDevice::Permissions all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
        | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
        | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup
        | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), all));
    ASSERT_TRUE(QFile::setPermissions(open, all));
    ASSERT_TRUE(QFile::setPermissions(closed, readOnly | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                                  | QFileDevice::ExeOther));
    const QString input = dir.filePath(QStringLiteral("in.txt"));
    WriteRaw(input, SavedText(PictureData()));
    ASSERT_TRUE(QFile::setPermissions(input, readOnly));
    const QString locked = QDir(open).filePath(QStringLiteral("locked.txt"));
    WriteRaw(locked, "locked");
    ASSERT_TRUE(QFile::setPermissions(locked, readOnly));

    const auto asNobody = [&](const QString& out) {
        return RunProcess(QStringLiteral("/usr/bin/setpriv"),
                   {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                    QStringLiteral(TOBRIN_BINARY), QStringLiteral("export"), input, QStringLiteral("-o"), out},
                   dir.path());
    };
    // The folder is writable, so only the check of the file itself stops a rename.
    Outcome o = asNobody(locked);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.err.contains("Error writing file!"));
    EXPECT_EQ(ReadAll(locked), "locked");
    EXPECT_EQ(Entries(open), QStringList{QStringLiteral("locked.txt")});

    o = asNobody(QDir(closed).filePath(QStringLiteral("new.txt")));
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(Entries(closed).isEmpty());

    // The same user can write where it may.
    o = asNobody(QDir(open).filePath(QStringLiteral("fine.txt")));
    EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
}

}  // namespace
}  // namespace tobrin

namespace tobrin {
namespace {

// Every read failure names the file and the cause on the line after
// "File Import Error"; nothing is written.
TEST(CommandLineMessages, ReadFailuresNameTheFileAndTheCause)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray bmp = testfiles::Bmp24(64, 48);
    const std::pair<const char*, QByteArray> files[] = {
        {"value.txt", ".db 8,4\r.db 1\r.db 300\r.db 1\r.db 1\r"},
        {"short.txt", ".db 8,4\r.db 1\r"},
        {"words.txt", "hello\r"},
        {"colour.png", testfiles::Png(64, 48)},
        {"large.png", testfiles::Encode(testfiles::HalfBlack(300, 20), "PNG")},
        {"cut.bmp", bmp.left(bmp.size() / 2)},
    };
    for (const auto& [name, bytes] : files)
        WriteRaw(dir.filePath(QString::fromLatin1(name)), bytes);
    const std::pair<QStringList, QByteArray> cases[] = {
        {{"export", "missing.txt"}, "tobrin export: missing.txt: no such file"},
        {{"export", "."}, "tobrin export: .: is a folder, not a file"},
        {{"export", "value.txt"}, "tobrin export: value.txt: line 3: value 300 is above 255"},
        {{"export", "short.txt"}, "tobrin export: short.txt: the file ends before row 2 of 4"},
        {{"export", "words.txt"}, "tobrin export: words.txt: no line begins with \".db\" (not a picture's text)"},
        {{"export", "colour.png"},
         "tobrin export: colour.png: not black and white (pixel 6, 0 is neither); tobrin import converts it"},
        {{"export", "large.png"},
         "tobrin export: large.png: 300 x 20 pixels; a picture is 4..240 x 4..120; tobrin import converts it"},
        {{"import", "cut.bmp"},
         "tobrin import: cut.bmp: damaged bitmap: the file ends early (4581 of the 9216 bytes its pixels need)"},
        {{"import", "words.txt"}, "tobrin import: words.txt: unknown or unreadable image format"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome o = Tobrin(args + QStringList{QStringLiteral("-o"), QStringLiteral("out.txt")}, dir.path());
        EXPECT_EQ(o.exitCode, 1) << message.toStdString();
        EXPECT_EQ(o.err.toStdString(), ("File Import Error\n" + message + "\n").toStdString());
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("out.txt"))));
}

// -o naming the input (by any path) is refused unless --in-place; a
// top-down bitmap reads the same for export and import.
TEST(CommandLineMessages, OutputNamingTheInputIsRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray topDown = testfiles::BmpHeaders(16, -8, 1, 0, 2, 32);
    topDown += QByteArray("\0\0\0\0\xff\xff\xff\0", 8) + QByteArray("\x0f\xff\0\0", 4).repeated(8);
    WriteRaw(dir.filePath(QStringLiteral("top.bmp")), topDown);
    const QByteArray text = ".db 8,4\r.db 1\r.db 2\r.db 3\r.db 4\r";
    WriteRaw(dir.filePath(QStringLiteral("in.txt")), text);
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("in.txt")), dir.filePath(QStringLiteral("link.txt"))));
    const std::pair<QStringList, int> cases[] = {
        {{"export", "in.txt", "-o", "./link.txt"}, 2},
        {{"import", "top.bmp", "-o", "top.bmp"}, 2},
        {{"import", "top.bmp", "-o", "a.txt", "-o", "b.txt"}, 2},
        {{"export", "in.txt", "-o", "in.txt", "--in-place"}, 0},
        {{"export", "top.bmp", "-o", "export.txt"}, 0},
        {{"import", "top.bmp", "-o", "import.txt"}, 0},
    };
    for (const auto& [args, exitCode] : cases)
        EXPECT_EQ(Tobrin(args, dir.path()).exitCode, exitCode) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("top.bmp"))), topDown);
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("export.txt"))), ReadAll(dir.filePath(QStringLiteral("import.txt"))));
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("import.txt"))).left(24).toStdString(), ".db  16, 8\r\n.db $f0,$0\r\n");
}

}  // namespace
}  // namespace tobrin
