#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

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

}  // namespace
}  // namespace tobrin
