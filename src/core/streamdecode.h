#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/stretch.h"

class QIODevice;

namespace tobrin {

// Combines the rows of a source, arriving from the top, into a copy of
// another size exactly as StretchDraw draws the whole source into a white
// image of that size: each copy pixel is the per-component minimum
// (MinChannels) of its share of the source. Only the copy and one row are ever held.
class RowShrinker {
public:
    RowShrinker(QSize source, QSize copy);
    bool IsNull() const { return copy_.isNull(); }
    // The next source row: source.width() colours.
    void AddRow(const QRgb* row);
    // The finished copy (Format_RGB32, opaque).
    QImage Take();

private:
    int sourceWidth_;
    int sourceHeight_;
    QImage copy_;
    ColumnShares columns_{0, 1, 1};
    std::vector<std::uint32_t> combined_;
    int nextRow_ = 0;
    int firstTarget_ = 0;
};

// What streaming made of a file.
enum class StreamOutcome {
    Decoded,        // *copy holds the shrunk copy, *sourceSize the source's size
    NotStreamable,  // a format or variant read whole by Qt's readers instead
    Refused,        // too large for its header's size; *error says why
    Failed,         // unreadable; *error says why
};

// Decodes a JPEG (libjpeg-turbo's scanline reader) or a non-interlaced PNG
// (libpng's row reader) from device row by row into the copy of the size
// copySize gives for the source's size, through RowShrinker. Transparent
// parts are laid over white. The pixels are the ones Qt's JPEG and PNG
// readers give for the same file, so the copy is the one StretchDraw makes
// of Qt's decoded image. Interlaced PNGs and CMYK JPEGs (which need the
// whole image, or Qt's own colour handling) and progressive JPEGs of more
// than wholePixels (libjpeg keeps their coefficients whole) are left to the
// caller. Sizes over maxPixels are refused from the header, before any
// pixel memory is taken.
StreamOutcome StreamDecode(QIODevice& device, qint64 maxPixels, qint64 wholePixels,
                           const std::function<QSize(QSize)>& copySize, QImage* copy, QSize* sourceSize,
                           QString* error);

}  // namespace tobrin
