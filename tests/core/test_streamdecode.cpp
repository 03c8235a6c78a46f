// Large JPEGs and PNGs are decoded row by row into the display copy; the
// display copy and the target must be byte for byte what decoding the whole
// file with Qt's readers and shrinking it gives.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "core/imageloader.h"
#include "core/importpipeline.h"
#include "core/streamdecode.h"
#include "core/stretch.h"
#include "imagefiles.h"

namespace tobrin {
namespace {

// Colour detail the decoders must get exactly right: gradients, fine noise
// and sharp dark bands.
std::uint8_t Sample(int x, int y, int k)
{
    const unsigned noise = (unsigned(x) * 2654435761u) ^ (unsigned(y) * 40503u) ^ (unsigned(k) * 97u);
    const bool band = ((x / 13 + y / 7) % 5) == 0;
    return band ? std::uint8_t(20 + k * 9) : std::uint8_t((x * 3 + y * (k + 1) + (noise >> 13) % 40) & 0xFF);
}

// A JPEG written by libjpeg: components 1 (grey), 3 (YCbCr) or 4 (CMYK,
// with the Adobe marker), each component's sampling factors as given.
QByteArray Jpeg(int w, int h, int components, int hSamp, int vSamp, bool progressive)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = components;
    c.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 85, TRUE);
    if (components == 3) {
        c.comp_info[0].h_samp_factor = hSamp;
        c.comp_info[0].v_samp_factor = vSamp;
    }
    if (progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(std::size_t(w * components));
    while (c.next_scanline < c.image_height) {
        const int y = int(c.next_scanline);
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < components; ++k)
                row[std::size_t(x * components + k)] = Sample(x, y, k);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

void PngWrite(png_structp png, png_bytep data, png_size_t n)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(n));
}
void PngFlush(png_structp) {}

// A PNG written by libpng with the given colour type and depth; palettes
// hold 16 entries, the first few translucent; a colour key (tRNS) when asked.
QByteArray Png(int w, int h, int colorType, int depth, bool interlaced, bool key)
{
    QByteArray bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &bytes, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), depth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const int maxValue = (1 << depth) - 1;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[16];
        png_byte alpha[4] = {0, 60, 128, 250};
        for (int i = 0; i < 16; ++i)
            palette[i] = {png_byte(i * 16), png_byte(255 - i * 9), png_byte((i * 77) & 0xFF)};
        png_set_PLTE(png, info, palette, 1 << std::min(depth, 4));
        if (key)
            png_set_tRNS(png, info, alpha, 4, nullptr);
    } else if (key) {
        png_color_16 keyColour{};
        keyColour.gray = png_uint_16(Sample(0, 0, 0) & maxValue);
        keyColour.red = keyColour.gray;
        keyColour.green = png_uint_16(Sample(0, 0, 1) & maxValue);
        keyColour.blue = png_uint_16(Sample(0, 0, 2) & maxValue);
        png_set_tRNS(png, info, nullptr, 0, &keyColour);
    }
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    const int passes = png_set_interlace_handling(png);
    std::vector<png_byte> row(png_get_rowbytes(png, info));
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < h; ++y) {
            std::fill(row.begin(), row.end(), 0);
            for (int x = 0; x < w; ++x) {
                for (int k = 0; k < channels; ++k) {
                    int sample = k == 3 || (channels == 2 && k == 1) ? (x * 255 / w) : Sample(x, y, k);
                    if (colorType == PNG_COLOR_TYPE_PALETTE)
                        sample = depth < 8 ? (sample % 16) << (8 - depth) : sample % 16;
                    if (depth == 16) {
                        const int v = sample * 257 + ((x + y + k) % 251);
                        row[std::size_t((x * channels + k) * 2)] = png_byte(v >> 8);
                        row[std::size_t((x * channels + k) * 2 + 1)] = png_byte(v);
                    } else if (depth == 8) {
                        row[std::size_t(x * channels + k)] = png_byte(sample);
                    } else {
                        const int v = (sample >> (8 - depth)) & maxValue;
                        const int bit = x * depth;
                        row[std::size_t(bit / 8)] |= png_byte(v << (8 - depth - bit % 8));
                    }
                }
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

struct Case {
    const char* name;
    QByteArray bytes;
    StreamOutcome outcome;  // of streaming alone: Decoded or left to Qt
    bool qtStable = true;   // whether Qt's reader gives the same pixels at every read
};

class StreamDecodeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testfiles::EnsureApp();
        ASSERT_TRUE(dir_.isValid());
    }

    QString Write(const char* name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Loads the file as before (whole, through Qt) and as now; both
    // pipelines must give the same display copy and target.
    void ExpectSameAsWholeDecode(const Case& c)
    {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.bytes.isEmpty());
        const QString path = Write(c.name, c.bytes);
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            QImage copy;
            QSize size;
            QString error;
            const auto box = [](QSize s) { return ImportPipeline::DisplayCopySize(s.width(), s.height()); };
            EXPECT_EQ(StreamDecode(file, ImageLoader::kMaxStreamedPixels, ImageLoader::kMaxPixels, box, &copy,
                                   &size, &error),
                      c.outcome)
                << error.toStdString();
        }
        QImage whole;
        ASSERT_TRUE(loader_.Load(path, &whole));
        if (!c.qtStable) {
            // Nothing to match: the import must at least be the same each time.
            ImportPipeline first;
            ImportPipeline second;
            first.BeginLoad();
            second.BeginLoad();
            ASSERT_TRUE(first.FinishLoad(path, loader_));
            ASSERT_TRUE(second.FinishLoad(path, loader_));
            ExpectSameBytes(first.Disp(), second.Disp());
            return;
        }
        ImportPipeline before;
        before.SetMatchSize(false);
        before.SetHSize(97);
        before.SetVSize(45);
        ASSERT_TRUE(before.Paste(whole));
        ImportPipeline now;
        now.SetMatchSize(false);
        now.SetHSize(97);
        now.SetVSize(45);
        now.BeginLoad();
        ASSERT_TRUE(now.FinishLoad(path, loader_));
        EXPECT_EQ(now.SourceSize(), whole.size());
        ExpectSameBytes(now.Disp(), before.Disp());
        ExpectSameBytes(now.Dest(), before.Dest());
        for (bool aspect : {false, true}) {
            before.SetAspect(aspect);
            now.SetAspect(aspect);
            before.SetInvert(true);
            now.SetInvert(true);
            before.ConvertImage();
            now.ConvertImage();
            ExpectSameBytes(now.Dest(), before.Dest());
        }
    }

    static void ExpectSameBytes(const QImage& a, const QImage& b)
    {
        ASSERT_EQ(a.size(), b.size());
        ASSERT_EQ(a.format(), b.format());
        int differing = 0;
        for (int y = 0; y < a.height(); ++y)
            differing += std::memcmp(a.constScanLine(y), b.constScanLine(y), std::size_t(a.width()) * 4) != 0;
        EXPECT_EQ(differing, 0) << "rows differ";
    }

    QTemporaryDir dir_;
    ImageLoader loader_;
};

TEST_F(StreamDecodeTest, JpegsMatchQtsDecoding)
{
    const auto D = StreamOutcome::Decoded;
    const Case cases[] = {
        {"base444.jpg", Jpeg(611, 403, 3, 1, 1, false), D},
        {"base422.jpg", Jpeg(611, 403, 3, 2, 1, false), D},
        {"base420.jpg", Jpeg(613, 401, 3, 2, 2, false), D},
        {"base420-small.jpg", Jpeg(97, 45, 3, 2, 2, false), D},
        {"prog420.jpg", Jpeg(509, 777, 3, 2, 2, true), D},
        {"prog444.jpg", Jpeg(333, 211, 3, 1, 1, true), D},
        {"grey.jpg", Jpeg(451, 300, 1, 1, 1, false), D},
        {"grey-prog.jpg", Jpeg(451, 301, 1, 1, 1, true), D},
        {"cmyk.jpg", Jpeg(400, 250, 4, 1, 1, false), StreamOutcome::NotStreamable},
        {"qt-written.jpg", testfiles::Encode(testfiles::HalfBlack(1203, 97), "JPG", 70), D},
    };
    for (const Case& c : cases)
        ExpectSameAsWholeDecode(c);
}

TEST_F(StreamDecodeTest, PngsMatchQtsDecoding)
{
    const auto D = StreamOutcome::Decoded;
    const Case cases[] = {
        {"rgb8.png", Png(611, 403, PNG_COLOR_TYPE_RGB, 8, false, false), D},
        {"rgb8-small.png", Png(150, 90, PNG_COLOR_TYPE_RGB, 8, false, false), D},
        {"rgb8-key.png", Png(311, 203, PNG_COLOR_TYPE_RGB, 8, false, true), D},
        {"rgba8.png", Png(411, 203, PNG_COLOR_TYPE_RGBA, 8, false, false), D},
        {"rgb16.png", Png(311, 503, PNG_COLOR_TYPE_RGB, 16, false, false), D},
        {"rgba16.png", Png(311, 203, PNG_COLOR_TYPE_RGBA, 16, false, false), D},
        {"grey1.png", Png(401, 203, PNG_COLOR_TYPE_GRAY, 1, false, false), D},
        {"grey2.png", Png(401, 203, PNG_COLOR_TYPE_GRAY, 2, false, false), D},
        {"grey4-key.png", Png(401, 203, PNG_COLOR_TYPE_GRAY, 4, false, true), D},
        {"grey8.png", Png(401, 203, PNG_COLOR_TYPE_GRAY, 8, false, false), D},
        {"grey16.png", Png(401, 203, PNG_COLOR_TYPE_GRAY, 16, false, false), D},
        {"greyalpha8.png", Png(401, 203, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false), D},
        {"greyalpha16.png", Png(401, 203, PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false), D},
        {"palette4.png", Png(401, 203, PNG_COLOR_TYPE_PALETTE, 4, false, false), D},
        {"palette8-alpha.png", Png(401, 203, PNG_COLOR_TYPE_PALETTE, 8, false, true), D},
        {"rgb16-key.png", Png(301, 203, PNG_COLOR_TYPE_RGB, 16, false, true), D, false},
        {"interlaced.png", Png(401, 203, PNG_COLOR_TYPE_RGB, 8, true, false), StreamOutcome::NotStreamable},
        {"qt-argb.png", testfiles::Encode(testfiles::HalfBlack(700, 33).convertToFormat(QImage::Format_ARGB32), "PNG"),
         D},
    };
    for (const Case& c : cases)
        ExpectSameAsWholeDecode(c);
}

// Damaged files end as Qt's reader ends them; headers claiming more than
// the streaming limit are refused before any pixel memory is taken.
TEST_F(StreamDecodeTest, DamagedAndGiantFiles)
{
    const QByteArray jpeg = Jpeg(611, 403, 3, 2, 2, false);
    const QByteArray png = Png(611, 403, PNG_COLOR_TYPE_RGB, 8, false, false);
    for (const Case& c : {Case{"cut.jpg", jpeg.left(jpeg.size() / 2), StreamOutcome::Decoded},
                          Case{"cut.png", png.left(png.size() / 2), StreamOutcome::Failed}}) {
        SCOPED_TRACE(c.name);
        const QString path = Write(c.name, c.bytes);
        QImage whole;
        const bool qtReads = loader_.Load(path, &whole);
        ImportPipeline now;
        now.BeginLoad();
        EXPECT_EQ(now.FinishLoad(path, loader_), qtReads);
        if (qtReads) {
            ImportPipeline before;
            before.Paste(whole);
            ExpectSameBytes(now.Disp(), before.Disp());
        }
    }
    const QString giant = Write("giant.png", testfiles::HugePngHeader(10001, 10000));
    QImage image;
    QSize size;
    QString error;
    EXPECT_FALSE(loader_.LoadShrunk(giant, [](QSize) { return QSize(10, 10); }, &image, &size, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("too large"))) << error.toStdString();
}

// Streaming a source taller and wider than the copy, or exactly its size,
// gives what StretchDraw gives for the whole source.
TEST(RowShrinker, MatchesStretchDraw)
{
    QImage src(37, 29, QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            src.setPixel(x, y, qRgb(Sample(x, y, 0), Sample(x, y, 1), Sample(x, y, 2)));
    for (const QSize target : {QSize(5, 3), QSize(37, 29), QSize(36, 28), QSize(1, 29), QSize(37, 1), QSize(50, 40)}) {
        RowShrinker shrinker(src.size(), target);
        for (int y = 0; y < src.height(); ++y)
            shrinker.AddRow(reinterpret_cast<const QRgb*>(src.constScanLine(y)));
        EXPECT_EQ(shrinker.Take(), Stretched(src, target.width(), target.height()))
            << target.width() << "x" << target.height();
    }
}

}  // namespace
}  // namespace tobrin
