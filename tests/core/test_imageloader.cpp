#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "cli/wmfrender.h"
#include "core/imageloader.h"
#include "imagefiles.h"
#include "worktimer.h"

namespace tobrin {
namespace {

class ImageLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testfiles::EnsureApp();
        ASSERT_TRUE(dir_.isValid());
        loader_.SetRendererProgram(QStringLiteral(TOBRIN_BINARY));
    }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    // A shell script standing in for the renderer.
    QString Script(const QString& name, const QByteArray& body)
    {
        const QString path = Write(name, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QTemporaryDir dir_;
    ImageLoader loader_;
};

// The half-black picture came through: dark on the left, light on the right.
void ExpectHalfBlack(const QImage& image, QSize size, const char* what)
{
    ASSERT_EQ(image.size(), size) << what;
    for (int y = 0; y < size.height(); y += 3) {
        EXPECT_LT(qGray(image.pixel(size.width() / 4, y)), 60) << what << " row " << y;
        EXPECT_GT(qGray(image.pixel(size.width() * 3 / 4, y)), 200) << what << " row " << y;
    }
}

struct Format {
    const char* name;   // file name
    QByteArray bytes;   // a good 48 x 24 half-black file
};

std::vector<Format> GoodFiles()
{
    const QImage half = testfiles::HalfBlack(48, 24);
    const QByteArray bmp = testfiles::Encode(half, "BMP");
    return {
        {"half.bmp", bmp},
        {"half.dib", bmp},
        {"packed.dib", bmp.mid(14)},  // a DIB without its file header
        {"half.ico", testfiles::Encode(half, "ICO")},
        {"half.jpg", testfiles::Encode(half, "JPG", 95)},
        {"half.png", testfiles::Encode(half, "PNG")},
        {"half.gif", testfiles::HalfBlackGif(48, 24)},
        {"half.wmf", testfiles::HalfBlackWmf(48, 24)},
    };
}

TEST_F(ImageLoaderTest, ReadsEveryFormat)
{
    for (const auto& f : GoodFiles()) {
        QImage image;
        QString error;
        EXPECT_TRUE(loader_.Load(Write(QString::fromLatin1(f.name), f.bytes), &image, &error))
            << f.name << ": " << error.toStdString();
        ExpectHalfBlack(image, QSize(48, 24), f.name);
    }
}

TEST_F(ImageLoaderTest, RecognisesTheContentWhateverTheName)
{
    const QImage half = testfiles::HalfBlack(20, 10);
    QImage image;
    EXPECT_TRUE(loader_.Load(Write(QStringLiteral("png-named.bmp"), testfiles::Encode(half, "PNG")), &image));
    ExpectHalfBlack(image, QSize(20, 10), "png as bmp");
    EXPECT_TRUE(loader_.Load(Write(QStringLiteral("gif-named.jpg"), testfiles::HalfBlackGif(20, 10)), &image));
    ExpectHalfBlack(image, QSize(20, 10), "gif as jpg");
    // A metafile is known by its key whatever its name.
    QString error;
    EXPECT_TRUE(loader_.Load(Write(QStringLiteral("meta.bin"), testfiles::HalfBlackWmf(20, 10)), &image, &error))
        << error.toStdString();
    ExpectHalfBlack(image, QSize(20, 10), "wmf as bin");
}

TEST_F(ImageLoaderTest, BrokenFilesFail)
{
    const QByteArray junk(300, '\x5a');
    const std::pair<const char*, QByteArray> broken[] = {
        {"broken.bmp", "BM" + junk},
        {"broken.dib", QByteArray("\x28\0\0\0", 4) + junk},
        {"broken.ico", QByteArray("\0\0\1\0\1\0", 6) + junk},
        {"broken.jpg", QByteArray("\xff\xd8\xff\xe0", 4) + junk},
        {"broken.png", QByteArray("\x89PNG\r\n\x1a\n", 8) + junk},
        {"broken.gif", "GIF89a" + junk},
        {"broken.wmf", QByteArray("\xd7\xcd\xc6\x9a", 4) + junk},
        {"empty.png", QByteArray()},
        {"text.bmp", "just some words"},
    };
    for (const auto& [name, bytes] : broken) {
        QImage image;
        QString error;
        EXPECT_FALSE(loader_.Load(Write(QString::fromLatin1(name), bytes), &image, &error)) << name;
        EXPECT_TRUE(image.isNull()) << name;
        EXPECT_FALSE(error.isEmpty()) << name;
    }
}

TEST_F(ImageLoaderTest, TruncatedFilesAreRefusedWithTheirCause)
{
    // Damage a decoder papers over (missing rows filled grey or black) is
    // refused, by the whole load and by the streamed one alike.
    std::vector<Format> files = GoodFiles();
    const QImage half = testfiles::HalfBlack(48, 24);
    files.push_back({"half.tif", testfiles::Encode(half, "TIFF")});
    files.push_back({"half.webp", testfiles::Encode(half, "WEBP", 100)});
    files.push_back({"colour.jpg", testfiles::Jpeg(64, 48)});
    files.push_back({"colour.png", testfiles::Png(64, 48)});
    files.push_back({"colour.bmp", testfiles::Bmp24(64, 48)});
    for (const auto& f : files) {
        ASSERT_FALSE(f.bytes.isEmpty()) << f.name;
        for (const double part : {0.3, 0.6, 0.9}) {
            const QString path = Write(QStringLiteral("cut-") + QString::fromLatin1(f.name),
                                       f.bytes.left(static_cast<int>(f.bytes.size() * part)));
            QImage image;
            QString error;
            QSize size;
            EXPECT_FALSE(loader_.Load(path, &image, &error)) << f.name << " " << part;
            EXPECT_FALSE(error.isEmpty()) << f.name << " " << part;
            EXPECT_FALSE(loader_.LoadShrunk(path, [](QSize) { return QSize(8, 8); }, &image, &size, &error))
                << f.name << " " << part;
            EXPECT_TRUE(image.isNull()) << f.name << " " << part;
        }
    }
}

// The header of a lossless WebP of width x height with alpha, and no data.
QByteArray LosslessWebpHeader(quint32 width, quint32 height)
{
    QByteArray vp8l("\x2f", 1);
    testfiles::Put32(vp8l, (width - 1) | ((height - 1) << 14) | (1u << 28));
    vp8l += QByteArray(16, '\0');
    QByteArray b("RIFF");
    testfiles::Put32(b, quint32(4 + 8 + vp8l.size()));
    b += "WEBPVP8L";
    testfiles::Put32(b, quint32(vp8l.size()));
    return b + vp8l;
}

TEST_F(ImageLoaderTest, HugeClaimsAreRefusedFastWithoutDecoding)
{
    struct Huge {
        const char* name;
        QByteArray bytes;
        bool ourLimit;  // refused by the 64-megapixel check (else by Qt's reader first)
    };
    const Huge huge[] = {
        {"huge.bmp", testfiles::BmpHeaderOnly(65535, 65535), false},
        {"huge.png", testfiles::HugePngHeader(100000, 100000), true},
        {"big.bmp", testfiles::BmpHeaderOnly(10000, 7000), true},
        {"wide.png", testfiles::HugePngHeader(8001, 8000), true},  // just above 64 megapixels
        // Within 64 megapixels, but libwebp holds a lossless image whole
        // besides the output: over 320 MB to decode.
        {"lossless.webp", LosslessWebpHeader(8000, 8000), true},
    };
    for (const auto& h : huge) {
        QImage image;
        QString error;
        const testfiles::WorkTimer timer;
        EXPECT_FALSE(loader_.Load(Write(QString::fromLatin1(h.name), h.bytes), &image, &error)) << h.name;
        EXPECT_LT(timer.WorkMs(), 1000) << h.name;
        EXPECT_TRUE(image.isNull());
        if (h.ourLimit) {
            EXPECT_TRUE(error.contains(QLatin1String("too large"))) << h.name << ": " << error.toStdString();
        }
    }
    // 8000 x 8000 is within the limit: it is not refused for its size (and
    // then fails for lack of pixel data).
    QString error;
    QImage image;
    EXPECT_FALSE(loader_.Load(Write(QStringLiteral("edge.png"), testfiles::HugePngHeader(8000, 8000)), &image, &error));
    EXPECT_FALSE(error.contains(QLatin1String("too large"))) << error.toStdString();
}

TEST_F(ImageLoaderTest, MissingFileFails)
{
    QImage image;
    EXPECT_FALSE(loader_.Load(dir_.filePath(QStringLiteral("nothing-here.png")), &image));
    EXPECT_FALSE(loader_.Load(dir_.path(), &image));
}

TEST(ImageLoaderDetect, MetafileByKeyHeaderOrExtension)
{
    EXPECT_TRUE(ImageLoader::IsMetafile(QStringLiteral("a.bin"), QByteArray("\xd7\xcd\xc6\x9a", 4)));
    EXPECT_TRUE(ImageLoader::IsMetafile(QStringLiteral("a.bin"), QByteArray("\x01\x00\x09\x00\x00\x03", 6)));
    EXPECT_TRUE(ImageLoader::IsMetafile(QStringLiteral("a.bin"), QByteArray("\x02\x00\x09\x00\x00\x01", 6)));
    EXPECT_TRUE(ImageLoader::IsMetafile(QStringLiteral("PIC.WMF"), QByteArray("junk")));
    EXPECT_FALSE(ImageLoader::IsMetafile(QStringLiteral("a.png"), QByteArray("\x89PNG\r\n\x1a\n", 8)));
    EXPECT_FALSE(ImageLoader::IsMetafile(QStringLiteral("a.bmp"), QByteArray("\x01\x00\x09\x00\x00\x02", 6)));
}

TEST_F(ImageLoaderTest, RendererFailuresAreLoadFailures)
{
    const QString wmf = Write(QStringLiteral("pic.wmf"), testfiles::HalfBlackWmf(40, 20));
    const QString garbage = dir_.filePath(QStringLiteral("garbage"));
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a png");
    }
    const std::pair<const char*, QByteArray> renderers[] = {
        {"crash.sh", "kill -SEGV $$"},
        {"fails.sh", "exit 3"},
        {"silent.sh", "exit 0"},                                             // writes nothing
        {"garbage.sh", "cp '" + QFile::encodeName(garbage) + "' \"$3\""},  // not a PNG
        {"huge.sh", "printf '\\211PNG\\r\\n\\032\\n' > \"$3\"; exit 0"},
        {"missing-program-is-below", ""},
    };
    for (const auto& [name, body] : renderers) {
        if (body.isEmpty())
            continue;
        loader_.SetRendererProgram(Script(QString::fromLatin1(name), body));
        QImage image;
        EXPECT_FALSE(loader_.Load(wmf, &image)) << name;
        EXPECT_TRUE(image.isNull()) << name;
    }
    loader_.SetRendererProgram(dir_.filePath(QStringLiteral("no-such-renderer")));
    QImage image;
    EXPECT_FALSE(loader_.Load(wmf, &image));
}

TEST_F(ImageLoaderTest, RendererIsKilledAfterItsTimeLimit)
{
    const QString wmf = Write(QStringLiteral("pic.wmf"), testfiles::HalfBlackWmf(40, 20));
    loader_.SetRendererProgram(Script(QStringLiteral("stall.sh"), "exec sleep 30"));
    loader_.SetRendererTimeoutMs(300);
    QElapsedTimer timer;
    timer.start();
    QImage image;
    EXPECT_FALSE(loader_.Load(wmf, &image));
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST_F(ImageLoaderTest, RendererRunsUnderAMemoryLimitAndItsFilesAreRemoved)
{
    // The stand-in reports its address-space limit and where it was asked
    // to write, then renders with the real renderer.
    const QString report = dir_.filePath(QStringLiteral("report"));
    const QString wmf = Write(QStringLiteral("pic.wmf"), testfiles::HalfBlackWmf(40, 20));
    loader_.SetRendererProgram(Script(QStringLiteral("spy.sh"),
                                      "ulimit -v > '" + QFile::encodeName(report) + "'\n"
                                      "echo \"$1 $3\" >> '" + QFile::encodeName(report) + "'\n"
                                      "exec '" TOBRIN_BINARY "' \"$1\" \"$2\" \"$3\""));
    QImage image;
    ASSERT_TRUE(loader_.Load(wmf, &image));
    ExpectHalfBlack(image, QSize(40, 20), "spied render");

    QFile f(report);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
#if !TOBRIN_ADDRESS_SANITIZER
    EXPECT_EQ(lines.at(0).trimmed(), QString::number(ImageLoader::kRendererMemoryBytes / 1024));
#endif
    const QStringList call = lines.at(1).split(QLatin1Char(' '));
    ASSERT_EQ(call.size(), 2);
    EXPECT_EQ(call.at(0), QStringLiteral("--render-wmf"));
    EXPECT_FALSE(QFileInfo::exists(call.at(1)));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(call.at(1)).path()));
}

TEST(WmfRender, NaturalSizeAtNinetySixDotsPerInch)
{
    testfiles::EnsureApp();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pic.wmf"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(testfiles::HalfBlackWmf(120, 60));
    f.close();
    QString error;
    const QImage image = RenderWmf(path, &error);
    ASSERT_FALSE(image.isNull()) << error.toStdString();
    ExpectHalfBlack(image, QSize(120, 60), "direct render");
}

TEST(WmfRender, HugeMetafilesAreScaledDownToTheMaximumSide)
{
    testfiles::EnsureApp();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.wmf"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(testfiles::HalfBlackWmf(30000, 15000));
    f.close();
    QString error;
    const QImage image = RenderWmf(path, &error);
    ASSERT_FALSE(image.isNull()) << error.toStdString();
    EXPECT_EQ(image.size(), QSize(kWmfMaxSide, kWmfMaxSide / 2));
}

}  // namespace
}  // namespace tobrin
