#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "core/formats.h"

namespace tobrin {

// The frames of an animated GIF as a viewer shows them: each one the whole
// canvas composited over the frames before it (disposal methods honoured),
// Format_ARGB32, with its delay in milliseconds.
struct ImageFrames {
    std::vector<QImage> images;
    std::vector<int> delays;
};

// What decoding one GIF may cost, in pixels: every frame counts its whole
// canvas (it is kept composited) and its own rectangle (it is decoded), so
// 1024 frames of 240 x 120 take under half of it, and a small file that
// unpacks to billions of pixels is refused before it is decoded.
constexpr qint64 kGifDecodeBudget = 256LL * 1024 * 1024;

// Decodes with giflib. Refuses (nullopt and *error) a truncated or damaged
// file, more than MonoSet::kMaxFrames frames, a canvas larger than
// maxSize, and a total decode above kGifDecodeBudget, each before
// allocating it. The canvas starts transparent (a viewer's background); a
// frame is clipped to it; disposal 2 clears the frame's rectangle to
// transparent, 3 restores the canvas as it was before the frame. A delay
// of 0 or 1 centisecond is shown as 100 ms, as browsers show it; delays
// are capped at MonoSet::kMaxDelay.
std::optional<ImageFrames> DecodeGifFrames(const QByteArray& data, QSize maxSize, QString* error = nullptr);

// Takes each frame's canvas as soon as it is composited, with its delay;
// false stops the decode. The canvas is the decoder's own: a copy made on
// the decoding thread may share it (the decoder's next change detaches
// from it), one for another thread must be deep.
using GifFrameSink = std::function<bool(const QImage& canvas, int delay)>;

// The same decode, every frame handed to take instead of kept; false (and
// *error) on the same refusals, which may come after some frames were taken.
bool DecodeGifFrames(const QByteArray& data, QSize maxSize, const GifFrameSink& take, QString* error = nullptr);

// An animated 1-bit GIF of the set, black on white, with its delays and an
// endless loop.
std::optional<QByteArray> EncodeGif(const MonoSet& set, QString* error = nullptr);

}  // namespace tobrin
