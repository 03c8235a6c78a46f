#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <random>

#include "core/formats.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

using testfiles::RandomPicture;

// Ones and zeros, row by row: the plain netpbm form, written by hand.
QByteArray PlainPbm(const MonoPicture& p)
{
    QByteArray out = "P1\n# test\n" + QByteArray::number(p.width) + " " + QByteArray::number(p.height) + "\n";
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x)
            out += p.At(x, y) ? "1 " : "0 ";
        out += '\n';
    }
    return out;
}

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun Execute(const QString& program, const QStringList& args, const QString& dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program, args);
    ToolRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

void WriteRaw(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
}

struct Written {
    const char* name;
    const FileFormat& format;
    ByteOrder order;
};
const Written kEveryExport[] = {
    {"hex", Format("hex"), ByteOrder::Msb},  {"c msb", Format("c"), ByteOrder::Msb},
    {"c lsb", Format("c"), ByteOrder::Lsb}, {"c pages", Format("c"), ByteOrder::Pages},
    {"xbm", Format("xbm"), ByteOrder::Msb},      {"pbm", Format("pbm"), ByteOrder::Msb},
    {"png", Format("png"), ByteOrder::Msb},      {"gif", Format("gif"), ByteOrder::Msb},
};

TEST(Formats, EveryExportReadsBackToTheSamePictureAtEveryWidth)
{
    for (int w = 4; w <= kMaxWidth; ++w) {
        // Heights sampled over 4..120, both ends included.
        const int h = w == 4 ? 4 : w == kMaxWidth ? kMaxHeight : 4 + (w * 37) % 117;
        const MonoPicture picture = RandomPicture(w, h, unsigned(w));
        for (const Written& f : kEveryExport) {
            ExportOptions options;
            options.order = f.order;
            const std::optional<QByteArray> data = EncodePicture(picture, f.format, options, QStringLiteral("pic"));
            ASSERT_TRUE(data) << f.name << " " << w << "x" << h;
            const std::optional<MonoPicture> back = DecodePicture(*data, f.format);
            ASSERT_TRUE(back) << f.name << " " << w << "x" << h;
            ASSERT_TRUE(*back == picture) << f.name << " " << w << "x" << h;
        }
    }
}

TEST(Formats, ExtensionChoosesTheFormat)
{
    EXPECT_STREQ(FormatForPath(QStringLiteral("a/logo.C")).id, "c");
    EXPECT_STREQ(FormatForPath(QStringLiteral("logo.h")).id, "c");
    EXPECT_STREQ(FormatForPath(QStringLiteral("x.XBM")).id, "xbm");
    EXPECT_STREQ(FormatForPath(QStringLiteral("x.pbm")).id, "pbm");
    EXPECT_STREQ(FormatForPath(QStringLiteral("x.bmp")).id, "bmp");
    EXPECT_STREQ(FormatForPath(QStringLiteral("x.png.txt")).id, "hex");
    EXPECT_STREQ(FormatForPath(QStringLiteral("x.asm")).id, "hex");
    EXPECT_EQ(CNameFromPath(QStringLiteral("/tmp/my logo-2.c")), QStringLiteral("my_logo_2"));
    EXPECT_EQ(CNameFromPath(QStringLiteral("2x.h")), QStringLiteral("_2x"));
    EXPECT_EQ(CNameFromPath(QStringLiteral("int.c")), QStringLiteral("_int"));
    EXPECT_FALSE(IsCIdentifier(QStringLiteral("static")));
    EXPECT_FALSE(IsCIdentifier(QStringLiteral("9a")));
}

TEST(Formats, CArrayLayoutAndOrderComment)
{
    MonoPicture p;
    p.width = 10;
    p.height = 9;
    p.At(0, 0) = 1;  // msb 0x80, lsb 0x01, pages byte 0 bit 0
    p.At(9, 8) = 1;  // msb row 8 byte 1 0x40; pages page 1 column 9 bit 0
    ExportOptions options;
    options.name = QStringLiteral("logo");
    const QByteArray text = *EncodePicture(p, Format("c"), options);
    EXPECT_TRUE(text.contains("#define LOGO_WIDTH 10\n#define LOGO_HEIGHT 9\n"));
    EXPECT_TRUE(text.contains("static const unsigned char logo[18] = {\n    0x80, 0x00, 0x00,"));
    EXPECT_TRUE(text.contains("byte order: msb"));
    options.order = ByteOrder::Pages;
    const QByteArray pages = *EncodePicture(p, Format("c"), options);
    EXPECT_TRUE(pages.contains("logo[20] = {\n    0x01, 0x00,")) << pages.toStdString();
    // The comment tells the reader the order; a user's choice overrides it.
    EXPECT_TRUE(*DecodePicture(pages, Format("c")) == p);
    QByteArray bare = pages;
    bare.replace("byte order: pages", "");
    EXPECT_FALSE(DecodePicture(bare, Format("c")));  // 20 bytes are not msb rows
    ReadOptions said;
    said.cOrder = ByteOrder::Pages;
    EXPECT_TRUE(*DecodePicture(bare, Format("c"), said) == p);
    EXPECT_FALSE(EncodePicture(p, Format("c"), ExportOptions{ByteOrder::Msb, QStringLiteral("a b"), false}));
    const QString longName(150, QLatin1Char('n'));
    for (const FileFormat* f : {&Format("c"), &Format("xbm")})
        EXPECT_TRUE(*DecodePicture(*EncodePicture(p, *f, ExportOptions{ByteOrder::Lsb, longName, false}), *f) == p);
}

// What Save needs to write a C array back as it was read.
TEST(Formats, CArrayOptionsOfAFile)
{
    MonoPicture p;
    p.width = 12;
    p.height = 8;
    p.At(3, 5) = 1;
    const QByteArray pages = *EncodePicture(p, Format("c"), ExportOptions{ByteOrder::Pages, "splash", false});
    const std::optional<ExportOptions> read = CArrayOptionsOf(pages);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->order, ByteOrder::Pages);
    EXPECT_EQ(read->name, QStringLiteral("splash"));
    QByteArray bare = pages;
    bare.replace("byte order: pages", "");
    ReadOptions said;
    said.cOrder = ByteOrder::Pages;
    EXPECT_EQ(CArrayOptionsOf(bare, said)->order, ByteOrder::Pages);
    EXPECT_FALSE(CArrayOptionsOf(bare));  // not a picture in msb rows
    EXPECT_FALSE(CArrayOptionsOf(QByteArray(".db 8, 4\r\n")));
}

TEST(Formats, ReadersRefuseAnythingElse)
{
    const MonoPicture p = RandomPicture(12, 5, 7);
    const QByteArray c = *EncodePicture(p, Format("c"), {}, QStringLiteral("p"));
    const QByteArray xbm = *EncodePicture(p, Format("xbm"), {}, QStringLiteral("p"));
    const QByteArray pbm = *EncodePicture(p, Format("pbm"), {});
    QImage grey(8, 8, QImage::Format_RGB32);
    grey.fill(qRgb(0, 0, 0));
    grey.setPixel(3, 3, qRgb(128, 128, 128));
    QImage large(241, 8, QImage::Format_Mono);
    large.fill(0);
    const auto encoded = [](const QImage& image, const char* format) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    };
    QImage jpeg(8, 8, QImage::Format_RGB32);
    jpeg.fill(Qt::white);

    const struct {
        const char* name;
        const FileFormat& format;
        QByteArray data;
    } cases[] = {
        {"c: a byte short", Format("c"), QByteArray(c).remove(c.lastIndexOf(", 0x"), 6).replace("p[10]", "p[]")},
        {"c: value above 255", Format("c"), QByteArray(c).replace("{\n    0x", "{\n    0x1")},
        {"c: width 3", Format("c"), QByteArray(c).replace("P_WIDTH 12", "P_WIDTH 3")},
        {"c: width 241", Format("c"), QByteArray(c).replace("P_WIDTH 12", "P_WIDTH 241")},
        {"c: declared count differs", Format("c"), QByteArray(c).replace("p[10]", "p[11]")},
        {"c: a second array", Format("c"), c + "static const unsigned char q[] = {1};\n"},
        {"c: code", Format("c"), QByteArray(c).replace("#endif", "int main(void) { return 0; }\n#endif")},
        {"c: unterminated comment", Format("c"), c + "/* "},
        {"c: no height", Format("c"), QByteArray(c).replace("#define P_HEIGHT 5\n", "")},
        {"xbm: X10 shorts", Format("xbm"), QByteArray(xbm).replace("unsigned char", "short")},
        {"xbm: include", Format("xbm"), "#include <stdio.h>\n" + xbm},
        {"pbm: raster cut", Format("pbm"), pbm.left(pbm.size() - 1)},
        {"pbm: greymap", Format("pbm"), QByteArray(pbm).replace("P4", "P5")},
        {"pbm: height 121", Format("pbm"), "P1\n4 121\n" + QByteArray(4 * 121, '0')},
        {"pbm: digit 2", Format("pbm"), "P1 4 4 0000000000000002"},
        {"pbm: no blank after magic", Format("pbm"), "P14 4 0000000000000000"},
        {"png: a grey pixel", Format("png"), encoded(grey, "PNG")},
        {"bmp: 241 wide", Format("bmp"), encoded(large, "BMP")},
        {"jpeg", Format("png"), encoded(jpeg, "JPG")},
        {"empty", Format("png"), QByteArray()},
    };
    for (const auto& k : cases)
        EXPECT_FALSE(DecodePicture(k.data, k.format)) << k.name;
    // The unchanged files do read (so each case above fails for its reason).
    EXPECT_TRUE(DecodePicture(c, Format("c")));
    EXPECT_TRUE(DecodePicture(xbm, Format("xbm")));
    EXPECT_TRUE(DecodePicture("P1 4 4 0000000000000001", Format("pbm")));
    grey.setPixel(3, 3, qRgb(255, 255, 255));
    EXPECT_TRUE(DecodePicture(encoded(grey, "BMP"), Format("bmp")));
}

TEST(Formats, FilesAreCheckedBeforeTheyAreRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const MonoPicture p = RandomPicture(9, 6, 1);
    // A .bmp name gets a BMP, which opens again.
    QString error;
    ASSERT_TRUE(WritePictureFile(dir.filePath(QStringLiteral("p.bmp")), p, {}, &error)) << error.toStdString();
    QFile bmp(dir.filePath(QStringLiteral("p.bmp")));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    EXPECT_TRUE(bmp.read(2) == "BM");
    EXPECT_TRUE(*ReadPictureFile(bmp.fileName()) == p);
    // A folder, and a file above the size limit, are refused unread.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.pbm")));
    EXPECT_FALSE(ReadPictureFile(dir.filePath(QStringLiteral("folder.pbm"))));
    QByteArray big = *EncodePicture(p, Format("xbm"), {}, QStringLiteral("big"));
    big += QByteArray(int(kMaxFileBytes), ' ');
    ASSERT_TRUE(DecodePicture(big.left(int(kMaxFileBytes)), Format("xbm")));
    WriteRaw(dir.filePath(QStringLiteral("big.xbm")), big);
    EXPECT_FALSE(ReadPictureFile(dir.filePath(QStringLiteral("big.xbm"))));
}

// ---- other programs --------------------------------------------------------------

TEST(FormatsInterop, ImageMagickAndNetpbmBitmapsOpen)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    const QString pamtopnm = QStandardPaths::findExecutable(QStringLiteral("pamtopnm"));
    const QString pbmtoxbm = QStandardPaths::findExecutable(QStringLiteral("pbmtoxbm"));
    if (convert.isEmpty() || pamtopnm.isEmpty() || pbmtoxbm.isEmpty())
        GTEST_SKIP() << "needs ImageMagick's convert and netpbm's pamtopnm and pbmtoxbm "
                        "(Debian packages imagemagick and netpbm, installed by scripts/setup.sh)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QSize size : {QSize(4, 4), QSize(13, 7), QSize(240, 120)}) {
        const MonoPicture p = RandomPicture(size.width(), size.height(), unsigned(size.width()));
        // netpbm names the bitmap after the file: "8x8_width", as X11 allows.
        WriteRaw(dir.filePath(QStringLiteral("8x8.pbm")), PlainPbm(p));
        const struct {
            const char* out;
            QString program;
            QStringList args;
        } tools[] = {
            {"magick.xbm", convert, {QStringLiteral("8x8.pbm"), QStringLiteral("magick.xbm")}},
            {"magick.pbm", convert, {QStringLiteral("8x8.pbm"), QStringLiteral("magick.pbm")}},
            {"netpbm.pbm", pamtopnm, {QStringLiteral("8x8.pbm")}},
            {"netpbm.xbm", pbmtoxbm, {QStringLiteral("8x8.pbm")}},
        };
        for (const auto& t : tools) {
            SCOPED_TRACE(std::string(t.out) + " " + std::to_string(size.width()));
            const ToolRun r = Execute(t.program, t.args, dir.path());
            ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
            if (!r.out.isEmpty())
                WriteRaw(dir.filePath(QString::fromLatin1(t.out)), r.out);
            const std::optional<MonoPicture> back = ReadPictureFile(dir.filePath(QString::fromLatin1(t.out)));
            ASSERT_TRUE(back);
            EXPECT_TRUE(*back == p);
        }
        EXPECT_TRUE(Execute(pamtopnm, {QStringLiteral("8x8.pbm")}, dir.path()).out.startsWith("P4"));
    }
}

// X11 bitmaps other programs wrote (Debian's xbitmaps) open as X11 reads
// them (names such as "1x1", negative hot spots) and hold the pixels
// ImageMagick makes of them; those of no picture size are refused by it.
TEST(FormatsInterop, X11BitmapsOfOtherProgramsOpen)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    const QDir bitmaps(QStringLiteral("/usr/include/X11/bitmaps"));
    if (convert.isEmpty() || bitmaps.entryList(QDir::Files).isEmpty())
        GTEST_SKIP() << "needs ImageMagick's convert and /usr/include/X11/bitmaps "
                        "(Debian packages imagemagick and xbitmaps, installed by scripts/setup.sh)";
    static const QRegularExpression size(QStringLiteral("_width\\s+(\\d+).*_height\\s+(\\d+)"),
                                         QRegularExpression::DotMatchesEverythingOption);
    int read = 0;
    int refused = 0;
    for (const QString& name : bitmaps.entryList(QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        QFile file(bitmaps.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        const QRegularExpressionMatch said = size.match(QString::fromLatin1(data));
        ASSERT_TRUE(said.hasMatch());
        const int w = said.captured(1).toInt();
        const int h = said.captured(2).toInt();
        QString why;
        const std::optional<MonoPicture> p = DecodePicture(data, Format("xbm"), {}, &why);
        if (w < 4 || w > kMaxWidth || h < 4 || h > kMaxHeight) {
            EXPECT_FALSE(p);
            const QString sizeRule = QStringLiteral("size %1 x %2 is outside 4..240 x 4..120").arg(w).arg(h);
            EXPECT_EQ(why.toStdString(), sizeRule.toStdString());
            ++refused;
            continue;
        }
        ASSERT_TRUE(p) << why.toStdString();
        const ToolRun magick = Execute(convert, {QStringLiteral("xbm:") + file.fileName(), QStringLiteral("pbm:-")},
                                       bitmaps.path());
        ASSERT_EQ(magick.exitCode, 0) << magick.err.toStdString();
        const std::optional<MonoPicture> expected = DecodePicture(magick.out, Format("pbm"));
        ASSERT_TRUE(expected);
        EXPECT_TRUE(*p == *expected);
        ++read;
    }
    EXPECT_GT(read, 50);
    EXPECT_GT(refused, 5);
}

// A C array compiles on its own (included twice, even) and holds the bytes
// its comment describes.
TEST(FormatsInterop, CArrayCompilesAndHoldsThePicture)
{
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    if (cc.isEmpty())
        GTEST_SKIP() << "needs the system C compiler cc";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const MonoPicture p = RandomPicture(21, 11, 3);
    WriteRaw(dir.filePath(QStringLiteral("main.c")),
             "#include <stdio.h>\n#include \"logo.h\"\n#include \"logo.h\"\n"
             "int main(void) {\n  printf(\"%d %d\", LOGO_WIDTH, LOGO_HEIGHT);\n"
             "  for (unsigned i = 0; i < sizeof logo; ++i) printf(\" %u\", logo[i]);\n  return 0;\n}\n");
    for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Lsb, ByteOrder::Pages}) {
        SCOPED_TRACE(ByteOrderName(order));
        QString error;
        ASSERT_TRUE(WritePictureFile(dir.filePath(QStringLiteral("logo.h")), p,
                                     ExportOptions{order, QStringLiteral("logo"), false}, &error))
            << error.toStdString();
        const ToolRun build = Execute(cc, {QStringLiteral("-std=c99"), QStringLiteral("-Wall"), QStringLiteral("-Wextra"),
                                       QStringLiteral("-pedantic"), QStringLiteral("-Werror"), QStringLiteral("-o"),
                                       QStringLiteral("show"), QStringLiteral("main.c")},
                                  dir.path());
        ASSERT_EQ(build.exitCode, 0) << build.err.toStdString();
        const QList<QByteArray> words = Execute(dir.filePath(QStringLiteral("show")), {}, dir.path()).out.split(' ');
        ASSERT_GE(words.size(), 2);
        EXPECT_EQ(words[0], "21");
        EXPECT_EQ(words[1], "11");
        // The bytes, unpacked by the layout's own rule.
        const int perRow = (p.width + 7) / 8;
        const qsizetype count = order == ByteOrder::Pages ? p.width * ((p.height + 7) / 8) : perRow * p.height;
        ASSERT_EQ(words.size(), count + 2);
        MonoPicture got;
        got.width = p.width;
        got.height = p.height;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const int byte = order == ByteOrder::Pages ? (y / 8) * p.width + x : y * perRow + x / 8;
                const int bit = order == ByteOrder::Pages ? y % 8 : order == ByteOrder::Msb ? 7 - x % 8 : x % 8;
                got.At(x, y) = std::uint8_t((words[2 + byte].toInt() >> bit) & 1);
            }
        EXPECT_TRUE(got == p);
    }
}

}  // namespace
}  // namespace tobrin
