#include "core/hexwriter.h"

#include <cstdint>

namespace tobrin {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

inline void AppendDecimal(std::string& out, int value)
{
    char buf[12];
    int n = 0;
    unsigned v = value < 0 ? 0u : unsigned(value);
    do {
        buf[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0)
        out.push_back(buf[--n]);
}

}  // namespace

void BuildHexRows(const PictureData& d, HexRowArray& HexRows)
{
    const int lastByte = d.MaxX / 8;  // floor(MaxX / 8): ceil(width / 8) bytes
    // ".db " plus at most 30 x "$ff," fits easily.
    char buffer[4 + 4 * (kPicColumns / 8 + 1)];
    for (int y = 0; y <= d.MaxY; ++y) {
        const std::uint8_t* pixels = &d.PicData[std::size_t(PictureData::Offset(0, y))];
        char* out = buffer;
        *out++ = '.';
        *out++ = 'd';
        *out++ = 'b';
        *out++ = ' ';
        for (int k = 0; k <= lastByte; ++k) {
            const std::uint8_t* p = pixels + 8 * k;
            unsigned acc = 0;
            for (int b = 0; b < 8; ++b)
                acc = (acc << 1) | (p[b] != 0 ? 1u : 0u);
            *out++ = '$';
            if (acc >= 16)
                *out++ = kHexDigits[acc >> 4];
            *out++ = kHexDigits[acc & 15];
            *out++ = ',';
        }
        --out;  // no separator after the last byte
        HexRows[std::size_t(y)].assign(buffer, std::size_t(out - buffer));
    }
}

std::string AssembleHexText(const PictureData& d, const HexRowArray& HexRows)
{
    std::size_t size = 16;
    for (int y = 0; y <= d.MaxY; ++y)
        size += HexRows[std::size_t(y)].size() + 2;
    std::string text;
    text.reserve(size);
    text.append(".db  ", 5);
    AppendDecimal(text, d.MaxX + 1);
    text.append(", ", 2);
    AppendDecimal(text, d.MaxY + 1);
    text.append("\r\n", 2);
    for (int y = 0; y <= d.MaxY; ++y) {
        text.append(HexRows[std::size_t(y)]);
        text.append("\r\n", 2);
    }
    return text;
}

std::string HexText(const PictureData& d)
{
    HexRowArray rows;
    BuildHexRows(d, rows);
    return AssembleHexText(d, rows);
}

}  // namespace tobrin
