#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

#include "core/formats.h"
#include "core/gifcodec.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

using testfiles::RandomPicture;

QByteArray Tool(const QString& program, const QStringList& args, const QString& dir, int* exitCode = nullptr)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program, args);
    const bool done = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    if (exitCode)
        *exitCode = done ? p.exitCode() : -1;
    return p.readAllStandardOutput() + p.readAllStandardError();
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A composited frame as a picture: black is set, white is clear, anything
// else fails the comparison.
MonoPicture Picture(const QImage& image)
{
    MonoPicture p;
    p.width = image.width();
    p.height = image.height();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            p.At(x, y) = image.pixel(x, y) == 0xFF000000u ? 1 : image.pixel(x, y) == 0xFFFFFFFFu ? 0 : 7;
    return p;
}

MonoSet ThreeFrames(int w, int h)
{
    MonoSet set;
    for (unsigned i = 0; i < 3; ++i)
        set.frames.push_back(RandomPicture(w, h, 40 + i));
    set.delays = {100, 250, 40};
    return set;
}

// ImageMagick's optimiser draws later frames as small rectangles over the
// first with transparency and disposal "previous"; interlaced and
// background-disposed files as well. Each must composite back to the
// frames it was made from, with their delays.
TEST(GifInterop, ImageMagickAnimationsCompositeAsViewersShowThem)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "needs ImageMagick's convert (Debian imagemagick, installed by scripts/setup.sh)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MonoSet set = ThreeFrames(21, 11);
    set.frames[2] = set.frames[0];  // back to the first: "previous" pays off
    set.frames[2].At(20, 10) ^= 1;
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        names << QStringLiteral("f%1.pbm").arg(i);
        ASSERT_TRUE(WritePictureFile(dir.filePath(names.back()), set.frames[std::size_t(i)], {}));
    }
    const QStringList variants[] = {
        {QStringLiteral("-dispose"), QStringLiteral("none"), QStringLiteral("-layers"), QStringLiteral("optimize")},
        {QStringLiteral("-dispose"), QStringLiteral("previous"), QStringLiteral("-layers"),
         QStringLiteral("OptimizePlus")},
        {QStringLiteral("-dispose"), QStringLiteral("background"), QStringLiteral("-interlace"), QStringLiteral("GIF")},
    };
    for (const QStringList& variant : variants) {
        SCOPED_TRACE(variant.join(QLatin1Char(' ')).toStdString());
        int code = 0;
        const QByteArray said = Tool(convert,
                                    QStringList{QStringLiteral("-delay"), QStringLiteral("20"), QStringLiteral("-loop"),
                                                QStringLiteral("0")}
                                        + names + variant + QStringList{QStringLiteral("magick.gif")},
                                    dir.path(), &code);
        ASSERT_EQ(code, 0) << said.toStdString();
        QString why;
        const auto frames = DecodeGifFrames(ReadAll(dir.filePath(QStringLiteral("magick.gif"))), {240, 120}, &why);
        ASSERT_TRUE(frames) << why.toStdString();
        ASSERT_EQ(frames->images.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_TRUE(Picture(frames->images[i]) == set.frames[i]) << "frame " << i;
            EXPECT_EQ(frames->delays[i], 200);
        }
    }
}


// Every format that holds a set writes it and reads it back whole, delays
// included (GIF rounds to centiseconds: these are whole ones); the PNG
// sprite sheet is laid out as asked.
TEST(SetFormats, ThreeFramesRoundTripThroughEveryFormatThatHoldsThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const MonoSet set = ThreeFrames(21, 11);
    const struct {
        const char* file;
        ByteOrder order;
    } rows[] = {{"walk.db", ByteOrder::Msb}, {"walk.c", ByteOrder::Msb}, {"walk.h", ByteOrder::Lsb},
                {"pages.c", ByteOrder::Pages}, {"walk.gif", ByteOrder::Msb}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const QString path = dir.filePath(QString::fromLatin1(row.file));
        QString why;
        ExportOptions options;
        options.order = row.order;
        ASSERT_TRUE(WritePictureSetFile(path, set, options, &why)) << why.toStdString();
        const std::optional<MonoSet> back = ReadPictureSetFile(path, {}, &why);
        ASSERT_TRUE(back) << why.toStdString();
        ASSERT_EQ(back->Count(), 3);
        EXPECT_TRUE(back->frames == set.frames);
        EXPECT_EQ(back->delays, set.delays);
    }
    for (const int columns : {0, 2}) {
        ExportOptions options;
        options.sheetColumns = columns;
        const QString path = dir.filePath(QStringLiteral("sheet%1.png").arg(columns));
        ASSERT_TRUE(WritePictureSetFile(path, set, options));
        const QImage sheet(path);
        ASSERT_EQ(sheet.size(), columns ? QSize(42, 22) : QSize(63, 11));
        for (int i = 0; i < 3; ++i) {
            const int left = 21 * (columns ? i % columns : i);
            const int top = 11 * (columns ? i / columns : 0);
            EXPECT_TRUE(Picture(sheet.copy(left, top, 21, 11).convertToFormat(QImage::Format_ARGB32))
                        == set.frames[std::size_t(i)])
                << "frame " << i;
        }
        if (columns) {  // the empty cell of the last row is white
            EXPECT_EQ(sheet.pixel(30, 15), 0xFFFFFFFFu);
        }
    }
}

// A set of one is written byte for byte as the picture alone, in every
// format; and a set's hex text opens as its first frame where one picture
// is read (older programs, the picture reader).
TEST(SetFormats, OneFrameIsThePictureAndTheFirstFrameOpensAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const MonoPicture p = RandomPicture(13, 7, 5);
    for (const FileFormat* f : FileFormats()) {
        if (!f->canWrite)
            continue;
        SCOPED_TRACE(f->id);
        const QString suffix = QString::fromLatin1(f->writeSuffixes ? f->writeSuffixes : f->suffixes).section(QLatin1Char(' '), 0, 0);
        const QString one = dir.filePath(QStringLiteral("one.") + suffix);
        const QString set = dir.filePath(QStringLiteral("set.") + suffix);
        ASSERT_TRUE(WritePictureFile(one, p, {}));
        ASSERT_TRUE(WritePictureSetFile(set, MonoSet::Of(p), ExportOptions{ByteOrder::Msb, QStringLiteral("one"), false}));
        EXPECT_EQ(ReadAll(one).toHex().toStdString(), ReadAll(set).toHex().toStdString());
    }
    const QString walk = dir.filePath(QStringLiteral("walk.db"));
    ASSERT_TRUE(WritePictureSetFile(walk, ThreeFrames(13, 7), {}));
    EXPECT_TRUE(ReadAll(walk).startsWith("walk_0:\r\n; delay 100 ms\r\n.db  13, 7\r\n"));
    const std::optional<MonoPicture> first = ReadPictureFile(walk);
    ASSERT_TRUE(first);
    EXPECT_TRUE(*first == ThreeFrames(13, 7).frames[0]);
}

QByteArray HexSet(const std::vector<QByteArray>& blocks)
{
    QByteArray out;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        out += "w_" + QByteArray::number(qulonglong(i)) + ":\r\n" + blocks[i] + "\r\n";
    return out;
}

// Hostile sets are refused whole, with the cause and, in text, the line of
// the whole file.
TEST(SetFormats, HostileSetsAreRefusedWithTheirCause)
{
    const QByteArray small = ".db 8,4\r\n.db 1\r\n.db 2\r\n.db 3\r\n.db 4\r\n";
    const QByteArray wide = ".db 16,4\r\n.db 1,1\r\n.db 2,2\r\n.db 3,3\r\n.db 4,4\r\n";
    const QByteArray bad = ".db 8,4\r\n.db 1\r\n.db 300\r\n.db 3\r\n.db 4\r\n";
    MonoSet many;
    many.frames.assign(1025, RandomPicture(8, 4, 1));
    many.delays.assign(1025, 100);
    const QByteArray gif = *EncodeGif(ThreeFrames(8, 4));
    const QByteArray big = *EncodeGif(ThreeFrames(240, 120));
    // A 4096 x 4096 canvas with 1 x 1 frames: 16 of them cost more than the budget.
    QByteArray huge("GIF89a\x00\x10\x00\x10\x80\x00\x00\xff\xff\xff\x00\x00\x00", 19);
    for (int i = 0; i < 16; ++i)
        huge += QByteArray("\x2c\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0", 15);
    huge += ';';
    const QByteArray manyGif = *EncodeGif(many);
    const struct {
        const char* name;
        QByteArray data;
        const char* format;
        QSize cap;
        const char* cause;
    } rows[] = {
        {"sizes differ", HexSet({small, wide}), "hex", {}, "line 8: frame 1 is 16 x 4 but frame 0 is 8 x 4"},
        {"bad value", HexSet({small, small, bad}), "hex", {}, "line 18 (frame 2): value 300 is above 255"},
        {"1025 labels", HexSet(std::vector<QByteArray>(1025, small)), "hex", {}, "more than 1024 frames"},
        {"bad delay", "w_0:\r\n; delay 0 ms\r\n" + small, "hex", {}, "line 2: a delay is 1..65535 ms"},
        {"C rows", "#define W_WIDTH 8\n#define W_HEIGHT 4\nconst char w[2][4] = {{1,2,3,4},{1,2,3}};\n", "c", {},
         "frame 1 holds 3 bytes"},
        {"truncated GIF", gif.left(gif.size() - 9), "gif", {240, 120}, "cut short"},
        {"GIF without trailer", gif.chopped(1), "gif", {240, 120}, "cut short"},
        {"GIF canvas", big, "gif", {100, 100}, "a GIF of 240 x 120 pixels"},
        {"1025 GIF frames", manyGif, "gif", {240, 120}, "more than 1024 frames"},
        {"GIF budget", huge, "gif", {4096, 4096}, "more than 256 million pixels"},
        {"GIF in budget", huge.left(huge.size() - 16) + ';', "gif", {4096, 4096}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QString why;
        if (row.cap.isValid()) {
            EXPECT_EQ(bool(DecodeGifFrames(row.data, row.cap, &why)), *row.cause == 0);
        } else {
            EXPECT_FALSE(Format(row.format).decodeSet(row.data, {}, &why));
        }
        EXPECT_TRUE(why.contains(QLatin1String(row.cause))) << why.toStdString() << "\n" << row.cause;
    }
}

// A C array set compiles with the system's compiler in every order and
// holds the bytes and delays it says.
TEST(SetFormats, CArraySetCompilesInEveryOrder)
{
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    if (cc.isEmpty())
        GTEST_SKIP() << "needs the system C compiler cc";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile main(dir.filePath(QStringLiteral("main.c")));
    ASSERT_TRUE(main.open(QIODevice::WriteOnly));
    main.write("#include <stdio.h>\n#include \"walk.h\"\n#include \"walk.h\"\nint main(void) {\n"
               "  printf(\"%d %d %d %u %u %u\", WALK_FRAMES, WALK_WIDTH, WALK_HEIGHT, (unsigned)sizeof walk[0],\n"
               "         walk[2][1], walk_delays[1]);\n  return 0;\n}\n");
    main.close();
    const MonoSet set = ThreeFrames(21, 11);
    for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Lsb, ByteOrder::Pages}) {
        SCOPED_TRACE(ByteOrderName(order));
        ASSERT_TRUE(WritePictureSetFile(dir.filePath(QStringLiteral("walk.h")), set, ExportOptions{order, {}, false}));
        int code = 0;
        const QByteArray said = Tool(cc, {QStringLiteral("-std=c99"), QStringLiteral("-Wall"), QStringLiteral("-Werror"),
                                         QStringLiteral("-pedantic"), QStringLiteral("-o"), QStringLiteral("show"),
                                         QStringLiteral("main.c")},
                                     dir.path(), &code);
        ASSERT_EQ(code, 0) << said.toStdString();
        const std::vector<std::uint8_t> packed = [&] {
            std::vector<std::uint8_t> bytes;
            QByteArray text = *EncodePicture(set.frames[2], Format("c"), ExportOptions{order, QStringLiteral("x"), false});
            const int at = text.indexOf("0x", text.indexOf("0x") + 1);  // the second byte
            bytes.push_back(std::uint8_t(text.mid(at + 2, 2).toUInt(nullptr, 16)));
            return bytes;
        }();
        const QByteArray expected = QStringLiteral("3 21 11 %1 %2 250")
                                        .arg(order == ByteOrder::Pages ? 42 : 33)
                                        .arg(packed[0])
                                        .toLatin1();
        EXPECT_EQ(Tool(dir.filePath(QStringLiteral("show")), {}, dir.path()), expected);
    }
}

// The command line: a hex set through C, GIF and PNG and back, one frame
// picked for a format of one picture, and a set refused where it does not
// fit; ImageMagick counts the GIF's frames and delays.
TEST(SetFormats, CommandLineExportsSets)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const MonoSet set = ThreeFrames(16, 8);
    ASSERT_TRUE(WritePictureSetFile(dir.filePath(QStringLiteral("walk.db")), set, {}));
    const QString tobrin = QStringLiteral(TOBRIN_BINARY);
    const struct {
        QStringList args;
        int code;
        const char* said;
    } steps[] = {
        {{"walk.db", "-o", "walk.c", "--name", "walk", "--order", "pages"}, 0, ""},
        {{"walk.c", "-o", "walk.gif"}, 0, ""},
        {{"walk.gif", "-o", "back.txt"}, 0, ""},
        {{"back.txt", "-o", "sheet.png", "--sheet", "2"}, 0, ""},
        {{"walk.gif", "-o", "one.xbm", "--frame", "1"}, 0, ""},
        {{"walk.db", "-o", "walk.xbm"}, 1,
         "tobrin export: walk.xbm: X11 bitmap holds one picture and walk.db has 3 frames; choose one with --frame N"},
        {{"walk.db", "-o", "x.pbm", "--frame", "3"}, 1, "walk.db: it has 3 frame(s); --frame takes 0..2"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.args.join(QLatin1Char(' ')).toStdString());
        int code = 0;
        const QByteArray said = Tool(tobrin, QStringList{QStringLiteral("export")} + step.args, dir.path(), &code);
        EXPECT_EQ(code, step.code) << said.toStdString();
        EXPECT_TRUE(said.contains(step.said)) << said.toStdString();
    }
    const std::optional<MonoSet> back = ReadPictureSetFile(dir.filePath(QStringLiteral("back.txt")));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->frames == set.frames);
    EXPECT_EQ(back->delays, set.delays);
    EXPECT_TRUE(ReadAll(dir.filePath(QStringLiteral("back.txt"))).startsWith("back_0:"));
    EXPECT_TRUE(*ReadPictureFile(dir.filePath(QStringLiteral("one.xbm"))) == set.frames[1]);
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("sheet.png"))).size(), QSize(32, 16));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("walk.xbm"))));
    const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
    if (!identify.isEmpty()) {
        EXPECT_EQ(Tool(identify, {QStringLiteral("-format"), QStringLiteral("%T %wx%h;"), QStringLiteral("walk.gif")},
                       dir.path()),
                  "10 16x8;25 16x8;4 16x8;");
    }
}

}  // namespace
}  // namespace tobrin
