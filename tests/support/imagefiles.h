#pragma once

// Image and hex files built from scratch for the tests, the fuzzers' seed
// corpora (fuzz/make_seeds.cpp writes them) and the benchmarks: every format
// the loader reads, broken and truncated copies, and headers claiming giant
// sizes. Formats Qt cannot write (GIF, metafiles, run-length bitmaps, packed
// DIBs, lying headers) are put together byte by byte.

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "core/formats.h"
#include "core/hexwriter.h"
#include "core/picturedata.h"

namespace tobrin::testfiles {

// Tests without a main() of their own: Qt's image plugins and QProcess want
// an application object.
inline void EnsureApp()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QGuiApplication(argc, argv);
    (void)app;
}

inline void Put16(QByteArray& b, quint32 v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}

inline void Put32(QByteArray& b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

inline void PutBE32(QByteArray& b, quint32 v)
{
    for (int i = 3; i >= 0; --i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

inline quint32 Crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The file in the given format; empty when Qt cannot write it.
inline QByteArray Encode(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality))
        return QByteArray();
    return bytes;
}

// ---- pictures ------------------------------------------------------------------

// width x height, the left half black and the right half white.
inline QImage HalfBlack(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < width / 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

// A picture with pure black, pure white, greys and colours, so that the
// threshold, the component choice and Paste's pure-colour rule all matter.
inline QImage MixedPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            QRgb c;
            switch ((x / 3 + y / 2) % 6) {
            case 0: c = qRgb(0, 0, 0); break;
            case 1: c = qRgb(255, 255, 255); break;
            case 2: c = qRgb(200, 30, 30); break;
            case 3: c = qRgb(128, 128, 128); break;
            case 4: c = qRgb(20, 220, 90); break;
            default: c = (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255); break;
            }
            image.setPixel(x, y, c);
        }
    }
    return image;
}

// A colourful w x h picture: gradients with a few dark bands, so a JPEG of
// it has real detail to decode and the threshold splits it.
inline QImage BandedPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const bool band = ((x / 97 + y / 61) % 5) == 0;
            line[x] = band ? qRgb(20, 20, 30) : qRgb((x * 255) / w, (y * 255) / h, ((x ^ y) & 0xFF));
        }
    }
    return image;
}

// ---- bitmaps and the formats Qt writes -------------------------------------------

inline QByteArray Bmp24(int w, int h) { return Encode(MixedPicture(w, h), "BMP"); }

inline QByteArray Bmp8(int w, int h)
{
    return Encode(MixedPicture(w, h).convertToFormat(QImage::Format_Indexed8), "BMP");
}

inline QByteArray Bmp1(int w, int h)
{
    return Encode(MixedPicture(w, h).convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), "BMP");
}

// A packed DIB (what the clipboard holds): a bitmap without its file header.
inline QByteArray PackedDib(const QByteArray& bmp) { return bmp.mid(14); }

inline QByteArray Png(int w, int h) { return Encode(MixedPicture(w, h), "PNG"); }
inline QByteArray Jpeg(int w, int h) { return Encode(MixedPicture(w, h), "JPEG", 90); }
inline QByteArray Ico(int w, int h) { return Encode(MixedPicture(w, h).convertToFormat(QImage::Format_ARGB32), "ICO"); }

inline void PutPngChunk(QByteArray& b, const QByteArray& typeAndData)
{
    PutBE32(b, quint32(typeAndData.size() - 4));
    b.append(typeAndData);
    PutBE32(b, Crc32(typeAndData));
}

// A PNG whose header claims width x height, with the given image data
// chunk (none when empty).
inline QByteArray PngClaiming(quint32 width, quint32 height, const QByteArray& idat)
{
    QByteArray b("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr("IHDR");
    PutBE32(ihdr, width);
    PutBE32(ihdr, height);
    ihdr.append(char(8));  // bit depth
    ihdr.append(char(2));  // RGB
    ihdr.append(3, '\0');  // compression, filter, interlace
    PutPngChunk(b, ihdr);
    if (!idat.isEmpty())
        PutPngChunk(b, QByteArray("IDAT") + idat);
    PutPngChunk(b, QByteArray("IEND"));
    return b;
}

// A PNG whose header claims width x height; no pixel data follows.
inline QByteArray PngHeaderOnly(quint32 width, quint32 height) { return PngClaiming(width, height, {}); }

// A PNG whose header claims width x height, followed by one tiny image data
// chunk (far too short for that size), so a reader gets past the header.
inline QByteArray HugePngHeader(quint32 width, quint32 height)
{
    return PngClaiming(width, height, QByteArray("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9));
}

// The file header and BITMAPINFOHEADER of a bitmap claiming width x height.
inline QByteArray BmpHeaders(qint32 width, qint32 height, int bitCount, quint32 compression,
                             quint32 paletteEntries, quint32 dataSize)
{
    QByteArray b("BM");
    const quint32 offset = 14 + 40 + 4 * paletteEntries;
    Put32(b, offset + dataSize);
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, quint32(width));
    Put32(b, quint32(height));
    Put16(b, 1);
    Put16(b, quint32(bitCount));
    Put32(b, compression);
    Put32(b, dataSize);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, paletteEntries);
    Put32(b, 0);
    return b;
}

// A 24-bit bitmap header claiming width x height, without any pixels.
inline QByteArray BmpHeaderOnly(qint32 width, qint32 height)
{
    const quint64 row = (quint64(quint32(width)) * 3 + 3) / 4 * 4;
    const quint64 size = std::min<quint64>(row * quint32(height), 0xFFFFFFFFu - 54);
    return BmpHeaders(width, height, 24, 0, 0, quint32(size));
}

// A run-length coded 8-bit bitmap (BI_RLE8) claiming width x height: a
// short diagonal of runs, then the end of the bitmap. A few hundred bytes
// whatever the claimed size.
inline QByteArray Rle8Bmp(qint32 width, qint32 height)
{
    QByteArray data;
    const int rows = std::min<qint32>(height, 16);
    for (int y = 0; y < rows; ++y) {
        const int run = std::min<qint32>(width, 4 + y);
        data.append(char(run));
        data.append(char(y % 2));  // palette index 0 (black) or 1 (white)
        data.append('\0');
        data.append('\0');  // end of line
    }
    data.append('\0');
    data.append('\1');  // end of bitmap
    QByteArray b = BmpHeaders(width, height, 8, 1, 2, quint32(data.size()));
    Put32(b, 0x00000000u);  // black
    Put32(b, 0x00FFFFFFu);  // white
    b.append(data);
    return b;
}

// ---- GIF -------------------------------------------------------------------------

// A GIF with a four-colour table (0 black, 1 white, 2 red, 3 grey) whose
// pixels are index(x, y), put together by hand because Qt reads GIF but does
// not write it. The LZW code width stays at three bits: a clear code goes
// out after every two pixels.
inline QByteArray Gif(int width, int height, const std::function<int(int x, int y)>& index)
{
    QByteArray b("GIF89a");
    Put16(b, quint32(width));
    Put16(b, quint32(height));
    b.append(char(0x81));  // global table of 2^(1+1) entries
    b.append('\0');
    b.append('\0');
    const unsigned char table[12] = {0, 0, 0, 255, 255, 255, 255, 0, 0, 128, 128, 128};
    b.append(reinterpret_cast<const char*>(table), 12);
    b.append(',');
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, quint32(width));
    Put16(b, quint32(height));
    b.append('\0');
    b.append(char(2));  // minimum code size

    std::vector<int> codes;
    int sinceClear = 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (sinceClear == 2) {
                codes.push_back(4);
                sinceClear = 0;
            }
            codes.push_back(index(x, y) & 3);
            ++sinceClear;
        }
    }
    codes.push_back(5);
    QByteArray packed;
    quint32 acc = 0;
    int bits = 0;
    for (const int code : codes) {
        acc |= quint32(code) << bits;
        bits += 3;
        while (bits >= 8) {
            packed.append(char(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        packed.append(char(acc & 0xFF));
    for (int i = 0; i < packed.size(); i += 255) {
        const int n = std::min<int>(255, int(packed.size()) - i);
        b.append(char(n));
        b.append(packed.mid(i, n));
    }
    b.append('\0');
    b.append(';');
    return b;
}

// Diagonal stripes of all four colours.
inline QByteArray Gif(int width, int height)
{
    return Gif(width, height, [](int x, int y) { return (x / 2 + y) % 4; });
}

// The HalfBlack picture as a GIF.
inline QByteArray HalfBlackGif(int width, int height)
{
    return Gif(width, height, [width](int x, int) { return x < width / 2 ? 0 : 1; });
}

// ---- metafiles -------------------------------------------------------------------

// Records of a Windows metafile: size in words, function, parameters.
class WmfRecords {
public:
    void Add(int function, std::initializer_list<int> params)
    {
        Put32(bytes_, quint32(3 + params.size()));
        Put16(bytes_, quint32(function));
        for (const int p : params)
            Put16(bytes_, quint32(p));
        largest_ = std::max<quint32>(largest_, quint32(3 + params.size()));
    }
    const QByteArray& Bytes() const { return bytes_; }
    quint32 Largest() const { return largest_; }

private:
    QByteArray bytes_;
    quint32 largest_ = 3;
};

// A placeable metafile of width x height units at 96 per inch around the
// given records (the end record is added here).
inline QByteArray Metafile(int width, int height, WmfRecords records, int objects = 2)
{
    records.Add(0x0000, {});
    QByteArray b;
    Put32(b, 0x9AC6CDD7u);
    Put16(b, 0);  // handle
    Put16(b, 0);  // left, top, right, bottom
    Put16(b, 0);
    Put16(b, quint32(width));
    Put16(b, quint32(height));
    Put16(b, 96);  // units per inch
    Put32(b, 0);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= qFromLittleEndian<quint16>(b.constData() + 2 * i);
    Put16(b, checksum);
    const quint32 headerWords = 9;
    Put16(b, 1);  // memory metafile
    Put16(b, headerWords);
    Put16(b, 0x0300);
    Put32(b, headerWords + quint32(records.Bytes().size() / 2));
    Put16(b, quint32(objects));
    Put32(b, records.Largest());
    Put16(b, 0);
    b.append(records.Bytes());
    return b;
}

// The records of a width x height frame whose left half is a black filled
// rectangle without outline.
inline WmfRecords HalfBlackRecords(int width, int height)
{
    WmfRecords r;
    r.Add(0x020B, {0, 0});                     // SetWindowOrg(y, x)
    r.Add(0x020C, {height, width});            // SetWindowExt(y, x)
    r.Add(0x02FC, {0, 0x0000, 0x0000, 0});     // CreateBrushIndirect: solid black
    r.Add(0x012D, {0});                        // SelectObject
    r.Add(0x02FA, {5, 0, 0, 0, 0});            // CreatePenIndirect: null pen
    r.Add(0x012D, {1});                        // SelectObject
    r.Add(0x041B, {height, width / 2, 0, 0});  // Rectangle(bottom, right, top, left)
    return r;
}

// The HalfBlack picture as a metafile.
inline QByteArray HalfBlackWmf(int width, int height) { return Metafile(width, height, HalfBlackRecords(width, height)); }

// The left half black and a red ellipse.
inline QByteArray Wmf(int width, int height)
{
    WmfRecords r = HalfBlackRecords(width, height);
    r.Add(0x02FC, {0, 0x00FF, 0x0000, 0});                          // CreateBrushIndirect: solid red
    r.Add(0x012D, {2});                                             // SelectObject
    r.Add(0x0418, {height - 1, width - 1, height / 3, width / 2});  // Ellipse
    return Metafile(width, height, r, 3);
}

// ---- hex text ----------------------------------------------------------------

inline PictureData RandomPicture(int w, int h, unsigned seed, bool paddingBits)
{
    std::mt19937 rng(seed);
    PictureData d;
    d.MaxX = w - 1;
    d.MaxY = h - 1;
    const int columns = paddingBits ? 8 * ((w + 7) / 8) : w;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < columns; ++x)
            d.Pic(x, y) = std::uint8_t(rng() & 1);
    return d;
}

inline MonoPicture RandomPicture(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    MonoPicture p;
    p.width = w;
    p.height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y) = std::uint8_t(rng() & 1);
    return p;
}

// What Save writes: the hex text and one more CR LF.
inline QByteArray SavedText(const PictureData& d)
{
    const std::string text = HexText(d) + "\r\n";
    return QByteArray(text.data(), qsizetype(text.size()));
}

}  // namespace tobrin::testfiles
