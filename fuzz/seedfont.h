#pragma once

// A small TrueType font built table by table for the outline-font fuzzer's
// seeds: a space, a triangle 'A', a square 'B' with a hole and an 'C' past
// the em square, so that the search starts from every table FreeType needs
// (head, hhea, maxp, cmap, hmtx, loca, glyf, name, post) at a few hundred
// bytes rather than a real font's hundreds of kilobytes.

#include <QByteArray>
#include <QtEndian>
#include <map>
#include <vector>

namespace tobrin::seeds {

struct SeedContour {
    std::vector<std::pair<int, int>> points;  // on-curve points, font units
};

class Bytes {
public:
    Bytes& U16(int v)
    {
        data.append(char((v >> 8) & 0xFF)).append(char(v & 0xFF));
        return *this;
    }
    Bytes& U32(quint32 v) { return U16(int(v >> 16)).U16(int(v & 0xFFFF)); }
    QByteArray data;
};

inline QByteArray GlyphData(const std::vector<SeedContour>& contours)
{
    if (contours.empty())
        return {};
    int xMin = 1 << 15, yMin = 1 << 15, xMax = -(1 << 15), yMax = -(1 << 15);
    for (const SeedContour& c : contours)
        for (auto [x, y] : c.points) {
            xMin = std::min(xMin, x), yMin = std::min(yMin, y);
            xMax = std::max(xMax, x), yMax = std::max(yMax, y);
        }
    Bytes b;
    b.U16(int(contours.size())).U16(xMin).U16(yMin).U16(xMax).U16(yMax);
    int end = -1;
    for (const SeedContour& c : contours)
        b.U16(end += int(c.points.size()));
    b.U16(0);  // no instructions
    for (const SeedContour& c : contours)
        for (std::size_t i = 0; i < c.points.size(); ++i)
            b.data.append(char(0x01));  // on the curve, coordinates as 16-bit deltas
    for (int axis = 0; axis < 2; ++axis) {
        int last = 0;
        for (const SeedContour& c : contours)
            for (auto [x, y] : c.points) {
                const int v = axis == 0 ? x : y;
                b.U16(v - last);
                last = v;
            }
    }
    while (b.data.size() % 4)
        b.data.append('\0');
    return b.data;
}

// unitsPerEm 1000, ascender 800, descender -200.
inline QByteArray SeedTrueTypeFont()
{
    const std::vector<std::vector<SeedContour>> glyphs = {
        {},                                                                 // .notdef
        {},                                                                 // space
        {{{{50, 0}, {300, 700}, {550, 0}}}},                                // A
        {{{{50, 0}, {50, 700}, {550, 700}, {550, 0}}}, {{{200, 200}, {400, 200}, {400, 500}, {200, 500}}}},  // B
        {{{{-100, -300}, {-100, 900}, {700, 900}, {700, -300}}}},           // C, beyond the em square
    };
    const int advances[] = {500, 300, 600, 600, 600};
    const int count = int(glyphs.size());
    Bytes glyf, loca, hmtx;
    for (int i = 0; i < count; ++i) {
        loca.U32(quint32(glyf.data.size()));
        glyf.data += GlyphData(glyphs[std::size_t(i)]);
        // TrueType places a glyph by its left side bearing: the outline's xMin.
        int xMin = 1 << 15;
        for (const SeedContour& c : glyphs[std::size_t(i)])
            for (auto [x, y] : c.points)
                xMin = std::min(xMin, x);
        hmtx.U16(advances[i]).U16(glyphs[std::size_t(i)].empty() ? 0 : xMin);
    }
    loca.U32(quint32(glyf.data.size()));

    std::map<QByteArray, QByteArray> tables;
    tables["glyf"] = glyf.data;
    tables["loca"] = loca.data;
    tables["hmtx"] = hmtx.data;
    tables["head"] = Bytes()
                         .U32(0x00010000).U32(0x00010000).U32(0).U32(0x5F0F3CF5).U16(0x000B).U16(1000)
                         .U32(0).U32(0).U32(0).U32(0)  // created, modified
                         .U16(-100).U16(-300).U16(700).U16(900)
                         .U16(0).U16(8).U16(2).U16(1).U16(0)
                         .data;
    tables["hhea"] = Bytes()
                         .U32(0x00010000).U16(800).U16(-200).U16(0).U16(600).U16(0).U16(0).U16(600)
                         .U16(1).U16(0).U16(0).U16(0).U16(0).U16(0).U16(0).U16(0).U16(count)
                         .data;
    tables["maxp"] = Bytes()
                         .U32(0x00010000).U16(count).U16(8).U16(2).U16(0).U16(0).U16(2)
                         .U16(0).U16(0).U16(0).U16(0).U16(0).U16(0).U16(0).U16(0)
                         .data;
    // Format 4: the space, then A..C, then the closing segment.
    Bytes cmap;
    cmap.U16(0).U16(1).U16(3).U16(1).U32(12);
    cmap.U16(4).U16(16 + 4 * 2 * 3).U16(0).U16(6).U16(4).U16(1).U16(2);
    cmap.U16(0x20).U16(0x43).U16(0xFFFF).U16(0);   // end codes, pad
    cmap.U16(0x20).U16(0x41).U16(0xFFFF);          // start codes
    cmap.U16(1 - 0x20).U16(2 - 0x41).U16(1);       // deltas
    cmap.U16(0).U16(0).U16(0);                     // range offsets
    tables["cmap"] = cmap.data;
    tables["name"] = Bytes().U16(0).U16(0).U16(6).data;
    tables["post"] = Bytes().U32(0x00030000).U32(0).U16(-100).U16(50).U32(0).U32(0).U32(0).U32(0).U32(0).data;

    const int n = int(tables.size());
    Bytes out;
    out.U32(0x00010000).U16(n).U16(128).U16(3).U16(n * 16 - 128);
    quint32 offset = quint32(12 + 16 * n);
    QByteArray body;
    for (auto& [tag, data] : tables) {
        while (data.size() % 4)
            data.append('\0');
        quint32 sum = 0;
        for (int i = 0; i < data.size(); i += 4)
            sum += qFromBigEndian<quint32>(data.constData() + i);
        out.data += tag;
        out.U32(sum).U32(offset).U32(quint32(data.size()));
        offset += quint32(data.size());
        body += data;
    }
    return out.data + body;
}

}  // namespace tobrin::seeds
