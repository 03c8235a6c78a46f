// The hex reader on arbitrary bytes.
//
// Checks, for every input:
// - the streaming reader agrees with a plain in-memory reader written here
//   from the format's rules (line ends, ".db" prefix, number scanning, the
//   two file forms, the row count and the value ranges);
// - ParseHexLine agrees with the same rules on the first lines;
// - a rejected file leaves the picture exactly as it was (read, and only on
//   success unpack, as Open does);
// - an accepted file unpacks to a picture that writes back to hex text which
//   reads again to the same size and the same pixels, padding bits included,
//   with or without the extra line end that Save adds.

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/picturedata.h"
#include "core/hexreader.h"
#include "core/hexwriter.h"
#include "fuzzsupport.h"

using namespace tobrin;

namespace {

constexpr unsigned kTooLarge = 256;

// ---- the rules, written out plainly ----------------------------------------------

struct RefLine {
    bool notDb = true;
    std::vector<unsigned> values;  // above 255 kept as 256
    bool tooLarge = false;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexLetter(char c) { return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

unsigned Saturate(unsigned long long v) { return v > 255 ? kTooLarge : unsigned(v); }

unsigned HexValue(const std::string& text)
{
    unsigned long long v = 0;
    for (char c : text) {
        const unsigned d = IsDigit(c) ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
        v = v * 16 + d;
        if (v > 255)
            return kTooLarge;
    }
    return unsigned(v);
}

// Decimal text (digits and hex letters): the leading digits, read up to the
// first letter; the exact form digits [dDeE] digits carries an exponent.
unsigned DecimalValue(const std::string& text)
{
    std::size_t i = 0;
    unsigned long long mantissa = 0;
    while (i < text.size() && IsDigit(text[i])) {
        mantissa = std::min<unsigned long long>(mantissa * 10 + unsigned(text[i] - '0'), 1000);
        ++i;
    }
    const bool exponentForm = i + 1 < text.size() && std::strchr("dDeE", text[i]) != nullptr
        && std::all_of(text.begin() + std::ptrdiff_t(i) + 1, text.end(), IsDigit);
    if (!exponentForm || mantissa == 0)
        return Saturate(mantissa);
    unsigned long long exponent = 0;
    for (std::size_t k = i + 1; k < text.size(); ++k)
        exponent = std::min<unsigned long long>(exponent * 10 + unsigned(text[k] - '0'), 10);
    for (unsigned long long k = 0; k < exponent && mantissa <= 255; ++k)
        mantissa *= 10;
    return Saturate(mantissa);
}

RefLine RefScan(std::string_view line)
{
    RefLine r;
    if (line.size() < 3 || line.substr(0, 3) != ".db")
        return r;
    r.notDb = false;
    struct Token {
        bool hex;
        std::string text;
    };
    std::vector<Token> tokens;
    bool open = false;
    Token current{false, {}};
    const auto close = [&] {
        if (open)
            tokens.push_back(current);
        open = false;
    };
    for (std::size_t i = 3; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '$') {
            close();
            current = Token{true, {}};
            open = true;
        } else if (open) {
            if (IsDigit(c) || IsHexLetter(c))
                current.text += c;
            else
                close();
        } else if (IsDigit(c)) {
            current = Token{false, std::string(1, c)};
            open = true;
        }
    }
    close();
    std::size_t emptyDollars = 0;
    for (const Token& t : tokens) {
        if (t.hex && t.text.empty()) {
            ++emptyDollars;  // a value only if a later one follows
            continue;
        }
        r.values.insert(r.values.end(), emptyDollars, 0u);
        emptyDollars = 0;
        r.values.push_back(t.hex ? HexValue(t.text) : DecimalValue(t.text));
    }
    r.tooLarge = std::any_of(r.values.begin(), r.values.end(), [](unsigned v) { return v > 255; });
    return r;
}

// Lines end at CR or CR LF; a LF on its own is an ordinary character.
std::vector<std::string_view> SplitLines(std::string_view data)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < data.size()) {
        if (data[i] == '\r') {
            lines.push_back(data.substr(start, i - start));
            ++i;
            if (i < data.size() && data[i] == '\n')
                ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < data.size())
        lines.push_back(data.substr(start));
    return lines;
}

std::optional<HexPicture> RefRead(std::string_view data)
{
    const std::vector<std::string_view> lines = SplitLines(data);
    std::size_t n = 0;
    while (n < lines.size() && RefScan(lines[n]).notDb)
        ++n;
    if (n == lines.size())
        return std::nullopt;
    const RefLine first = RefScan(lines[n++]);
    if (first.tooLarge)
        return std::nullopt;
    HexPicture p;
    int y = 0;
    if (first.values.size() == 2) {
        p.width = int(first.values[0]);
        p.height = int(first.values[1]);
        if (p.width < 4 || p.width > kMaxWidth || p.height < 4 || p.height > kMaxHeight)
            return std::nullopt;
        p.rowBytes.assign(std::size_t(p.height), {});
    } else if (first.values.size() == 5) {
        p.width = 40;
        p.height = 32;
        p.rowBytes.assign(32, {});
        for (int k = 0; k < 5; ++k)
            p.rowBytes[0][std::size_t(k)] = std::uint8_t(first.values[std::size_t(k)]);
        y = 1;
    } else {
        return std::nullopt;
    }
    const std::size_t bytes = std::size_t(p.width + 7) / 8;
    for (; y < p.height; ++y, ++n) {
        if (n == lines.size())
            return std::nullopt;
        const RefLine row = RefScan(lines[n]);
        if (row.notDb || row.tooLarge || row.values.size() < bytes)
            return std::nullopt;
        for (std::size_t k = 0; k < bytes; ++k)
            p.rowBytes[std::size_t(y)][k] = std::uint8_t(row.values[k]);
    }
    return p;
}

// ---- the reader under test -----------------------------------------------------

std::optional<HexPicture> Read(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    FUZZ_CHECK(buffer.open(QIODevice::ReadOnly));
    return ReadHexData(buffer);
}

// A device that hands out its data a few bytes per read, as a slow disk or
// a network folder may: every buffer boundary of the reader gets crossed.
class TricklingDevice : public QIODevice {
public:
    TricklingDevice(const QByteArray& data, qint64 step) : data_(data), step_(step) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return data_.size() - at_ + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = std::min({max, step_, qint64(data_.size()) - at_});
        std::memcpy(out, data_.constData() + at_, std::size_t(n));
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray data_;
    qint64 step_;
    qint64 at_ = 0;
};

std::optional<HexPicture> ReadTrickling(const QByteArray& bytes, qint64 step)
{
    TricklingDevice device(bytes, step);
    FUZZ_CHECK(device.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    return ReadHexData(device);
}

bool SamePicture(const HexPicture& a, const HexPicture& b)
{
    if (a.width != b.width || a.height != b.height || a.rowBytes.size() != b.rowBytes.size())
        return false;
    const std::size_t bytes = std::size_t(a.width + 7) / 8;
    for (std::size_t y = 0; y < a.rowBytes.size(); ++y)
        if (!std::equal(a.rowBytes[y].begin(), a.rowBytes[y].begin() + std::ptrdiff_t(bytes), b.rowBytes[y].begin()))
            return false;
    return true;
}

bool SameState(const PictureData& a, const PictureData& b)
{
    return a.PicData == b.PicData && a.MaxX == b.MaxX && a.MaxY == b.MaxY;
}

// A picture that no file produces: odd size, a pattern everywhere.
PictureData Sentinel()
{
    PictureData d;
    for (std::size_t i = 0; i < d.PicData.size(); ++i)
        d.PicData[i] = std::uint8_t((i * 7 / 3) % 2);
    d.MaxX = 16;
    d.MaxY = 8;
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::string_view view(reinterpret_cast<const char*>(data), size);

    // The single-line scanner against the rules, on the first lines.
    const std::vector<std::string_view> lines = SplitLines(view);
    for (std::size_t i = 0; i < std::min<std::size_t>(lines.size(), 6); ++i) {
        const HexLine got = ParseHexLine(lines[i]);
        const RefLine want = RefScan(lines[i]);
        FUZZ_CHECK(got.notDb == want.notDb);
        FUZZ_CHECK(got.tooLarge == want.tooLarge);
        FUZZ_CHECK(got.values.size() == want.values.size());
        for (std::size_t k = 0; k < want.values.size(); ++k)
            FUZZ_CHECK(unsigned(got.values[k]) == want.values[k]);
    }

    // Read, and only on success unpack: what Open does.
    const PictureData sentinel = Sentinel();
    PictureData d = sentinel;
    const std::optional<HexPicture> picture = Read(bytes);
    const std::optional<HexPicture> expected = RefRead(view);
    FUZZ_CHECK(picture.has_value() == expected.has_value());
    // The same through reads of 1 to 8 bytes.
    const std::optional<HexPicture> trickled = ReadTrickling(bytes, 1 + (size ? data[size - 1] % 8 : 0));
    FUZZ_CHECK(trickled.has_value() == expected.has_value());
    if (trickled)
        FUZZ_CHECK(SamePicture(*trickled, *expected));
    if (!picture) {
        FUZZ_CHECK(SameState(d, sentinel));
        return 0;
    }
    FUZZ_CHECK(SamePicture(*picture, *expected));
    FUZZ_CHECK(picture->width >= 4 && picture->width <= kMaxWidth);
    FUZZ_CHECK(picture->height >= 4 && picture->height <= kMaxHeight);
    UnpackHexPicture(*picture, d);
    FUZZ_CHECK(d.Width() == picture->width && d.Height() == picture->height);
    for (std::uint8_t v : d.PicData)
        FUZZ_CHECK(v <= 1);

    // Written back and read again: same size, same pixels (padding too).
    const std::string text = HexText(d);
    for (char c : text)
        FUZZ_CHECK(c == '\r' || c == '\n' || (c >= ' ' && c < 127));
    for (const std::string& saved : {text, text + "\r\n"}) {
        const std::optional<HexPicture> again = Read(QByteArray(saved.data(), qsizetype(saved.size())));
        FUZZ_CHECK(again.has_value());
        FUZZ_CHECK(SamePicture(*again, *picture));
        PictureData e = sentinel;
        UnpackHexPicture(*again, e);
        FUZZ_CHECK(e.PicData == d.PicData);
        FUZZ_CHECK(e.MaxX == d.MaxX && e.MaxY == d.MaxY);
        FUZZ_CHECK(HexText(e) == text);
    }
    return 0;
}
