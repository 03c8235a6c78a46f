#pragma once

#include <QString>

class QIODevice;

namespace tobrin {

// Qt's readers decode some damaged files in part without a word: a bitmap
// cut short or whose pixel offset points past its end, a GIF cut short;
// and libpng allocates whatever a PNG chunk's length claims.
// These checks find such damage from the file's structure before it is
// decoded, reading device from its start and leaving it where it was; true when the file is no bitmap,
// GIF or PNG, or is whole. *why says what is wrong.
bool CheckImageStructure(QIODevice& device, QString* why);

// The PNG part alone, for a reader about to ask a PNG for its size (which
// reads every chunk before the pixels): a chunk that claims more bytes
// than the file holds makes libpng take what it claims, gigabytes for a
// few hundred bytes of file. True for anything but a PNG.
bool CheckPngChunks(QIODevice& device, QString* why);

// How many full-size images the decoder of device's format holds at once:
// 2 for a lossless or animated WebP (libwebp decodes a lossless image
// whole before it writes the output; an animation is composed in a frame of
// its own), 1 otherwise. device is left where it was.
int DecoderCopies(QIODevice& device);

// Collects what Qt's image readers report on this thread while it lives
// that means the image was damaged, even when the read itself succeeded:
// libjpeg's warnings (premature end of data, corrupt data) and reads past
// the end of the data. Other messages, and other threads', pass through.
class DecoderComplaints {
public:
    DecoderComplaints();
    ~DecoderComplaints();
    DecoderComplaints(const DecoderComplaints&) = delete;
    DecoderComplaints& operator=(const DecoderComplaints&) = delete;
    // The first complaint, empty when none.
    QString First() const;
};

}  // namespace tobrin
