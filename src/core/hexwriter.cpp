#include "core/hexwriter.h"

#include <cstdint>

namespace tobrin {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// "$" and the value in lower-case hex without leading zeros.
inline void AppendHexByte(std::string& out, unsigned value)
{
    char buf[3];
    std::size_t n = 0;
    buf[n++] = '$';
    if (value >= 16)
        buf[n++] = kHexDigits[value >> 4];
    buf[n++] = kHexDigits[value & 15];
    out.append(buf, n);
}

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

void BuildHexRows(const Declarations& d, HexRowArray& HexRows)
{
    const int lastByte = d.MaxX / 8;  // floor(MaxX / 8): ceil(width / 8) bytes
    for (int y = 0; y <= d.MaxY; ++y) {
        std::string& row = HexRows[std::size_t(y)];
        row.clear();
        row.reserve(4 + std::size_t(lastByte + 1) * 4);
        row.append(".db ", 4);
        const std::uint8_t* pixels = &d.PicData[std::size_t(Declarations::Offset(0, y))];
        for (int k = 0; k <= lastByte; ++k) {
            const std::uint8_t* p = pixels + 8 * k;
            unsigned acc = 0;
            for (int b = 0; b < 8; ++b)
                acc = (acc << 1) | (p[b] != 0 ? 1u : 0u);
            AppendHexByte(row, acc);
            if (k < lastByte)
                row.push_back(',');
        }
    }
}

std::string AssembleHexText(const Declarations& d, const HexRowArray& HexRows)
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

std::string HexText(const Declarations& d)
{
    HexRowArray rows;
    BuildHexRows(d, rows);
    return AssembleHexText(d, rows);
}

}  // namespace tobrin
