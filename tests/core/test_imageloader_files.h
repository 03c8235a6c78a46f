#pragma once

// Image files made by the import tests themselves: every format the loader
// reads, broken and truncated copies, and headers claiming giant sizes.

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QtEndian>
#include <array>
#include <cstdint>
#include <vector>

namespace tobrin::testfiles {

// Core tests run without a main() of their own; Qt's image plugins and
// QProcess want an application object.
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

// width x height, the left half black and the right half white.
inline QImage HalfBlack(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < width / 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

inline QByteArray Encode(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

inline void Put16(QByteArray& b, int v)
{
    const auto u = static_cast<quint16>(v);
    b.append(static_cast<char>(u & 0xFF));
    b.append(static_cast<char>(u >> 8));
}

inline void Put32(QByteArray& b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline void PutBE32(QByteArray& b, quint32 v)
{
    for (int i = 3; i >= 0; --i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A GIF written by hand (Qt reads GIF but does not write it): two colours,
// black and white, the same half-black picture. LZW codes stay 3 bits wide
// by sending a clear code after every two pixels.
inline QByteArray MakeGif(int width, int height)
{
    QByteArray b("GIF89a");
    Put16(b, width);
    Put16(b, height);
    b.append(static_cast<char>(0x81));  // global colour table of 4 entries
    b.append('\0');
    b.append('\0');
    const unsigned char palette[12] = {0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0};
    b.append(reinterpret_cast<const char*>(palette), 12);
    b.append(',');
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, width);
    Put16(b, height);
    b.append('\0');
    b.append('\x02');  // minimum code size

    std::vector<int> codes;
    int sinceClear = 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (sinceClear == 2) {
                codes.push_back(4);
                sinceClear = 0;
            }
            codes.push_back(x < width / 2 ? 0 : 1);
            ++sinceClear;
        }
    }
    codes.push_back(5);
    QByteArray data;
    quint32 acc = 0;
    int bits = 0;
    for (const int code : codes) {
        acc |= static_cast<quint32>(code) << bits;
        bits += 3;
        while (bits >= 8) {
            data.append(static_cast<char>(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        data.append(static_cast<char>(acc & 0xFF));
    for (int i = 0; i < data.size(); i += 255) {
        const int n = std::min<int>(255, static_cast<int>(data.size()) - i);
        b.append(static_cast<char>(n));
        b.append(data.mid(i, n));
    }
    b.append('\0');
    b.append(';');
    return b;
}

// A placeable metafile, byte by byte: a width x height (in 1/96 inch) frame
// whose left half is a black filled rectangle without outline.
inline QByteArray MakeWmf(int width, int height)
{
    QByteArray records;
    const auto record = [&records](int function, std::initializer_list<int> params) {
        Put32(records, static_cast<quint32>(3 + params.size()));
        Put16(records, function);
        for (const int p : params)
            Put16(records, p);
    };
    record(0x020B, {0, 0});                     // SetWindowOrg(y, x)
    record(0x020C, {height, width});            // SetWindowExt(y, x)
    record(0x02FC, {0, 0x0000, 0x0000, 0});      // CreateBrushIndirect: solid black
    record(0x012D, {0});                        // SelectObject brush
    record(0x02FA, {5, 0, 0, 0, 0});             // CreatePenIndirect: null pen
    record(0x012D, {1});                        // SelectObject pen
    record(0x041B, {height, width / 2, 0, 0});  // Rectangle(bottom, right, top, left)
    record(0x0000, {});                         // end of file

    QByteArray b;
    Put32(b, 0x9AC6CDD7u);
    Put16(b, 0);  // handle
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, width);
    Put16(b, height);
    Put16(b, 96);  // units per inch
    Put32(b, 0);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= qFromLittleEndian<quint16>(b.constData() + 2 * i);
    Put16(b, checksum);

    const int headerWords = 9;
    const int totalWords = headerWords + static_cast<int>(records.size() / 2);
    Put16(b, 1);       // memory metafile
    Put16(b, headerWords);
    Put16(b, 0x0300);  // version
    Put32(b, static_cast<quint32>(totalWords));
    Put16(b, 2);       // objects
    Put32(b, 8);       // largest record, in words
    Put16(b, 0);
    b.append(records);
    return b;
}

inline quint32 Crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data) {
        crc ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

// A PNG whose header claims width x height, followed by one tiny image data
// chunk (far too short for that size).
inline QByteArray HugePngHeader(quint32 width, quint32 height)
{
    QByteArray b("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr("IHDR");
    PutBE32(ihdr, width);
    PutBE32(ihdr, height);
    ihdr.append('\x08');  // bit depth
    ihdr.append('\x02');  // RGB
    ihdr.append('\0');
    ihdr.append('\0');
    ihdr.append('\0');
    PutBE32(b, 13);
    b.append(ihdr);
    PutBE32(b, Crc32(ihdr));
    const QByteArray idat = QByteArray("IDAT") + QByteArray("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9);
    PutBE32(b, 9);
    b.append(idat);
    PutBE32(b, Crc32(idat));
    PutBE32(b, 0);
    b.append("IEND");
    PutBE32(b, Crc32("IEND"));
    return b;
}

// A 24-bit BMP whose header claims width x height and that holds no pixels.
inline QByteArray HugeBmpHeader(int width, int height)
{
    QByteArray b("BM");
    const quint64 rowBytes = (static_cast<quint64>(width) * 3 + 3) / 4 * 4;
    Put32(b, static_cast<quint32>(std::min<quint64>(54 + rowBytes * height, 0xFFFFFFFFu)));
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, static_cast<quint32>(width));
    Put32(b, static_cast<quint32>(height));
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    return b;
}

}  // namespace tobrin::testfiles
