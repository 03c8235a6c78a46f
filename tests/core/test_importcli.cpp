#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

#include "core/formats.h"
#include "core/hexwriter.h"
#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

struct CliRun {
    int exitCode = -1;
    QString stderrText;
};

class ImportCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testfiles::EnsureApp();
        ASSERT_TRUE(dir_.isValid());
        loader_.SetRendererProgram(QStringLiteral(TOBRIN_BINARY));
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return Path(name);
    }

    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static CliRun Tobrin(QStringList args)
    {
        QProcess p;
        args.prepend(QStringLiteral("import"));
        p.start(QStringLiteral(TOBRIN_BINARY), args);
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
    }

    // What Save writes after the dialog's Import: the hex text and one more
    // line end.
    QByteArray Expected(const QString& image, const std::function<void(ImportPipeline&)>& settle)
    {
        ImportPipeline p;
        p.BeginLoad();
        EXPECT_TRUE(p.FinishLoad(image, loader_));
        if (settle)
            settle(p);
        PictureData d;
        p.GetImport(d);
        return QByteArray::fromStdString(HexText(d)) + "\r\n";
    }

    QTemporaryDir dir_;
    ImageLoader loader_;
};

QImage Pattern(int w, int h)
{
    // Colours that split differently under each component choice and
    // threshold, and a black bar so the aspect shows.
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, y < h / 6 ? qRgb(0, 0, 0) : qRgb((x * 7) % 256, (y * 11) % 256, ((x + y) * 5) % 256));
    return image;
}

struct AgreeCase {
    const char* name;
    QStringList args;
    std::function<void(ImportPipeline&)> dialog;  // the same settings made as a user would
};

TEST_F(ImportCliTest, AgreesWithTheDialogsPipeline)
{
    const QString small = Write(QStringLiteral("small.png"), testfiles::Encode(Pattern(100, 50), "PNG"));
    const QString large = Write(QStringLiteral("large.bmp"), testfiles::Encode(Pattern(400, 100), "BMP"));
    const AgreeCase cases[] = {
        {"defaults", {}, nullptr},
        {"threshold", {"--threshold", "60"},
         [](ImportPipeline& p) {
             p.SetTolerance(60);
             p.ConvertImage();
         }},
        {"red and green", {"--components", "rg"},
         [](ImportPipeline& p) {
             p.SetBlue(false);
             p.ConvertImage();
         }},
        {"blue only, inverted", {"--components=b", "--invert"},
         [](ImportPipeline& p) {
             p.SetRed(false);
             p.ConvertImage();
             p.SetGreen(false);
             p.ConvertImage();
             p.SetInvert(true);
             p.ConvertImage();
         }},
        {"size keeps aspect", {"--size", "60x20"},
         [](ImportPipeline& p) {
             p.SetHSize(60);
             p.SetVSize(20);
             p.ConvertImage();
         }},
        {"size without aspect", {"--size", "60x20", "--no-aspect"},
         [](ImportPipeline& p) {
             p.SetHSize(60);
             p.SetVSize(20);
             p.SetAspect(false);
             p.ConvertImage();
         }},
        {"atkinson at a threshold, inverted", {"--dither", "atkinson", "--threshold=90", "--invert"},
         [](ImportPipeline& p) {
             p.SetDither(Dither::Atkinson);
             p.SetTolerance(90);
             p.SetInvert(true);
             p.ConvertImage();
         }},
        {"ordered 8x8 at a size", {"--dither=bayer8", "--size", "50x30", "--no-aspect"},
         [](ImportPipeline& p) {
             p.SetDither(Dither::Bayer8);
             p.SetHSize(50);
             p.SetVSize(30);
             p.SetAspect(false);
             p.ConvertImage();
         }},
        {"no match size", {"--no-match-size"},
         [](ImportPipeline& p) {
             p.SetMatchSize(false);
             p.ConvertImage();
         }},
    };
    for (const auto& c : cases) {
        const QString out = Path(QStringLiteral("out.txt"));
        QFile::remove(out);
        QStringList args{small, QStringLiteral("-o"), out};
        args += c.args;
        const CliRun run = Tobrin(args);
        ASSERT_EQ(run.exitCode, 0) << c.name << ": " << run.stderrText.toStdString();
        EXPECT_EQ(Read(out), Expected(small, c.dialog)) << c.name;
        if (c.args.isEmpty()) {
            EXPECT_TRUE(Read(out).startsWith(".db  100, 50\r\n"));  // Match size took the source's size
        }
    }

    // A source too large for Match size: 40 x 32 without aspect by default,
    // with it on request.
    const QString out = Path(QStringLiteral("large.txt"));
    ASSERT_EQ(Tobrin({large, QStringLiteral("-o"), out}).exitCode, 0);
    const QByteArray plain = Read(out);
    EXPECT_EQ(plain, Expected(large, nullptr));
    EXPECT_TRUE(plain.startsWith(".db  40, 32\r\n")) << plain.left(40).toStdString();
    EXPECT_TRUE(plain.endsWith("\r\n\r\n"));
    ASSERT_EQ(Tobrin({large, QStringLiteral("-o"), out, QStringLiteral("--aspect")}).exitCode, 0);
    const QByteArray kept = Read(out);
    EXPECT_EQ(kept, Expected(large, [](ImportPipeline& p) {
                  p.SetAspect(true);
                  p.ConvertImage();
              }));
    EXPECT_NE(kept, plain);
}

// OUT's extension picks the format, as for export; every one holds the
// picture the hex text holds.
TEST_F(ImportCliTest, OutputFormatFollowsTheExtension)
{
    const QString image = Write(QStringLiteral("small.png"), testfiles::Encode(Pattern(50, 20), "PNG"));
    const QString hex = Path(QStringLiteral("ref.txt"));
    ASSERT_EQ(Tobrin({image, QStringLiteral("-o"), hex, QStringLiteral("--dither"), QStringLiteral("fs")}).exitCode, 0);
    const std::optional<MonoPicture> expected = ReadPictureFile(hex);
    ASSERT_TRUE(expected);
    for (const char* name : {"pic.c", "pic.h", "pic.xbm", "pic.pbm", "pic.bmp", "pic.png", "pic.db"}) {
        const QString out = Path(QString::fromLatin1(name));
        const CliRun run = Tobrin({image, QStringLiteral("-o"), out, QStringLiteral("--dither"), QStringLiteral("fs"),
                                   QStringLiteral("--order"), QStringLiteral("pages"), QStringLiteral("--name"),
                                   QStringLiteral("art")});
        ASSERT_EQ(run.exitCode, 0) << name << ": " << run.stderrText.toStdString();
        const std::optional<MonoPicture> read = ReadPictureFile(out);
        ASSERT_TRUE(read) << name;
        EXPECT_TRUE(*read == *expected) << name;
    }
    const QByteArray c = Read(Path(QStringLiteral("pic.c")));
    EXPECT_TRUE(c.contains("byte order: pages") && c.contains("unsigned char art[")) << c.left(200).toStdString();
}

TEST_F(ImportCliTest, PngOutputHasOnePixelPerPicturePixel)
{
    const QString image = Write(QStringLiteral("half.gif"), testfiles::HalfBlackGif(30, 12));
    const QString out = Path(QStringLiteral("pic.png"));
    const CliRun run = Tobrin({image, QStringLiteral("-o"), out, QStringLiteral("--size"), QStringLiteral("20x10"),
                            QStringLiteral("--no-aspect")});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText.toStdString();
    QImage pic(out);
    ASSERT_EQ(pic.size(), QSize(20, 10));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(pic.pixel(x, y), x < 10 ? qRgb(0, 0, 0) : qRgb(255, 255, 255)) << x << "," << y;
}

TEST_F(ImportCliTest, PureRedFollowsTheComponents)
{
    QImage red(16, 8, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    const QString image = Write(QStringLiteral("red.bmp"), testfiles::Encode(red, "BMP"));
    const QString out = Path(QStringLiteral("red.png"));
    const std::pair<const char*, QRgb> cases[] = {
        {"r", qRgb(255, 255, 255)},   // level 255
        {"rgb", qRgb(0, 0, 0)},       // 85
        {"rg", qRgb(0, 0, 0)},        // 127.5 -> 128
        {"gb", qRgb(0, 0, 0)},        // 0
    };
    for (const auto& [components, colour] : cases) {
        ASSERT_EQ(Tobrin({image, QStringLiteral("-o"), out, QStringLiteral("--components"),
                          QString::fromLatin1(components)})
                      .exitCode,
                  0);
        const QImage pic(out);
        ASSERT_EQ(pic.size(), QSize(16, 8)) << components;
        EXPECT_EQ(pic.pixel(5, 5), colour) << components;
    }
}

TEST_F(ImportCliTest, MetafilesGoThroughTheRenderer)
{
    const QString image = Write(QStringLiteral("pic.wmf"), testfiles::HalfBlackWmf(64, 32));
    const QString out = Path(QStringLiteral("wmf.png"));
    const CliRun run = Tobrin({image, QStringLiteral("-o"), out});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText.toStdString();
    const QImage pic(out);
    ASSERT_EQ(pic.size(), QSize(64, 32));
    EXPECT_EQ(pic.pixel(10, 16), qRgb(0, 0, 0));
    EXPECT_EQ(pic.pixel(54, 16), qRgb(255, 255, 255));
}

TEST_F(ImportCliTest, FailuresReportAndWriteNothing)
{
    const QString out = Path(QStringLiteral("keep.txt"));
    Write(QStringLiteral("keep.txt"), "old content");
    const QString broken = Write(QStringLiteral("broken.jpg"), QByteArray("\xff\xd8\xff\xe0 nothing", 13));
    const QString huge = Write(QStringLiteral("huge.png"), testfiles::HugePngHeader(100000, 100000));
    for (const QString& image : {Path(QStringLiteral("missing.bmp")), broken, huge}) {
        const CliRun run = Tobrin({image, QStringLiteral("-o"), out});
        EXPECT_EQ(run.exitCode, 1) << image.toStdString();
        EXPECT_TRUE(run.stderrText.contains(QLatin1String("File Import Error"))) << run.stderrText.toStdString();
        EXPECT_EQ(Read(out), QByteArray("old content"));
    }
    // An output that cannot be written.
    const QString good = Write(QStringLiteral("good.png"), testfiles::Encode(Pattern(20, 10), "PNG"));
    const CliRun run = Tobrin({good, QStringLiteral("-o"), Path(QStringLiteral("no-dir/out.txt"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.stderrText.contains(QLatin1String("File Import Error")));
}

TEST_F(ImportCliTest, BadUsageExitsWithTwo)
{
    const QString good = Write(QStringLiteral("good.png"), testfiles::Encode(Pattern(20, 10), "PNG"));
    const QString out = Path(QStringLiteral("out.txt"));
    const QStringList bad[] = {
        {},
        {good},
        {good, "-o"},
        {"-o", out},
        {good, good, "-o", out, "--in-place"},
        {good, "-o", out, "--order", "msb8"},
        {good, "-o", Path(QStringLiteral("out.c")), "--name", "int"},
        {good, "-o", out, "--threshold", "0"},
        {good, "-o", out, "--threshold", "256"},
        {good, "-o", out, "--threshold", "abc"},
        {good, "-o", out, "--threshold"},
        {good, "-o", out, "--components", "rx"},
        {good, "-o", out, "--components", "rr"},
        {good, "-o", out, "--components="},
        {good, "-o", out, "--size", "7x4"},
        {good, "-o", out, "--size", "241x4"},
        {good, "-o", out, "--size", "8x3"},
        {good, "-o", out, "--size", "8x121"},
        {good, "-o", out, "--size", "axb"},
        {good, "-o", out, "--invert=yes"},
        {good, "-o", out, "--dither", "floyd"},
        {good, "-o", out, "--dither"},
        {good, "-o", out, "--frobnicate"},
    };
    for (const auto& args : bad) {
        const CliRun run = Tobrin(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(out)) << args.join(QLatin1Char(' ')).toStdString();
    }
    // The edges of the ranges are fine.
    EXPECT_EQ(Tobrin({good, "-o", out, "--threshold", "1", "--size", "8x4"}).exitCode, 0);
    EXPECT_EQ(Tobrin({good, "-o", out, "--threshold=255", "--size=240x120"}).exitCode, 0);
}

}  // namespace
}  // namespace tobrin

namespace tobrin {
namespace {

// A black-and-white image of up to 240 x 120 imports pixel for pixel with
// --full-resolution, in every format and past the display copy's size:
// the import gives what export reads from the same file.
TEST_F(ImportCliTest, FullResolutionImportsBlackAndWhitePixelForPixel)
{
    QImage columns(202, 4, QImage::Format_RGB32);
    columns.fill(Qt::white);
    for (const int x : {0, 100, 150, 200})
        for (int y = 0; y < 4; ++y)
            columns.setPixel(x, y, qRgb(0, 0, 0));
    QImage noise(240, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x)
            noise.setPixel(x, y, (x * 7 + y * 13 + x * y) % 5 < 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    const std::pair<const char*, QByteArray> files[] = {
        {"columns.bmp", testfiles::Encode(columns, "BMP")},
        {"columns.png", testfiles::Encode(columns, "PNG")},
        {"noise.png", testfiles::Encode(noise, "PNG")},
        {"noise.bmp", testfiles::Encode(noise.convertToFormat(QImage::Format_Mono), "BMP")},
    };
    for (const auto& [name, bytes] : files) {
        const QString image = Write(QString::fromLatin1(name), bytes);
        ASSERT_EQ(Tobrin({image, QStringLiteral("--full-resolution"), QStringLiteral("-o"), Path("in.txt")}).exitCode, 0);
        QProcess exporter;
        exporter.start(QStringLiteral(TOBRIN_BINARY), {QStringLiteral("export"), image, QStringLiteral("-o"), Path("ex.txt")});
        ASSERT_TRUE(exporter.waitForFinished(30000));
        ASSERT_EQ(exporter.exitCode(), 0) << name;
        EXPECT_EQ(Read(Path("in.txt")), Read(Path("ex.txt"))) << name;
    }
}

}  // namespace
}  // namespace tobrin
