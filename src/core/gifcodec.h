#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
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

// Decodes with giflib. Refuses (nullopt and *error) a truncated or damaged
// file, more than MonoSet::kMaxFrames frames, a canvas larger than
// maxSize, and a total decode above the budget, before allocating it.
std::optional<ImageFrames> DecodeGifFrames(const QByteArray& data, QSize maxSize, QString* error = nullptr);

// An animated 1-bit GIF of the set, black on white, with its delays and an
// endless loop.
std::optional<QByteArray> EncodeGif(const MonoSet& set, QString* error = nullptr);

}  // namespace tobrin
