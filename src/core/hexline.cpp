#include "core/hexreader.h"

#include <algorithm>
#include <cstring>

// The ".db" line scanner: a line's values a character at a time, and the
// shortcut for plain lines.

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
        numLen_ = 0;
        Keep(c);
        return;
    }
    const bool digit = c >= '0' && c <= '9';
    const bool hexLetter = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (num_ == Num::Hex) {
        if (digit || hexLetter) {
            const unsigned d = digit ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
            value_ = std::min(kSaturated, value_ * 16 + d);
            hexDigits_ = true;
            Keep(c);
            if (value_ == kSaturated && !tooLarge_) {
                tooLarge_ = true;  // certain already; lets a reader stop early
                recordingBig_ = true;
            }
        } else {
            CloseNumber();
        }
        return;
    }
    if (num_ == Num::Dec) {
        if (digit || hexLetter)
            Keep(c);
        if (digit) {
            const unsigned d = unsigned(c - '0');
            switch (phase_) {
            case DecPhase::Mantissa:
                value_ = std::min(kSaturated, value_ * 10 + d);
                if (value_ == kSaturated && !tooLarge_) {
                    tooLarge_ = true;  // no later letter can make it smaller
                    recordingBig_ = true;
                }
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
        numLen_ = 0;
        Keep(c);
    }
    // Anything else outside a number only separates.
}

void HexLineScanner::Keep(char c)
{
    if (numLen_ < kTextKept)
        numText_[numLen_++] = c;
    else if (recordingBig_)
        KeepBigText();  // enough of it to show; the reader may stop
}

void HexLineScanner::KeepBigText()
{
    std::copy_n(numText_.begin(), numLen_, bigText_.begin());
    bigLen_ = numLen_;
    recordingBig_ = false;
}

void HexLineScanner::CloseNumber()
{
    if (recordingBig_)
        KeepBigText();
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
    if (value > 255 && !tooLarge_) {
        tooLarge_ = true;  // an exponent: the number is complete
        KeepBigText();
    }
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
