#pragma once

#include <QString>

class QIODevice;

namespace tobrin {

// Qt's readers decode some damaged files in part without a word: a bitmap
// cut short or whose pixel offset points past its end, a GIF cut short.
// These checks find such damage from the file's structure before it is
// decoded, reading device from its start and leaving it where it was; true when the file is no bitmap or
// GIF, or is whole. *why says what is wrong.
bool CheckImageStructure(QIODevice& device, QString* why);

// Collects what Qt's image readers report on this thread while it lives:
// a decoder's warnings (libjpeg's premature end of data and corrupt data,
// libpng's, a reader's own) mean the image was damaged, even when the read
// itself succeeded. Other threads' messages pass through.
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
