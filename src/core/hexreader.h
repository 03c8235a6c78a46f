#pragma once

#include <QtGlobal>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/picturedata.h"

class QIODevice;
class QString;

namespace tobrin {

// Counts and values of one ".db" line, built a character at a time so that
// a line of any length is scanned in constant memory. Feed the characters
// after the line start (line end excluded), then Finish().
//
// Numbers: a decimal digit outside a number starts a decimal number, "$"
// starts a hexadecimal one (and closes a number already open); while a
// number is open, digits and the letters a..f / A..F are appended; any
// other character closes it. A decimal number reads up to its first letter,
// except that the exact form digits [dDeE] digits carries a decimal
// exponent (1e2 is 100). A "$" without hex digits counts as 0 when a later
// value follows on the line and as nothing otherwise. Values above 255
// (however written) mark the line as failed; no arithmetic overflows.
class HexLineScanner {
public:
    // keep: how many leading values to store (at most kMaxKept); the rest
    // are only counted and range-checked.
    static constexpr std::size_t kMaxKept = 31;
    explicit HexLineScanner(std::size_t keep = kMaxKept);

    // Also append every value to *all (values above 255 appear as 256).
    // Only for lines already held in memory.
    void CollectInto(std::vector<int>* all) { all_ = all; }

    void Feed(char c);
    void Finish();
    // The common case at once: a whole line (line end excluded) that holds
    // ".db" and then only values of at most 255 written as decimal digits or
    // as "$" and hex digits, separated by blanks, tabs and commas. Gives
    // what feeding it character by character and Finish() give, and true;
    // gives false and changes nothing for any other line. Only on a scanner
    // that has been fed nothing.
    bool ScanPlainLine(const char* begin, const char* end);

    // The line does not begin with ".db" (known after three characters,
    // or at Finish for a shorter line). Such a line has no values.
    bool NotDb() const { return notDb_; }
    // A value above 255 occurred.
    bool TooLarge() const { return tooLarge_; }
    // ... and its text is known (the number has closed, or its first
    // kTextKept characters are in): a reader may stop there.
    bool TooLargeKnown() const { return tooLarge_ && !recordingBig_; }
    // The text of the first value above 255, as written ("300", "$1ff").
    std::string_view TooLargeText() const { return {bigText_.data(), bigLen_}; }
    // Values found so far (all of them after Finish).
    std::uint64_t Count() const { return count_; }
    // The first min(Count(), keep) values.
    const std::array<std::uint8_t, kMaxKept>& Kept() const { return kept_; }
    std::size_t KeptCount() const { return count_ < keep_ ? std::size_t(count_) : keep_; }

private:
    enum class Num { None, Dec, Hex };
    enum class DecPhase { Mantissa, ExpLetter, ExpDigits, Stopped };

    void CloseNumber();
    void Emit(unsigned value);  // value saturated at 256
    void Keep(char c);          // one more character of the open number
    void KeepBigText();

    static constexpr std::size_t kTextKept = 16;
    std::array<char, kTextKept> numText_{};
    std::size_t numLen_ = 0;
    std::array<char, kTextKept> bigText_{};
    std::size_t bigLen_ = 0;
    bool recordingBig_ = false;  // the open number is the first one above 255

    std::size_t keep_;
    std::vector<int>* all_ = nullptr;
    std::array<std::uint8_t, kMaxKept> kept_{};
    std::uint64_t count_ = 0;
    std::uint64_t pendingEmpty_ = 0;  // "$" without digits, waiting for a later value
    int prefixSeen_ = 0;              // characters of ".db" matched so far
    bool notDb_ = false;
    bool tooLarge_ = false;
    bool finished_ = false;

    Num num_ = Num::None;
    DecPhase phase_ = DecPhase::Mantissa;
    unsigned value_ = 0;     // mantissa or hex value, saturated at 256
    unsigned exponent_ = 0;  // saturated at 9
    bool hexDigits_ = false;
};

// One scanned line held in memory (the line start ".db" included): notDb,
// the values in order (one above 255 appears as 256), and whether a value
// above 255 occurred.
struct HexLine {
    bool notDb = false;
    std::vector<int> values;
    bool tooLarge = false;
};
HexLine ParseHexLine(std::string_view line);

// A hex file read and validated completely; nothing else is changed by
// reading it.
struct HexPicture {
    int width = 0;
    int height = 0;
    // One entry per row; bytes 0..ceil(width/8)-1 are the row's bytes.
    std::vector<std::array<std::uint8_t, 31>> rowBytes;
};

// Reads a hex text: lines end at CR or CR LF (a lone LF is an ordinary
// character). Lines before the first one beginning with ".db" are skipped;
// that line holds either 2 values (width 4..240, height 4..120; the rows
// follow) or 5 values (a headerless 40 x 32 picture whose row 0 it is).
// Each row is the very next line, begins with ".db" and holds at least
// ceil(width/8) values; extra values are ignored. Reading stops after the
// last row or at the first certain failure. The device must be open for
// reading (it is opened read-only if it is not). nullopt on any failure,
// and *error (when given) says where and why: "line 7: value 300 is above
// 255". A picture's text is at most about 16 KB, so reading gives up after
// kMaxHexBytes.
constexpr qint64 kMaxHexBytes = 64LL * 1024 * 1024;
std::optional<HexPicture> ReadHexData(QIODevice& device, QString* error = nullptr);
// The same for a file; anything but a regular file (a folder, a pipe, a
// device) and any file over kMaxHexBytes is refused before it is read.
std::optional<HexPicture> ReadHexPath(const QString& path, QString* error = nullptr);

// Clears all of PicData (241 x 121), writes the rows most significant bit
// first (bits of the last byte beyond the width land right of the picture,
// so a file read and written again keeps them) and sets MaxX and MaxY.
void UnpackHexPicture(const HexPicture& picture, PictureData& d);

// ReadHexPath and, only when it succeeds, UnpackHexPicture into d.
// A failed read leaves d exactly as it was.
bool ReadHexInto(const QString& path, PictureData& d, QString* error = nullptr);

}  // namespace tobrin
