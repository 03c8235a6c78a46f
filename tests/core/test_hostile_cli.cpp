// Hostile inputs through the real binary ("tobrin import", "tobrin export"):
// lying headers, truncated and empty files, huge hex texts, odd bytes and
// odd file names, and metafiles that stall or flood the renderer. Each must
// end in the right message, quickly and in little memory, and never leave
// a partial output behind.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <sys/stat.h>

#include "imagefiles.h"
#include "core/picturedata.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"
#include "core/imageloader.h"
#include "test_hostile_support.h"

namespace tobrin {
namespace {

using namespace hostile;
using namespace testfiles;

const QByteArray kImportError = "File Import Error";

// A byte string literal, NUL bytes included.
template <std::size_t N>
QByteArray B(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}

// Image plugins (JPEG, ICO) need an application object to be found.
void EnsureApp()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteRaw(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(data), data.size());
}

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The import failed the way the user is told about it.
void ExpectImportError(const Measured& m, const char* what)
{
    EXPECT_TRUE(m.started) << what;
    EXPECT_FALSE(m.killed) << what << ": still running after the runner's limit";
    EXPECT_EQ(m.signal, 0) << what << ": ended by a signal";
    EXPECT_EQ(m.exitCode, 1) << what << "\n" << m.err.toStdString();
    EXPECT_TRUE(m.err.contains(kImportError)) << what << "\n" << m.err.toStdString();
    // ... and the line after it names the file and the cause.
    static const QRegularExpression cause(QStringLiteral("\ntobrin (export|import): [^\n]+: [^\n]+\n"));
    EXPECT_TRUE(cause.match(QString::fromLocal8Bit(m.err)).hasMatch()) << what << "\n" << m.err.toStdString();
}

// Time and memory within bounds, unless the case is a known open problem:
// then the numbers are only reported.
void ExpectBounded(const Measured& m, const char* what, const char* knownIssue = nullptr)
{
    Report(what, m);
    if (knownIssue)
        return;
    TOBRIN_EXPECT_QUICK(m, TimeBoundMs(), what);
    if (CheckMemory()) {
        EXPECT_LE(m.maxRssKb, kMemoryBoundKb) << what;
    }
}

QByteArray PatchJpegSize(QByteArray jpeg, quint16 width, quint16 height)
{
    // Baseline start-of-frame: FF C0, length, precision, height, width.
    const int sof = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    if (sof < 0 || sof + 9 > jpeg.size())
        return QByteArray();
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

QByteArray GifHeaderOnly(quint16 width, quint16 height)
{
    QByteArray b("GIF89a");
    Put16(b, width);
    Put16(b, height);
    b.append('\0');  // no colour table
    b.append('\0');
    b.append('\0');
    b.append(',');
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, width);
    Put16(b, height);
    b.append('\0');
    b.append(char(2));
    b.append('\0');
    b.append(';');
    return b;
}

// A metafile that keeps the renderer busy: a thousand filled rectangles over
// a 2000 x 2000 frame, a few kilobytes that take libwmf many seconds.
QByteArray StallingMetafile()
{
    WmfRecords r;
    r.Add(0x020B, {0, 0});
    r.Add(0x020C, {2000, 2000});
    r.Add(0x02FC, {0, 0, 0, 0});
    r.Add(0x012D, {0});
    r.Add(0x02FA, {5, 0, 0, 0, 0});
    r.Add(0x012D, {1});
    for (int i = 0; i < 1000; ++i)
        r.Add(0x041B, {2000, 2000, 0, 0});
    return Metafile(2000, 2000, r);
}

// A metafile whose pen of absurd width makes libwmf allocate without end;
// only the renderer's address-space limit stops it.
QByteArray FloodingMetafile()
{
    WmfRecords r;
    r.Add(0x020C, {0, 0});
    r.Add(0x020C, {24, 12});
    r.Add(0x02FC, {0, 0, 0, 0});
    r.Add(0x012D, {0});
    r.Add(0x02FA, {0xFFFC, 0xFFFF, 0xFFFF, 0xFFFF, 0});
    r.Add(0x012D, {1});
    r.Add(0x0418, {11, 23, 4, 12});
    return Metafile(0x2418, 0x0C, r);
}

QString RepoPath(const QString& relative)
{
    // A compiler launcher such as ccache may make __FILE__ relative to the
    // build folder, which holds this binary's folder (tests/).
    QFileInfo source(QStringLiteral(__FILE__));
    if (source.isRelative())
        source = QFileInfo(QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath())
                               .dir()
                               .filePath(QStringLiteral("../" __FILE__)));
    return source.dir().absoluteFilePath(QStringLiteral("../../") + relative);
}

// ---- lying headers ------------------------------------------------------------------

TEST(HostileImport, GiantClaimsAreRefusedBeforeDecoding)
{
    EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* what;
        const char* name;
        QByteArray bytes;
    };
    const QByteArray jpeg = Jpeg(16, 8);
    // A text chunk after the header that claims 2 GB of a 300-byte file.
    const QByteArray png = Png(40, 20);
    const QByteArray claim = png.left(33) + QByteArray::fromHex("7682000C") + "tEXtFont" + png.mid(33);
    const Case cases[] = {
        {"PNG chunk claiming 2 GB", "claim.png", claim},
        {"BMP header claiming 65535 x 65535", "huge.bmp", BmpHeaderOnly(65535, 65535)},
        {"BMP header claiming 65535 x -65535", "huge-topdown.bmp", BmpHeaderOnly(65535, -65535)},
        {"RLE8 BMP claiming 16000 x 16000", "huge-rle.bmp", Rle8Bmp(16000, 16000)},
        {"PNG claiming 100000 x 100000", "huge.png", PngHeaderOnly(100000, 100000)},
        {"GIF claiming 65535 x 65535", "huge.gif", GifHeaderOnly(65535, 65535)},
        {"JPEG claiming 65500 x 65500", "huge.jpg", PatchJpegSize(jpeg, 65500, 65500)},
        {"packed DIB claiming 65535 x 65535", "huge.dib", PackedDib(BmpHeaderOnly(65535, 65535))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.bytes.isEmpty());
        const QString in = dir.filePath(QString::fromLatin1(c.name));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        WriteRaw(in, c.bytes);
        const Measured m = Tobrin({"import", Path(in), "-o", Path(out)});
        ExpectImportError(m, c.what);
        ExpectBounded(m, c.what);
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

// Small files that are valid and decode to tens of millions of pixels: the
// loader accepts up to ImageLoader::kMaxPixels, and the decoded copies then
// need several hundred megabytes.
TEST(HostileImport, SmallFilesThatDecodeToGiantImages)
{
    if (Sanitized())
        GTEST_SKIP() << "decodes hundreds of megabytes; measured in optimised builds only";
    EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage mono(7999, 7999, QImage::Format_Mono);
    mono.fill(0);
    struct Case {
        const char* what;
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"226-byte BMP decoding to 9 x 6778480", "tall.bmp",
         ReadAll(RepoPath(QStringLiteral("fuzz/regressions/fuzz_imageimport/bmp-4bit-9x6778480.bmp")))},
        {"RLE8 BMP decoding to 7999 x 7999", "square-rle.bmp", Rle8Bmp(7999, 7999)},
        {"1-bit PNG decoding to 7999 x 7999", "square.png", Encode(mono, "PNG")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.bytes.isEmpty());
        ASSERT_LT(c.bytes.size(), 64 * 1024);
        const QString in = dir.filePath(QString::fromLatin1(c.name));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        WriteRaw(in, c.bytes);
        const Measured m = Tobrin({"import", Path(in), "-o", Path(out)});
        EXPECT_EQ(m.signal, 0);
        EXPECT_TRUE(m.exitCode == 0 || (m.exitCode == 1 && m.err.contains(kImportError))) << m.err.toStdString();
        if (m.exitCode == 0) {
            EXPECT_TRUE(ReadHexPath(out).has_value());
        }
        ExpectBounded(m, c.what,
                      "up to 64 million pixels are decoded and copied at 4 bytes each; "
                      "ImageLoader must refuse or scale down such images before decoding");
        QFile::remove(out);
    }
    GTEST_SKIP() << "known problem: decoded images of up to ImageLoader::kMaxPixels take several hundred "
                    "megabytes and more than a second (see the [hostile] lines above)";
}

// JPEGs and PNGs are decoded row by row into the display copy, so small
// files that legitimately decode to up to 100 million pixels import in the
// memory of the display copy and a few rows. Their time is the decoder's
// (about that of djpeg for the same file), beyond the bound of a refusal.
TEST(HostileImport, StreamedGiantsImportInSmallMemory)
{
    EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage mono(10000, 10000, QImage::Format_Mono);
    mono.fill(1);
    const QByteArray jpeg = Jpeg(64, 64);
    struct Case {
        const char* what;
        const char* name;
        QByteArray bytes;
        bool damaged;  // refused at libjpeg's first complaint, not decoded on
    };
    const Case cases[] = {
        {"1-bit PNG decoding to 10000 x 10000", "giant.png", Encode(mono, "PNG"), false},
        {"cut JPEG decoding to 10000 x 10000", "giant.jpg", PatchJpegSize(jpeg, 10000, 10000), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.bytes.isEmpty());
        ASSERT_LT(c.bytes.size(), 256 * 1024);
        const QString in = dir.filePath(QString::fromLatin1(c.name));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        WriteRaw(in, c.bytes);
        const Measured m = Tobrin({"import", Path(in), "-o", Path(out), "--no-match-size", "--size", "240x120"});
        Report(c.what, m);
        EXPECT_EQ(m.exitCode, c.damaged ? 1 : 0) << m.err.toStdString();
        EXPECT_EQ(ReadHexPath(out).has_value(), !c.damaged);
        TOBRIN_EXPECT_QUICK(m, (c.damaged ? 1 : 10) * TimeBoundMs(), "");
        if (CheckMemory()) {
            EXPECT_LE(m.maxRssKb, 64 * 1024);
        }
        QFile::remove(out);
    }
}

// ---- truncated and empty files -------------------------------------------------------

TEST(HostileImport, TruncatedFilesOfEveryFormat)
{
    EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Format {
        const char* name;
        QByteArray bytes;
    };
    const Format formats[] = {
        {"picture.bmp", Bmp24(40, 20)}, {"indexed.bmp", Bmp8(40, 20)}, {"rle.bmp", Rle8Bmp(40, 20)},
        {"packed.dib", PackedDib(Bmp24(40, 20))}, {"picture.png", Png(40, 20)},
        {"picture.jpg", Jpeg(40, 20)}, {"picture.ico", Ico(32, 32)}, {"picture.gif", Gif(40, 20)},
        {"picture.wmf", Wmf(40, 20)},
    };
    long worstKb = 0;
    qint64 worstMs = 0;
    for (const Format& f : formats) {
        ASSERT_FALSE(f.bytes.isEmpty()) << f.name;
        const qsizetype size = f.bytes.size();
        for (const qsizetype cut : {qsizetype(0), qsizetype(1), qsizetype(8), qsizetype(16), qsizetype(30),
                                    size / 2, size - 1}) {
            const std::string what = std::string(f.name) + " cut to " + std::to_string(cut) + " bytes";
            SCOPED_TRACE(what);
            const QString in = dir.filePath(QString::fromLatin1(f.name));
            const QString out = dir.filePath(QStringLiteral("out.txt"));
            WriteRaw(in, f.bytes.left(cut));
            const Measured m = Tobrin({"import", Path(in), "-o", Path(out)});
            EXPECT_EQ(m.signal, 0);
            if (cut <= 16) {
                ExpectImportError(m, what.c_str());  // nothing to decode in a header stub
            } else {
                // A decoder may show what it got of a cut picture; anything
                // else must be the import error.
                EXPECT_TRUE(m.exitCode == 0 || (m.exitCode == 1 && m.err.contains(kImportError)))
                    << m.err.toStdString();
            }
            if (m.exitCode == 0)
                EXPECT_TRUE(ReadHexPath(out).has_value());
            else
                EXPECT_FALSE(QFileInfo::exists(out));
            TOBRIN_EXPECT_QUICK(m, TimeBoundMs(), "");
            if (CheckMemory()) {
                EXPECT_LE(m.maxRssKb, kMemoryBoundKb);
            }
            worstKb = std::max(worstKb, m.maxRssKb);
            worstMs = std::max(worstMs, m.ms);
            QFile::remove(out);
        }
    }
    Measured worst;
    worst.exitCode = 1;
    worst.ms = worstMs;
    worst.maxRssKb = worstKb;
    Report("truncated files, worst of 63", worst);
}

TEST(HostileFiles, EmptyFileForImportAndExport)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString empty = dir.filePath(QStringLiteral("empty.txt"));
    WriteRaw(empty, QByteArray());
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    Measured m = Tobrin({"export", Path(empty), "-o", Path(out)});
    ExpectImportError(m, "export of an empty file");
    ExpectBounded(m, "export: empty file");
    m = Tobrin({"import", Path(empty), "-o", Path(out)});
    ExpectImportError(m, "import of an empty file");
    ExpectBounded(m, "import: empty file");
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("empty.txt")});
}

// A pipe without a writer blocks whoever opens it for reading; a device
// such as /dev/zero never ends. Neither is a picture.
TEST(HostileFiles, PipesAndDevicesAreRefusedNotWaitedFor)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString folder = dir.filePath(QStringLiteral("folder.txt"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const char* const kNotRegular = "ImageLoader::Load opens the path although it is not a regular file "
                                    "and waits there for a writer; it must refuse such paths before opening";
    struct Case {
        const char* what;
        const char* command;
        QString path;
        const char* knownIssue;
    };
    const Case cases[] = {
        {"export: a pipe without a writer", "export", fifo, nullptr},
        {"import: a pipe without a writer", "import", fifo, kNotRegular},
        {"export: /dev/zero", "export", QStringLiteral("/dev/zero"), nullptr},
        {"import: /dev/zero", "import", QStringLiteral("/dev/zero"), nullptr},
        {"export: /dev/urandom", "export", QStringLiteral("/dev/urandom"), nullptr},
        {"import: /dev/urandom", "import", QStringLiteral("/dev/urandom"), nullptr},
        {"export: a folder", "export", folder, nullptr},
        {"import: a folder", "import", folder, nullptr},
    };
    QStringList knownIssues;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        // Waiting ends after a few seconds, whatever the build: a reader that
        // waits on a pipe or reads a device for ever would take any limit.
        const Measured m = Tobrin({c.command, Path(c.path), "-o", Path(out)}, {}, 2500);
        Report(c.what, m);
        EXPECT_FALSE(QFileInfo::exists(out));
        if (c.knownIssue && (m.killed || m.workMs > TimeBoundMs())) {
            knownIssues << QString::fromLatin1(c.what);
            continue;
        }
        ExpectImportError(m, c.what);
        TOBRIN_EXPECT_QUICK(m, TimeBoundMs(), "");
        if (CheckMemory()) {
            EXPECT_LE(m.maxRssKb, kMemoryBoundKb);
        }
    }
    if (!knownIssues.isEmpty())
        GTEST_SKIP() << "known problem, " << kNotRegular << ": " << knownIssues.join(QStringLiteral(", ")).toStdString();
}

// ---- huge hex texts ---------------------------------------------------------------

// Writes head, then chunk repeated up to about 100 MB, then tail.
void WriteHundredMegabytes(const QString& path, const QByteArray& head, const QByteArray& chunk,
                           const QByteArray& tail)
{
    constexpr qint64 kTotal = 100LL * 1024 * 1024;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(head), head.size());
    const QByteArray block = chunk.repeated(qsizetype((1 << 20) / chunk.size()));
    qint64 left = kTotal - head.size() - tail.size();
    while (left >= block.size()) {
        ASSERT_EQ(f.write(block), block.size());
        left -= block.size();
    }
    const QByteArray rest = chunk.repeated(qsizetype(left / chunk.size()));
    ASSERT_EQ(f.write(rest), rest.size());
    ASSERT_EQ(f.write(tail), tail.size());
}

TEST(HostileExport, HundredMegabyteHexTexts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray fullRow = ".db " + QByteArray("$ff,").repeated(29) + "$ff\r\n";

    struct Case {
        const char* what;
        QByteArray head, chunk, tail;
        const PictureData* result;  // null: rejected
        const char* knownIssue;
    };
    // Over 64 MB a text is refused unread, even one that starts with a
    // whole picture: a picture's text is at most about 16 KB.
    const Case cases[] = {
        {"100 MB: 240 x 120 header, then endless rows", ".db  240, 120\r\n", fullRow, {}, nullptr, nullptr},
        {"100 MB: one row line of 25 million values", ".db 8, 4\r\n.db ", "$ff,", "\r\n.db 1\r\n.db 2\r\n.db 3\r\n",
         nullptr, nullptr},
        {"100 MB: comment lines, no .db line", {}, "; nothing but a comment\r\n", {}, nullptr, nullptr},
        {"100 MB: .db lines with LF ends only", {}, ".db $1,$2\n", {}, nullptr, nullptr},
        {"100 MB: a first line of 50 million values", ".db ", "1,", "\r\n", nullptr, nullptr},
        {"100 MB: 100 million empty lines", {}, "\r", {}, nullptr, nullptr},
    };
    QStringList knownIssues;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString in = dir.filePath(QStringLiteral("huge.txt"));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        WriteHundredMegabytes(in, c.head, c.chunk, c.tail);
        if (&c == &cases[0]) {
            // Offered to the import as an image: no reader takes it.
            const Measured asImage = Tobrin({"import", Path(in), "-o", Path(out)});
            ExpectImportError(asImage, "100 MB hex text as an image");
            ExpectBounded(asImage, "import: 100 MB hex text as an image");
            EXPECT_FALSE(QFileInfo::exists(out));
        }
        const Measured m = Tobrin({"export", Path(in), "-o", Path(out)});
        QFile::remove(in);
        if (c.result) {
            EXPECT_EQ(m.exitCode, 0) << m.err.toStdString();
            EXPECT_EQ(ReadAll(out), SavedText(*c.result));
        } else {
            ExpectImportError(m, c.what);
            EXPECT_FALSE(QFileInfo::exists(out));
        }
        QFile::remove(out);
        ExpectBounded(m, c.what, c.knownIssue);
        if (c.knownIssue)
            knownIssues << QString::fromLatin1(c.what) + QStringLiteral(": ") + QString::fromLatin1(c.knownIssue);
    }
    if (!knownIssues.isEmpty())
        GTEST_SKIP() << "time bound not checked for known problems: " << knownIssues.join(QStringLiteral("; ")).toStdString();
}

// ---- odd bytes in a hex text -------------------------------------------------------

TEST(HostileExport, NulBytesAndInvalidUtf8)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PictureData d;
    d.MaxX = 7;
    d.MaxY = 3;
    d.PicData.fill(0);
    // Rows 0..3 hold 1, 2, 15, 255.
    d.Pic(7, 0) = 1;
    d.Pic(6, 1) = 1;
    for (int x = 4; x < 8; ++x)
        d.Pic(x, 2) = 1;
    for (int x = 0; x < 8; ++x)
        d.Pic(x, 3) = 1;
    const QByteArray good = SavedText(d);

    struct Case {
        const char* what;
        QByteArray bytes;
        bool accepted;
    };
    const Case cases[] = {
        {"NUL as a separator", B(".db 8,\0 4\r\n.db\0001\r\n.db 2\0\r\n.db $f\0f\r\n.db 255\r\n"), true},
        {"invalid UTF-8 between the values",
         B(".db \xff\xfe 8, \xc0\xaf 4\r\n.db \x80 1\r\n.db \xed\xa0\x80 2\r\n.db 15 \xf8\r\n.db 255\xc3\r\n"), true},
        {"NUL and invalid UTF-8 in leading lines",
         B("\0\xff\xfe\r\n\xef\xbb\xbf label\r\n.db 8, 4\r\n.db 1\r\n.db 2\r\n.db 15\r\n.db 255\r\n"), true},
        {"NUL inside the .db prefix", B(".d\0b 8, 4\r\n.d\0b 1\r\n.db 2\r\n.db 15\r\n.db 255\r\n"), false},
        {"UTF-8 byte-order mark on every line",
         B("\xef\xbb\xbf.db 8, 4\r\n\xef\xbb\xbf.db 1\r\n\xef\xbb\xbf.db 2\r\n\xef\xbb\xbf.db 15\r\n"
           "\xef\xbb\xbf.db 255\r\n"),
         false},
        {"UTF-16 text", B("\xff\xfe.\0d\0b\0 \0""8\0,\0""4\0\r\0\n\0"), false},
        {"NUL bytes only", QByteArray(4096, '\0'), false},
        {"a row cut by a NUL line", B(".db 8, 4\r\n.db 1\r\n\0\r\n.db 15\r\n.db 255\r\n"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString in = dir.filePath(QStringLiteral("odd.txt"));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        WriteRaw(in, c.bytes);
        const Measured m = Tobrin({"export", Path(in), "-o", Path(out)});
        if (c.accepted) {
            EXPECT_EQ(m.exitCode, 0) << m.err.toStdString();
            EXPECT_EQ(ReadAll(out), good);
        } else {
            ExpectImportError(m, c.what);
            EXPECT_FALSE(QFileInfo::exists(out));
        }
        ExpectBounded(m, c.what);
        QFile::remove(out);
    }
}

// ---- file names -----------------------------------------------------------------

TEST(HostilePaths, SpacesAndNonAsciiLetters)
{
    EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("with space/ñandú Ärger ✓ 名前"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const PictureData picture = RandomPicture(24, 10, 7, false);
    const QString hex = folder + QStringLiteral("/bild ä ö.txt");
    WriteRaw(hex, SavedText(picture));
    const QString bmp = folder + QStringLiteral("/Ürsprung é.bmp");
    QImage image(24, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 24; ++x)
            image.setPixel(x, y, picture.Pic(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    WriteRaw(bmp, Encode(image, "BMP"));

    for (const QByteArray& locale : {QByteArray("C.UTF-8"), QByteArray("C")}) {
        SCOPED_TRACE(locale.toStdString());
        const QList<QByteArray> env{"LC_ALL=" + locale, "LANG=" + locale};
        const QString hexOut = folder + QStringLiteral("/ausgabe ß ") + QString::fromLatin1(locale) + QStringLiteral(".txt");
        Measured m = Tobrin({"export", Path(hex), "-o", Path(hexOut)}, env);
        EXPECT_EQ(m.exitCode, 0) << m.err.toStdString();
        EXPECT_EQ(ReadAll(hexOut), SavedText(picture));
        ExpectBounded(m, "export: spaces and non-ASCII letters in paths");

        const QString pngOut = folder + QStringLiteral("/bild ø ") + QString::fromLatin1(locale) + QStringLiteral(".png");
        m = Tobrin({"export", Path(hex), "-o", Path(pngOut)}, env);
        EXPECT_EQ(m.exitCode, 0) << m.err.toStdString();
        EXPECT_EQ(QImage(pngOut).size(), QSize(24, 10));

        const QString imported = folder + QStringLiteral("/eingeführt ") + QString::fromLatin1(locale) + QStringLiteral(".txt");
        m = Tobrin({"import", Path(bmp), "-o", Path(imported)}, env);
        EXPECT_EQ(m.exitCode, 0) << m.err.toStdString();
        const auto back = ReadHexPath(imported);
        ASSERT_TRUE(back.has_value());
        PictureData got;
        UnpackHexPicture(*back, got);
        EXPECT_EQ(got.Width(), 24);
        EXPECT_EQ(got.Height(), 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 24; ++x)
                EXPECT_EQ(got.Pic(x, y), picture.Pic(x, y)) << x << "," << y;
        ExpectBounded(m, "import: spaces and non-ASCII letters in paths");
    }
}

// File names that are not UTF-8 cannot be named by a QString: the command
// must refuse them rather than read or write a file of another name.
TEST(HostilePaths, NamesThatAreNotUtf8)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray base = Path(dir.path());
    const QByteArray good = base + "/good.txt";
    WriteRaw(dir.filePath(QStringLiteral("good.txt")), SavedText(PictureData()));
    // The name U+FFFD stands for, which a lossy decoding would use instead.
    const QByteArray replacement = base + "/\xef\xbf\xbd.txt";

    const Measured out = Tobrin({"export", good, "-o", base + "/\xff.txt"});
    const bool wroteOtherName = QFile::exists(QFile::decodeName(replacement));
    const Measured in = Tobrin({"export", base + "/\xfe.txt", "-o", base + "/copy.txt"});
    const bool readOtherName = in.exitCode == 0;
    Report("export to a name that is not UTF-8", out);
    EXPECT_EQ(out.signal, 0);
    EXPECT_EQ(in.signal, 0);
    if (wroteOtherName || readOtherName)
        GTEST_SKIP() << "known problem: a file argument that is not UTF-8 is decoded with U+FFFD, so "
                        "export writes (and then reads) \"\xef\xbf\xbd.txt\" instead of the named file and "
                        "reports success; the command line must refuse arguments that do not survive "
                        "QFile::decodeName/encodeName";
    EXPECT_NE(out.exitCode, 0);
    EXPECT_NE(in.exitCode, 0);
}

// ---- metafiles ------------------------------------------------------------------

TEST(HostileImport, MetafileThatStallsTheRendererIsStoppedByItsTimeLimit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString tmp = dir.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(tmp));
    const QString in = dir.filePath(QStringLiteral("stall.wmf"));
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    WriteRaw(in, StallingMetafile());
    const Measured m = Tobrin({"import", Path(in), "-o", Path(out)}, {"TMPDIR=" + Path(tmp)});
    ExpectImportError(m, "stalling metafile");
    Report("metafile stalling libwmf (time limit)", m);
    // The renderer's own limit decides the time; the user waits that long.
    TOBRIN_EXPECT_QUICK(m, ImageLoader::kRendererTimeoutMs + TimeBoundMs(), "");
    if (CheckMemory()) {
        EXPECT_LE(m.maxRssKb, kMemoryBoundKb);
    }
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_TRUE(Entries(tmp).isEmpty()) << Entries(tmp).join(QLatin1Char(' ')).toStdString();
}

TEST(HostileImport, MetafileThatFloodsMemoryIsContained)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString in = dir.filePath(QStringLiteral("flood.wmf"));
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    WriteRaw(in, FloodingMetafile());
    const Measured m = Tobrin({"import", Path(in), "-o", Path(out)});
    // Under its address-space limit the renderer gives up at once; without
    // the limit (sanitizer builds) the time limit ends it. Either way the
    // import fails: a blank picture is no rendering.
    EXPECT_EQ(m.signal, 0);
    EXPECT_EQ(m.exitCode, 1);
    EXPECT_TRUE(m.err.contains(kImportError)) << m.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
    if (Sanitized()) {
        Report("metafile flooding libwmf's memory", m);
        TOBRIN_EXPECT_QUICK(m, ImageLoader::kRendererTimeoutMs + TimeBoundMs(), "");
    } else {
        ExpectBounded(m, "metafile flooding libwmf's memory");
    }
}

// ---- inputs that once found faults -------------------------------------------------

TEST(FuzzRegressions, HexReaderInputsStayHandled)
{
    const QDir dir(RepoPath(QStringLiteral("fuzz/regressions/fuzz_hexreader")));
    for (const QString& name : dir.entryList(QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        PictureData d;
        d.Pic(3, 3) = 1;
        const PictureData before = d;
        const auto picture = ReadHexPath(dir.filePath(name));
        if (!picture) {
            EXPECT_EQ(d.PicData, before.PicData);
            continue;
        }
        UnpackHexPicture(*picture, d);
        const std::string text = HexText(d);
        QTemporaryDir tmp;
        ASSERT_TRUE(tmp.isValid());
        WriteRaw(tmp.filePath(QStringLiteral("again.txt")), QByteArray::fromStdString(text));
        const auto again = ReadHexPath(tmp.filePath(QStringLiteral("again.txt")));
        ASSERT_TRUE(again.has_value());
        PictureData e;
        UnpackHexPicture(*again, e);
        EXPECT_EQ(e.PicData, d.PicData);
        EXPECT_EQ(e.MaxX, d.MaxX);
        EXPECT_EQ(e.MaxY, d.MaxY);
    }
}

TEST(FuzzRegressions, ImageInputsEndInAPictureOrTheImportError)
{
    const QDir dir(RepoPath(QStringLiteral("fuzz/regressions/fuzz_imageimport")));
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    for (const QString& name : dir.entryList(QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const QString out = tmp.filePath(QStringLiteral("out.txt"));
        const Measured m = Tobrin({"import", Path(dir.filePath(name)), "-o", Path(out)});
        EXPECT_EQ(m.signal, 0);
        EXPECT_TRUE(m.exitCode == 0 || (m.exitCode == 1 && m.err.contains(kImportError))) << m.err.toStdString();
        QFile::remove(out);
    }
}

}  // namespace
}  // namespace tobrin
