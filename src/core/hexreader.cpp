#include "core/hexreader.h"

#include <QFile>
#include <QIODevice>
#include <QString>
#include <algorithm>
#include <cstring>

#include "core/regularfile.h"

namespace tobrin {

namespace {
// Anything above this is "too large"; arithmetic saturates here.
constexpr unsigned kSaturated = 256;
// Any exponent of 3 or more already makes a non-zero mantissa too large.
constexpr unsigned kMaxExponent = 9;
}  // namespace

HexLineScanner::HexLineScanner(std::size_t keep) : keep_(std::min(keep, kMaxKept)) {}

void HexLineScanner::Feed(char c)
{
    if (notDb_)
        return;
    if (prefixSeen_ < 3) {
        if (c == ".db"[prefixSeen_])
            ++prefixSeen_;
        else
            notDb_ = true;
        return;
    }
    if (c == '$') {
        CloseNumber();
        num_ = Num::Hex;
        value_ = 0;
        hexDigits_ = false;
        return;
    }
    const bool digit = c >= '0' && c <= '9';
    const bool hexLetter = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (num_ == Num::Hex) {
        if (digit || hexLetter) {
            const unsigned d = digit ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
            value_ = std::min(kSaturated, value_ * 16 + d);
            hexDigits_ = true;
            if (value_ == kSaturated)
                tooLarge_ = true;  // certain already; lets a reader stop early
        } else {
            CloseNumber();
        }
        return;
    }
    if (num_ == Num::Dec) {
        if (digit) {
            const unsigned d = unsigned(c - '0');
            switch (phase_) {
            case DecPhase::Mantissa:
                value_ = std::min(kSaturated, value_ * 10 + d);
                if (value_ == kSaturated)
                    tooLarge_ = true;  // no later letter can make it smaller
                break;
            case DecPhase::ExpLetter:
                phase_ = DecPhase::ExpDigits;
                exponent_ = d;
                break;
            case DecPhase::ExpDigits:
                exponent_ = std::min(kMaxExponent, exponent_ * 10 + d);
                break;
            case DecPhase::Stopped:
                break;
            }
        } else if (hexLetter) {
            const bool expLetter = c == 'd' || c == 'D' || c == 'e' || c == 'E';
            phase_ = (phase_ == DecPhase::Mantissa && expLetter) ? DecPhase::ExpLetter
                                                                  : DecPhase::Stopped;
        } else {
            CloseNumber();
        }
        return;
    }
    if (digit) {
        num_ = Num::Dec;
        phase_ = DecPhase::Mantissa;
        value_ = unsigned(c - '0');
        exponent_ = 0;
    }
    // Anything else outside a number only separates.
}

void HexLineScanner::CloseNumber()
{
    switch (num_) {
    case Num::None:
        return;
    case Num::Hex:
        if (hexDigits_)
            Emit(value_);
        else
            ++pendingEmpty_;
        break;
    case Num::Dec: {
        unsigned v = value_;
        if (phase_ == DecPhase::ExpDigits && v != 0)
            for (unsigned i = 0; i < exponent_ && v < kSaturated; ++i)
                v = std::min(kSaturated, v * 10);
        Emit(v);
        break;
    }
    }
    num_ = Num::None;
}

void HexLineScanner::Emit(unsigned value)
{
    // Empty "$" items before this value each stand for 0.
    if (all_)
        all_->insert(all_->end(), std::size_t(pendingEmpty_), 0);
    while (pendingEmpty_ > 0 && count_ < keep_) {
        kept_[std::size_t(count_++)] = 0;
        --pendingEmpty_;
    }
    count_ += pendingEmpty_;
    pendingEmpty_ = 0;
    if (value > 255)
        tooLarge_ = true;
    if (all_)
        all_->push_back(int(value));
    if (count_ < keep_)
        kept_[std::size_t(count_)] = std::uint8_t(std::min(value, 255u));
    ++count_;
}

void HexLineScanner::Finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (prefixSeen_ < 3)
        notDb_ = true;
    if (notDb_)
        return;
    CloseNumber();
    pendingEmpty_ = 0;  // a trailing "$" without digits adds nothing
}

namespace {

// Character classes of the plain-line shortcut: a hex digit's value (0xFF
// for other characters) and the separators it takes.
struct PlainTables {
    std::uint8_t hex[256];
    bool separator[256];
};

constexpr PlainTables MakePlainTables()
{
    PlainTables t{};
    for (int c = 0; c < 256; ++c) {
        t.hex[c] = 0xFF;
        t.separator[c] = c == ' ' || c == ',' || c == '\t';
    }
    for (int c = '0'; c <= '9'; ++c)
        t.hex[c] = std::uint8_t(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) {
        t.hex[c] = std::uint8_t(c - 'a' + 10);
        t.hex[c - 'a' + 'A'] = std::uint8_t(c - 'a' + 10);
    }
    return t;
}

constexpr PlainTables kPlain = MakePlainTables();

}  // namespace

bool HexLineScanner::ScanPlainLine(const char* begin, const char* end)
{
    if (end - begin < 3 || std::memcmp(begin, ".db", 3) != 0 || prefixSeen_ != 0 || all_)
        return false;
    // Parsed into a scratch copy first: an unusual line leaves no trace.
    std::array<std::uint8_t, kMaxKept> kept;
    std::uint64_t count = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(begin + 3);
    const auto* stop = reinterpret_cast<const unsigned char*>(end);
    while (p != stop) {
        if (kPlain.separator[*p]) {
            ++p;
            continue;
        }
        unsigned value;
        if (*p == '$') {
            // One to three hex digits.
            if (++p == stop || kPlain.hex[*p] > 15)
                return false;
            value = kPlain.hex[*p++];
            for (int more = 0; more < 2 && p != stop && kPlain.hex[*p] <= 15; ++more)
                value = value * 16 + kPlain.hex[*p++];
        } else if (unsigned(*p - '0') < 10) {
            // One to four decimal digits.
            value = unsigned(*p++ - '0');
            for (int more = 0; more < 3 && p != stop && unsigned(*p - '0') < 10; ++more)
                value = value * 10 + unsigned(*p++ - '0');
        } else {
            return false;
        }
        // The value must end at a separator or the line end, and fit.
        if (value > 255)
            return false;
        if (p != stop) {
            if (!kPlain.separator[*p])
                return false;
            ++p;
        }
        if (count < keep_)
            kept[std::size_t(count)] = std::uint8_t(value);
        ++count;
    }
    std::copy_n(kept.begin(), std::min<std::uint64_t>(count, keep_), kept_.begin());
    count_ = count;
    prefixSeen_ = 3;
    finished_ = true;
    return true;
}

HexLine ParseHexLine(std::string_view line)
{
    HexLine result;
    HexLineScanner scanner(0);
    scanner.CollectInto(&result.values);
    for (char c : line)
        scanner.Feed(c);
    scanner.Finish();
    result.notDb = scanner.NotDb();
    result.tooLarge = scanner.TooLarge();
    return result;
}

}  // namespace tobrin

namespace tobrin {

namespace {

// Characters of a device with line ends folded: CR or CR LF end a line, a
// LF not right after a CR is an ordinary character.
class LineSource {
public:
    explicit LineSource(QIODevice& device) : device_(device) {}

    enum class Result { Line, NoLine, Stopped, Error };

    // Feeds the next line's characters to scanner until its line end or the
    // end of the data, or until stop(scanner) says the outcome is known.
    // NoLine: the data ended before the line had any character or end.
    template <typename Stop>
    Result FeedLine(HexLineScanner& scanner, Stop stop)
    {
        // Most lines lie whole in the buffer and are plain: scanned at once.
        if (afterCr_ && pos_ < len_) {
            afterCr_ = false;
            if (buffer_[pos_] == '\n')
                ++pos_;
        }
        if (!afterCr_ && pos_ < len_) {
            const void* cr = std::memchr(buffer_ + pos_, '\r', len_ - pos_);
            if (cr && scanner.ScanPlainLine(buffer_ + pos_, static_cast<const char*>(cr))) {
                pos_ = std::size_t(static_cast<const char*>(cr) - buffer_) + 1;
                afterCr_ = true;
                return Result::Line;
            }
        }
        bool any = false;
        for (;;) {
            if (pos_ == len_ && !Refill()) {
                if (error_)
                    return Result::Error;
                if (!any)
                    return Result::NoLine;
                scanner.Finish();
                return Result::Line;
            }
            const char c = buffer_[pos_++];
            if (afterCr_) {
                afterCr_ = false;
                if (c == '\n')
                    continue;
            }
            if (c == '\r') {
                afterCr_ = true;
                scanner.Finish();
                return Result::Line;
            }
            any = true;
            scanner.Feed(c);
            if (stop(scanner))
                return Result::Stopped;
        }
    }

    // Skips whole lines that do not begin with ".db", a block at a time.
    // True when the next line begins with ".db" (nothing of it is consumed);
    // false when the data ends (or fails) first.
    bool SkipLinesWithoutDb()
    {
        for (;;) {
            if (afterCr_) {
                if (!Ensure(1))
                    return false;
                afterCr_ = false;
                if (buffer_[pos_] == '\n')
                    ++pos_;
            }
            // Empty lines go by without a look for ".db".
            if (pos_ < len_ && buffer_[pos_] == '\r') {
                ++pos_;
                afterCr_ = true;
                continue;
            }
            if (Ensure(3) && std::memcmp(buffer_ + pos_, ".db", 3) == 0)
                return true;
            // Not a ".db" line: on to the character after its CR.
            for (;;) {
                if (pos_ == len_ && !Refill())
                    return false;
                const void* cr = std::memchr(buffer_ + pos_, '\r', len_ - pos_);
                if (cr) {
                    pos_ = std::size_t(static_cast<const char*>(cr) - buffer_) + 1;
                    afterCr_ = true;
                    break;
                }
                pos_ = len_;
            }
        }
    }

private:
    // At least n characters buffered from pos_ (n is small), unless the data
    // ends first.
    bool Ensure(std::size_t n)
    {
        while (len_ - pos_ < n) {
            if (eof_)
                return false;
            std::memmove(buffer_, buffer_ + pos_, len_ - pos_);
            len_ -= pos_;
            pos_ = 0;
            const qint64 got = device_.read(buffer_ + len_, qint64(sizeof buffer_ - len_));
            if (got <= 0) {
                error_ = got < 0;
                eof_ = true;
                return false;
            }
            len_ += std::size_t(got);
        }
        return true;
    }

    bool Refill()
    {
        if (eof_)
            return false;
        const qint64 n = device_.read(buffer_, qint64(sizeof buffer_));
        if (n < 0) {
            error_ = true;
            eof_ = true;
            return false;
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        pos_ = 0;
        len_ = std::size_t(n);
        return true;
    }

    QIODevice& device_;
    char buffer_[64 * 1024];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool afterCr_ = false;
    bool eof_ = false;
    bool error_ = false;
};

}  // namespace

std::optional<HexPicture> ReadHexData(QIODevice& device)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (!device.isReadable())
        return std::nullopt;

    LineSource source(device);
    using Result = LineSource::Result;

    // Skip lines until one begins with ".db"; that one decides the form.
    if (!source.SkipLinesWithoutDb())
        return std::nullopt;
    HexLineScanner first(5);
    const Result r = source.FeedLine(first, [](const HexLineScanner& s) {
        return s.TooLarge() || s.Count() > 5;
    });
    if (r != Result::Line || first.NotDb() || first.TooLarge())
        return std::nullopt;

    HexPicture picture;
    int firstRow = 0;
    if (first.Count() == 2) {
        picture.width = first.Kept()[0];
        picture.height = first.Kept()[1];
        if (picture.width < 4 || picture.width > kMaxWidth || picture.height < 4
            || picture.height > kMaxHeight)
            return std::nullopt;
    } else if (first.Count() == 5) {
        picture.width = 40;
        picture.height = 32;
        firstRow = 1;
    } else {
        return std::nullopt;
    }

    const std::size_t bytesPerRow = std::size_t(picture.width + 7) / 8;
    picture.rowBytes.assign(std::size_t(picture.height), {});
    if (firstRow == 1)
        std::copy_n(first.Kept().begin(), 5, picture.rowBytes[0].begin());

    for (int y = firstRow; y < picture.height; ++y) {
        HexLineScanner row(bytesPerRow);
        const Result r = source.FeedLine(row, [](const HexLineScanner& s) {
            return s.NotDb() || s.TooLarge();
        });
        if (r != Result::Line || row.NotDb() || row.TooLarge() || row.Count() < bytesPerRow)
            return std::nullopt;
        std::copy_n(row.Kept().begin(), bytesPerRow, picture.rowBytes[std::size_t(y)].begin());
    }
    // Whatever follows the last row is never read.
    return picture;
}

std::optional<HexPicture> ReadHexPath(const QString& path)
{
    if (!IsRegularFile(path))
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ReadHexData(file);
}

void UnpackHexPicture(const HexPicture& picture, PictureData& d)
{
    d.PicData.fill(0);
    const int bytesPerRow = (picture.width + 7) / 8;
    for (int y = 0; y < picture.height; ++y) {
        const auto& bytes = picture.rowBytes[std::size_t(y)];
        for (int k = 0; k < bytesPerRow; ++k)
            for (int b = 0; b < 8; ++b)
                d.Pic(8 * k + b, y) = std::uint8_t((bytes[std::size_t(k)] >> (7 - b)) & 1);
    }
    d.MaxX = picture.width - 1;
    d.MaxY = picture.height - 1;
}

bool ReadHexInto(const QString& path, PictureData& d)
{
    const std::optional<HexPicture> picture = ReadHexPath(path);
    if (!picture)
        return false;
    UnpackHexPicture(*picture, d);
    return true;
}

}  // namespace tobrin
