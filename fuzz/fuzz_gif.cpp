// The GIF decoder (giflib, composited as viewers show it) and the GIF
// format's set reader on arbitrary bytes.
//
// Checks, for every input:
// - DecodeGifFrames returns 1..1024 frames, each the whole canvas (within
//   the cap the last byte of the input chooses), ARGB32, with a delay of
//   1..65535 ms;
// - the set reader accepts exactly when every frame is pure black and
//   white and of a picture's size, and then gives those frames;
// - an accepted set written as a GIF (EncodeGif) reads back to the same
//   frames and delays.

#include <QByteArray>
#include <QImage>

#include "core/formats.h"
#include "core/gifcodec.h"
#include "fuzzsupport.h"

using namespace tobrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const int side = size ? 16 << (data[size - 1] % 6) : 16;  // 16 .. 512
    const std::optional<ImageFrames> frames = DecodeGifFrames(bytes, QSize(side, side));
    if (frames) {
        FUZZ_CHECK(!frames->images.empty() && frames->images.size() <= std::size_t(MonoSet::kMaxFrames));
        FUZZ_CHECK(frames->delays.size() == frames->images.size());
        const QSize canvas = frames->images[0].size();
        FUZZ_CHECK(canvas.width() >= 1 && canvas.width() <= side && canvas.height() >= 1 && canvas.height() <= side);
        for (std::size_t i = 0; i < frames->images.size(); ++i) {
            FUZZ_CHECK(frames->images[i].size() == canvas);
            FUZZ_CHECK(frames->images[i].format() == QImage::Format_ARGB32);
            FUZZ_CHECK(frames->delays[i] >= 1 && frames->delays[i] <= MonoSet::kMaxDelay);
        }
    }

    const std::optional<MonoSet> set = Format("gif").decodeSet(bytes, {}, nullptr);
    const std::optional<ImageFrames> full = DecodeGifFrames(bytes, QSize(kMaxWidth, kMaxHeight));
    if (!full) {
        FUZZ_CHECK(!set);
        return 0;
    }
    bool blackAndWhite = full->images[0].width() >= 4 && full->images[0].height() >= 4;
    for (const QImage& image : full->images)
        for (int y = 0; y < image.height() && blackAndWhite; ++y)
            for (int x = 0; x < image.width() && blackAndWhite; ++x)
                blackAndWhite = image.pixel(x, y) == 0xFF000000u || image.pixel(x, y) == 0xFFFFFFFFu;
    FUZZ_CHECK(set.has_value() == blackAndWhite);
    if (!set)
        return 0;
    FUZZ_CHECK(set->delays == full->delays);
    for (std::size_t i = 0; i < set->frames.size(); ++i)
        for (int y = 0; y < set->frames[i].height; ++y)
            for (int x = 0; x < set->frames[i].width; ++x)
                FUZZ_CHECK((set->frames[i].At(x, y) == 1) == (full->images[i].pixel(x, y) == 0xFF000000u));
    const std::optional<QByteArray> written = EncodeGif(*set);
    FUZZ_CHECK(written.has_value());
    const std::optional<MonoSet> again = Format("gif").decodeSet(*written, {}, nullptr);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->frames == set->frames);
    FUZZ_CHECK(again->delays == set->delays);
    return 0;
}
