#include "core/streamdecode.h"

#include "core/stretch.h"

#include <QIODevice>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

namespace tobrin {
namespace {

// The same partition of sources among targets as StretchDraw's.
int SpanBegin(int t, int targets, int sources)
{
    return static_cast<int>(static_cast<std::int64_t>(t) * sources / targets);
}

int SpanEnd(int t, int targets, int sources)
{
    const int begin = SpanBegin(t, targets, sources);
    const auto end = static_cast<int>(static_cast<std::int64_t>(t + 1) * sources / targets);
    return std::min(std::max(end, begin + 1), sources);
}

bool TooLarge(qint64 width, qint64 height, qint64 limit)
{
    return width <= 0 || height <= 0 || width * height > limit;
}

// Qt's rounding of a 16-bit sample to 8 bits when it converts its 16-bit
// images to 32-bit colours.
inline std::uint32_t To8Bits(std::uint32_t x)
{
    return (x * 255 + 32895) >> 16;
}

// The import's laying of a translucent colour over white.
inline QRgb OverWhite(int r, int g, int b, int a)
{
    const auto blend = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
    return qRgb(blend(r), blend(g), blend(b));
}

// ---- JPEG ----------------------------------------------------------------------

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo)
{
    auto* e = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

void JpegQuiet(j_common_ptr) {}

// libjpeg's warnings (corrupt data, a premature end) mean a damaged file:
// the decode fails at the first one, without decoding the rest.
void JpegWarning(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;  // trace messages
    auto* e = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

struct JpegSource {
    jpeg_source_mgr mgr;
    QIODevice* device;
    JOCTET buffer[64 * 1024];
};

void JpegInitSource(j_decompress_ptr) {}

boolean JpegFill(j_decompress_ptr cinfo)
{
    auto* s = reinterpret_cast<JpegSource*>(cinfo->src);
    const qint64 n = s->device->read(reinterpret_cast<char*>(s->buffer), sizeof s->buffer);
    if (n <= 0) {
        // A file that ends early ends in an inserted end-of-image marker,
        // as with Qt's reader; the warning makes the decode fail.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        s->buffer[0] = 0xFF;
        s->buffer[1] = JPEG_EOI;
        s->mgr.bytes_in_buffer = 2;
    } else {
        s->mgr.bytes_in_buffer = static_cast<std::size_t>(n);
    }
    s->mgr.next_input_byte = s->buffer;
    return TRUE;
}

void JpegSkip(j_decompress_ptr cinfo, long count)
{
    auto* s = reinterpret_cast<JpegSource*>(cinfo->src);
    while (count > 0) {
        if (s->mgr.bytes_in_buffer == 0)
            JpegFill(cinfo);
        const long step = std::min(count, static_cast<long>(s->mgr.bytes_in_buffer));
        s->mgr.next_input_byte += step;
        s->mgr.bytes_in_buffer -= static_cast<std::size_t>(step);
        count -= step;
    }
}

void JpegTerm(j_decompress_ptr) {}

// Everything the longjmp target reads after a jump lives here, outside the
// function that calls setjmp.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    JpegError error;
    JpegSource source;
    std::unique_ptr<RowShrinker> shrinker;
    std::vector<JSAMPLE> grey;
    std::vector<QRgb> row;
    bool created = false;
    ~JpegJob()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

StreamOutcome DecodeJpeg(QIODevice& device, qint64 maxPixels, qint64 wholePixels,
                         const std::function<QSize(QSize)>& copySize, QImage* copy, QSize* sourceSize,
                         QString* error)
{
    auto job = std::make_unique<JpegJob>();
    job->cinfo.err = jpeg_std_error(&job->error.mgr);
    job->error.mgr.error_exit = JpegErrorExit;
    job->error.mgr.output_message = JpegQuiet;
    job->error.mgr.emit_message = JpegWarning;
    job->error.message[0] = '\0';
    if (setjmp(job->error.jump)) {
        *error = QString::fromLatin1(job->error.message);
        return StreamOutcome::Failed;
    }
    jpeg_create_decompress(&job->cinfo);
    job->created = true;
    job->source.device = &device;
    job->source.mgr.init_source = JpegInitSource;
    job->source.mgr.fill_input_buffer = JpegFill;
    job->source.mgr.skip_input_data = JpegSkip;
    job->source.mgr.resync_to_restart = jpeg_resync_to_restart;
    job->source.mgr.term_source = JpegTerm;
    job->source.mgr.bytes_in_buffer = 0;
    job->source.mgr.next_input_byte = nullptr;
    job->cinfo.src = &job->source.mgr;

    jpeg_read_header(&job->cinfo, TRUE);
    jpeg_decompress_struct& c = job->cinfo;
    // CMYK and YCCK get Qt's own colour handling.
    if (c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK)
        return StreamOutcome::NotStreamable;
    if (TooLarge(c.image_width, c.image_height, jpeg_has_multiple_scans(&c) ? wholePixels : maxPixels)) {
        *error = QStringLiteral("image too large (%1 x %2)").arg(c.image_width).arg(c.image_height);
        return StreamOutcome::Refused;
    }
    const QSize size(static_cast<int>(c.image_width), static_cast<int>(c.image_height));
    // Qt's reader leaves libjpeg's defaults (accurate integer DCT, smooth
    // chroma upsampling); so does this one, so the pixels are the same.
    const bool isGrey = c.jpeg_color_space == JCS_GRAYSCALE;
    c.out_color_space = isGrey ? JCS_GRAYSCALE : JCS_EXT_BGRX;
    job->shrinker = std::make_unique<RowShrinker>(size, copySize(size));
    RowShrinker& shrinker = *job->shrinker;
    if (shrinker.IsNull()) {
        *error = QStringLiteral("out of memory");
        return StreamOutcome::Failed;
    }
    jpeg_start_decompress(&c);
    std::vector<QRgb>& row = job->row;
    std::vector<JSAMPLE>& grey = job->grey;
    row.resize(c.output_width);
    if (isGrey)
        grey.resize(c.output_width);
    while (c.output_scanline < c.output_height) {
        JSAMPROW line = isGrey ? grey.data() : reinterpret_cast<JSAMPROW>(row.data());
        if (jpeg_read_scanlines(&c, &line, 1) != 1)
            break;
        if (isGrey) {
            for (std::size_t x = 0; x < grey.size(); ++x)
                row[x] = qRgb(grey[x], grey[x], grey[x]);
        }
        shrinker.AddRow(row.data());
    }
    jpeg_finish_decompress(&c);
    *copy = shrinker.Take();
    *sourceSize = size;
    return StreamOutcome::Decoded;
}

// ---- PNG -----------------------------------------------------------------------

struct PngJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    QString message;
    std::unique_ptr<RowShrinker> shrinker;
    std::vector<png_byte> raw;
    std::vector<QRgb> row;
    ~PngJob()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

void PngErrorExit(png_structp png, png_const_charp message)
{
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    job->message = QString::fromLatin1(message);
    png_longjmp(png, 1);
}

void PngQuiet(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep data, png_size_t length)
{
    auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
    const qint64 n = device->read(reinterpret_cast<char*>(data), static_cast<qint64>(length));
    if (n != static_cast<qint64>(length))
        png_error(png, "unexpected end of file");
}

StreamOutcome DecodePng(QIODevice& device, qint64 maxPixels, const std::function<QSize(QSize)>& copySize,
                        QImage* copy, QSize* sourceSize, QString* error)
{
    auto job = std::make_unique<PngJob>();
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job.get(), PngErrorExit, PngQuiet);
    if (job->png)
        job->info = png_create_info_struct(job->png);
    if (!job->png || !job->info) {
        *error = QStringLiteral("out of memory");
        return StreamOutcome::Failed;
    }
    if (setjmp(png_jmpbuf(job->png))) {
        *error = job->message.isEmpty() ? QStringLiteral("unreadable PNG") : job->message;
        return StreamOutcome::Failed;
    }
    png_set_read_fn(job->png, &device, PngRead);
    png_read_info(job->png, job->info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(job->png, job->info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    if (interlace != PNG_INTERLACE_NONE)
        return StreamOutcome::NotStreamable;
    if (TooLarge(width, height, maxPixels)) {
        *error = QStringLiteral("image too large (%1 x %2)").arg(width).arg(height);
        return StreamOutcome::Refused;
    }
    const QSize size(static_cast<int>(width), static_cast<int>(height));
    // Palettes, small grey depths and colour keys become plain samples;
    // 16-bit samples are kept and rounded as Qt rounds them. (Qt's reader
    // gives a 16-bit colour image with a colour key differently at every
    // read; here its keyed pixels are transparent, the rest opaque.)
    png_set_expand(job->png);
    png_read_update_info(job->png, job->info);
    const int channels = png_get_channels(job->png, job->info);
    const int bits = png_get_bit_depth(job->png, job->info);
    job->shrinker = std::make_unique<RowShrinker>(size, copySize(size));
    RowShrinker& shrinker = *job->shrinker;
    if (shrinker.IsNull()) {
        *error = QStringLiteral("out of memory");
        return StreamOutcome::Failed;
    }
    std::vector<png_byte>& raw = job->raw;
    std::vector<QRgb>& row = job->row;
    raw.resize(png_get_rowbytes(job->png, job->info));
    row.resize(width);
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(job->png, raw.data(), nullptr);
        const png_byte* p = raw.data();
        // The common plain forms first; the general loop below gives the
        // same for them.
        if (bits == 8 && channels == 1) {
            for (png_uint_32 x = 0; x < width; ++x)
                row[x] = 0xFF000000u | (std::uint32_t(p[x]) * 0x010101u);
            shrinker.AddRow(row.data());
            continue;
        }
        if (bits == 8 && channels == 3) {
            for (png_uint_32 x = 0; x < width; ++x, p += 3)
                row[x] = qRgb(p[0], p[1], p[2]);
            shrinker.AddRow(row.data());
            continue;
        }
        for (png_uint_32 x = 0; x < width; ++x) {
            std::uint32_t s[4] = {0, 0, 0, 0};
            for (int k = 0; k < channels; ++k) {
                if (bits == 16) {
                    s[k] = To8Bits((std::uint32_t(p[0]) << 8) | p[1]);
                    p += 2;
                } else {
                    s[k] = *p++;
                }
            }
            int r, g, b, a;
            if (channels <= 2) {
                r = g = b = int(s[0]);
                a = channels == 2 ? int(s[1]) : 255;
            } else {
                r = int(s[0]);
                g = int(s[1]);
                b = int(s[2]);
                a = channels == 4 ? int(s[3]) : 255;
            }
            row[x] = a == 255 ? qRgb(r, g, b) : OverWhite(r, g, b, a);
        }
        shrinker.AddRow(row.data());
    }
    png_read_end(job->png, nullptr);
    *copy = shrinker.Take();
    *sourceSize = size;
    return StreamOutcome::Decoded;
}

}  // namespace

RowShrinker::RowShrinker(QSize source, QSize copy)
    : sourceWidth_(source.width()), sourceHeight_(source.height())
{
    if (source.isEmpty() || copy.isEmpty())
        return;
    copy_ = QImage(copy, QImage::Format_RGB32);
    if (copy_.isNull())
        return;
    copy_.fill(0xFFFFFFFFu);
    const int w = copy.width();
    columns_ = ColumnShares(w, w, sourceWidth_);
    combined_.resize(static_cast<std::size_t>(w));
}

void RowShrinker::AddRow(const QRgb* in)
{
    if (copy_.isNull() || nextRow_ >= sourceHeight_)
        return;
    const int sy = nextRow_++;
    const int w = copy_.width();
    const int h = copy_.height();
    // The row's share of each copy column.
    columns_.Combine(in, combined_.data());
    // Every copy row whose share of the source holds this row (more than
    // one when enlarging).
    while (firstTarget_ < h && SpanEnd(firstTarget_, h, sourceHeight_) <= sy)
        ++firstTarget_;
    for (int ty = firstTarget_; ty < h && SpanBegin(ty, h, sourceHeight_) <= sy; ++ty) {
        MinInto(reinterpret_cast<std::uint32_t*>(copy_.scanLine(ty)), combined_.data(), w);
    }
}

QImage RowShrinker::Take()
{
    // Opaque whatever the source's alpha said, as StretchDraw leaves it.
    const int w = copy_.width();
    for (int ty = 0; ty < copy_.height(); ++ty)
        MakeOpaque(reinterpret_cast<std::uint32_t*>(copy_.scanLine(ty)), w);
    QImage out = copy_;
    copy_ = QImage();
    return out;
}

StreamOutcome StreamDecode(QIODevice& device, qint64 maxPixels, qint64 wholePixels,
                           const std::function<QSize(QSize)>& copySize, QImage* copy, QSize* sourceSize,
                           QString* error)
{
    const QByteArray head = device.peek(8);
    static const char kPng[] = "\x89PNG\r\n\x1a\n";
    if (head.size() >= 3 && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xD8 && uchar(head[2]) == 0xFF)
        return DecodeJpeg(device, maxPixels, wholePixels, copySize, copy, sourceSize, error);
    if (head.size() == 8 && std::memcmp(head.constData(), kPng, 8) == 0)
        return DecodePng(device, maxPixels, copySize, copy, sourceSize, error);
    return StreamOutcome::NotStreamable;
}

}  // namespace tobrin
