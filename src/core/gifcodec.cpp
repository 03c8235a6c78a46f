#include "core/gifcodec.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

// GIF through giflib: decoding record by record, so that every cap is
// checked before the memory it guards is taken, and the frames composited
// as a browser shows them; encoding a 1-bit animation.

namespace tobrin {

namespace {

struct MemoryReader {
    const QByteArray* data;
    qsizetype at = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* to, int length)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const qsizetype left = reader->data->size() - reader->at;
    const int n = int(std::min<qsizetype>(left, std::max(length, 0)));
    std::memcpy(to, reader->data->constData() + reader->at, std::size_t(n));
    reader->at += n;
    return n;  // short: giflib reports a read failure, the file is cut short
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};
using GifReader = std::unique_ptr<GifFileType, GifCloser>;

QString GifError(int code)
{
    if (code == D_GIF_ERR_READ_FAILED)
        return QStringLiteral("the GIF is cut short");
    if (code == D_GIF_ERR_NOT_GIF_FILE)
        return QStringLiteral("not a GIF image");
    const char* text = GifErrorString(code);
    return QStringLiteral("damaged GIF: %1").arg(QString::fromLatin1(text ? text : "unknown error"));
}

// Rows of an interlaced image come in four passes: every 8th row from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<int> RowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    rows.reserve(std::size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    static const int kStart[] = {0, 4, 2, 1};
    static const int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            rows.push_back(y);
    return rows;
}

// A delay as viewers show it: browsers show 0 and 1 centiseconds as 100 ms.
int DelayMs(int centiseconds)
{
    if (centiseconds <= 1)
        return MonoSet::kDefaultDelay;
    return std::min(centiseconds * 10, MonoSet::kMaxDelay);
}

class Decoder {
public:
    Decoder(GifFileType* gif, const GifFrameSink& take, QString* error) : gif_(gif), take_(take), error_(error) {}

    bool Run();

private:
    bool Fail(const QString& why)
    {
        if (error_)
            *error_ = why;
        return false;
    }
    bool FailGif() { return Fail(GifError(gif_->Error)); }
    bool ReadExtension();
    bool ReadImage();

    GifFileType* gif_;
    const GifFrameSink& take_;
    QString* error_;
    int frames_ = 0;
    QImage canvas_;
    qint64 spent_ = 0;  // pixels decoded and composited so far
    GraphicsControlBlock control_{};
    bool haveControl_ = false;
};

bool Decoder::ReadExtension()
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif_, &code, &block) == GIF_ERROR)
        return FailGif();
    if (code == GRAPHICS_EXT_FUNC_CODE && block) {
        if (block[0] != 4 || DGifExtensionToGCB(4, block + 1, &control_) == GIF_ERROR)
            return Fail(QStringLiteral("damaged GIF: a graphic control block of %1 bytes").arg(block[0]));
        haveControl_ = true;
    }
    while (block) {
        if (DGifGetExtensionNext(gif_, &block) == GIF_ERROR)
            return FailGif();
    }
    return true;
}

bool Decoder::ReadImage()
{
    const int number = frames_ + 1;
    if (number > MonoSet::kMaxFrames)
        return Fail(QStringLiteral("more than %1 frames").arg(MonoSet::kMaxFrames));
    if (DGifGetImageDesc(gif_) == GIF_ERROR)
        return FailGif();
    const GifImageDesc& desc = gif_->Image;
    if (desc.Width <= 0 || desc.Height <= 0)
        return Fail(QStringLiteral("damaged GIF: frame %1 is empty").arg(number));
    const ColorMapObject* colours = desc.ColorMap ? desc.ColorMap : gif_->SColorMap;
    if (!colours)
        return Fail(QStringLiteral("damaged GIF: frame %1 has no colour table").arg(number));
    const qint64 canvasPixels = qint64(canvas_.width()) * canvas_.height();
    spent_ += canvasPixels + qint64(desc.Width) * desc.Height;
    if (spent_ > kGifDecodeBudget)
        return Fail(QStringLiteral("decoding it takes more than %1 million pixels (frames x canvas)")
                        .arg(kGifDecodeBudget / (1024 * 1024)));

    const int transparent = haveControl_ ? control_.TransparentColor : NO_TRANSPARENT_COLOR;
    const int disposal = haveControl_ ? control_.DisposalMode : DISPOSAL_UNSPECIFIED;
    const int delay = DelayMs(haveControl_ ? control_.DelayTime : 0);
    haveControl_ = false;

    const QImage before = disposal == DISPOSE_PREVIOUS ? canvas_.copy() : QImage();
    std::vector<GifPixelType> line(std::size_t(desc.Width));
    // The colour each index draws; 0 (never an opaque colour) for the
    // transparent index and indices beyond the colour table, which draw
    // nothing, as browsers do.
    std::array<QRgb, 256> palette{};
    for (int i = 0; i < std::min(colours->ColorCount, 256); ++i) {
        const GifColorType& c = colours->Colors[i];
        palette[std::size_t(i)] = qRgb(c.Red, c.Green, c.Blue);
    }
    if (transparent >= 0 && transparent < 256)
        palette[std::size_t(transparent)] = 0;
    // The canvas is shared with the frame before it until here: it is
    // copied once, and its rows are reached from its first one.
    uchar* bits = canvas_.bits();
    const qsizetype stride = canvas_.bytesPerLine();
    const int canvasHeight = canvas_.height();
    const int end = std::min(int(desc.Width), canvas_.width() - desc.Left);
    for (int y : RowOrder(desc.Height, desc.Interlace)) {
        if (DGifGetLine(gif_, line.data(), desc.Width) == GIF_ERROR)
            return FailGif();
        const int cy = desc.Top + y;
        if (cy >= canvasHeight || end <= 0)
            continue;  // a frame is clipped to the canvas, as viewers do
        auto* out = reinterpret_cast<QRgb*>(bits + cy * stride) + desc.Left;
        const GifPixelType* in = line.data();
        for (int x = 0; x < end; ++x) {
            const QRgb c = palette[in[x]];
            if (c != 0)
                out[x] = c;
        }
    }
    ++frames_;
    if (!take_(canvas_, delay))
        return Fail(QStringLiteral("the GIF's reading was stopped"));

    // What the next frame is drawn over. The background is shown as
    // transparent, as browsers show it.
    if (disposal == DISPOSE_BACKGROUND) {
        const int right = std::min(desc.Left + desc.Width, canvas_.width());
        const int bottom = std::min(desc.Top + desc.Height, canvas_.height());
        for (int y = desc.Top; y < bottom; ++y) {
            auto* out = reinterpret_cast<QRgb*>(canvas_.scanLine(y));
            std::fill(out + std::min(int(desc.Left), right), out + right, QRgb(0));
        }
    } else if (disposal == DISPOSE_PREVIOUS) {
        canvas_ = before;
    }
    return true;
}

bool Decoder::Run()
{
    canvas_ = QImage(gif_->SWidth, gif_->SHeight, QImage::Format_ARGB32);
    if (canvas_.isNull())
        return Fail(QStringLiteral("cannot hold the GIF's canvas"));
    canvas_.fill(Qt::transparent);
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif_, &record) == GIF_ERROR)
            return FailGif();
        bool ok = true;
        if (record == EXTENSION_RECORD_TYPE)
            ok = ReadExtension();
        else if (record == IMAGE_DESC_RECORD_TYPE)
            ok = ReadImage();
        else if (record == TERMINATE_RECORD_TYPE)
            break;
        else
            ok = Fail(QStringLiteral("damaged GIF: an unknown block"));
        if (!ok)
            return false;
    }
    if (frames_ == 0)
        return Fail(QStringLiteral("the GIF holds no picture"));
    return true;
}

int WriteToMemory(GifFileType* gif, const GifByteType* from, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(from), length);
    return length;
}

}  // namespace

bool DecodeGifFrames(const QByteArray& data, QSize maxSize, const GifFrameSink& take, QString* error)
{
    MemoryReader reader{&data};
    int code = 0;
    GifReader gif(DGifOpen(&reader, ReadFromMemory, &code));
    if (!gif) {
        if (error)
            *error = GifError(code);
        return false;
    }
    if (gif->SWidth <= 0 || gif->SHeight <= 0 || gif->SWidth > maxSize.width() || gif->SHeight > maxSize.height()) {
        if (error)
            *error = QStringLiteral("a GIF of %1 x %2 pixels; at most %3 x %4 are read")
                         .arg(gif->SWidth)
                         .arg(gif->SHeight)
                         .arg(maxSize.width())
                         .arg(maxSize.height());
        return false;
    }
    return Decoder(gif.get(), take, error).Run();
}

std::optional<ImageFrames> DecodeGifFrames(const QByteArray& data, QSize maxSize, QString* error)
{
    ImageFrames frames;
    const GifFrameSink keep = [&frames](const QImage& canvas, int delay) {
        frames.images.push_back(canvas);
        frames.delays.push_back(delay);
        return true;
    };
    if (!DecodeGifFrames(data, maxSize, keep, error))
        return std::nullopt;
    return frames;
}

std::optional<QByteArray> EncodeGif(const MonoSet& set, QString* error)
{
    const auto fail = [error](int code) -> std::optional<QByteArray> {
        if (error)
            *error = QStringLiteral("cannot write the GIF: %1")
                         .arg(QString::fromLatin1(GifErrorString(code) ? GifErrorString(code) : "unknown error"));
        return std::nullopt;
    };
    if (set.frames.empty() || set.delays.size() != set.frames.size())
        return fail(E_GIF_ERR_DATA_TOO_BIG);
    QByteArray out;
    int code = 0;
    GifFileType* gif = EGifOpen(&out, WriteToMemory, &code);
    if (!gif)
        return fail(code);
    const auto close = [&gif](int* result) {
        const int closed = EGifCloseFile(gif, result);
        gif = nullptr;
        return closed;
    };
    const auto failOpen = [&](int) {
        const int why = gif->Error;
        int ignored = 0;
        close(&ignored);
        return fail(why);
    };
    const int width = set.frames.front().width;
    const int height = set.frames.front().height;
    const bool animated = set.Count() > 1;
    // A still picture carries a delay only when it is not the default one.
    const bool timed = animated || set.delays.front() != MonoSet::kDefaultDelay;
    EGifSetGifVersion(gif, timed);
    // Index 0 white, 1 black: a set cell is drawn in index 1.
    const GifColorType colours[2] = {{255, 255, 255}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(2, colours);
    const int screen = EGifPutScreenDesc(gif, width, height, 1, 0, map);
    GifFreeMapObject(map);
    if (screen == GIF_ERROR)
        return failOpen(0);
    if (animated) {
        // NETSCAPE2.0 with a loop count of 0: play for ever.
        static const GifByteType kApp[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        static const GifByteType kLoop[] = {1, 0, 0};
        if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR
            || EGifPutExtensionBlock(gif, sizeof kApp, kApp) == GIF_ERROR
            || EGifPutExtensionBlock(gif, sizeof kLoop, kLoop) == GIF_ERROR
            || EGifPutExtensionTrailer(gif) == GIF_ERROR)
            return failOpen(0);
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int i = 0; i < set.Count(); ++i) {
        const MonoPicture& frame = set.frames[std::size_t(i)];
        if (timed) {
            GraphicsControlBlock control{};
            control.DisposalMode = DISPOSE_DO_NOT;
            control.UserInputFlag = false;
            // GIF counts centiseconds: the delay is rounded to the nearest.
            control.DelayTime = (std::clamp(set.delays[std::size_t(i)], 0, MonoSet::kMaxDelay) + 5) / 10;
            control.TransparentColor = NO_TRANSPARENT_COLOR;
            GifByteType bytes[4];
            const std::size_t n = EGifGCBToExtension(&control, bytes);
            if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(n), bytes) == GIF_ERROR)
                return failOpen(0);
        }
        if (EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_ERROR)
            return failOpen(0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                line[std::size_t(x)] = frame.At(x, y) ? 1 : 0;
            if (EGifPutLine(gif, line.data(), width) == GIF_ERROR)
                return failOpen(0);
        }
    }
    if (close(&code) == GIF_ERROR)
        return fail(code);
    return out;
}

}  // namespace tobrin
