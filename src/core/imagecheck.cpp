#include "core/imagecheck.h"

#include <QIODevice>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace tobrin {
namespace {

bool CheckPng(QIODevice& device, QString* why);

bool Fail(QString* why, const QString& text)
{
    if (why)
        *why = text;
    return false;
}

bool CheckBmp(const QByteArray& head, qint64 size, QString* why)
{
    if (head.size() < 26)
        return Fail(why, QStringLiteral("damaged bitmap: the file ends inside its header"));
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    const quint32 offset = qFromLittleEndian<quint32>(p + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
    if (offset >= size)
        return Fail(why, QStringLiteral("damaged bitmap: its pixel data offset (%1) points past the end of the "
                                        "file (%2 bytes)").arg(offset).arg(size));
    qint64 width;
    qint64 height;
    quint32 bits;
    quint32 compression = 0;
    if (headerSize == 12) {
        width = qFromLittleEndian<quint16>(p + 18);
        height = qFromLittleEndian<quint16>(p + 20);
        bits = qFromLittleEndian<quint16>(p + 24);
    } else {
        if (head.size() < 34)
            return Fail(why, QStringLiteral("damaged bitmap: the file ends inside its header"));
        width = qFromLittleEndian<qint32>(p + 18);
        height = std::llabs(qFromLittleEndian<qint32>(p + 22));
        bits = qFromLittleEndian<quint16>(p + 28);
        compression = qFromLittleEndian<quint32>(p + 30);
    }
    // Run-length data has no fixed size; plain rows have. Absurd sizes are
    // left to the loader's size check (and kept from overflowing here).
    if ((compression != 0 && compression != 3 && compression != 6) || width <= 0 || width > (1 << 24)
        || height > (1 << 24) || bits > 64)
        return true;
    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    const qint64 need = qint64(offset) + rowBytes * height;
    if (need > size)
        return Fail(why, QStringLiteral("damaged bitmap: the file ends early (%1 of the %2 bytes its pixels need)")
                             .arg(size - offset)
                             .arg(need - offset));
    return true;
}

// Walks a GIF's blocks: every block and sub-block must be whole, and the
// file may end only between blocks once an image has been read.
bool CheckGif(QIODevice& device, QString* why)
{
    const auto cut = [why] { return Fail(why, QStringLiteral("damaged GIF: the file ends early")); };
    char buffer[3 * 256];  // the largest colour table
    const auto take = [&](qint64 n) { return n == 0 || device.read(buffer, n) == n; };
    const auto byte = [&](int* b) {
        char c;
        if (!device.getChar(&c))
            return false;
        *b = uchar(c);
        return true;
    };
    const auto subBlocks = [&] {
        for (int length; byte(&length);) {
            if (length == 0)
                return true;
            if (!take(length))
                return false;
        }
        return false;
    };
    if (!take(13))
        return cut();
    const int flags = uchar(buffer[10]);
    if ((flags & 0x80) && !take(3 * (2 << (flags & 7))))
        return cut();
    bool images = false;
    for (int block; byte(&block);) {
        if (block == 0x3B)
            return true;
        if (block == 0x21) {
            int label;
            if (!byte(&label) || !subBlocks())
                return cut();
        } else if (block == 0x2C) {
            if (!take(9))
                return cut();
            const int local = uchar(buffer[8]);
            int codeSize;
            if (((local & 0x80) && !take(3 * (2 << (local & 7)))) || !byte(&codeSize) || !subBlocks())
                return cut();
            images = true;
        } else {
            return Fail(why, QStringLiteral("damaged GIF: an unknown block (0x%1)").arg(block, 2, 16, QLatin1Char('0')));
        }
    }
    return images || cut();
}

}  // namespace

bool CheckPngChunks(QIODevice& device, QString* why)
{
    const qint64 start = device.pos();
    if (!device.seek(0))
        return true;
    bool whole = true;
    if (device.peek(8) == QByteArray("\x89PNG\r\n\x1a\n", 8))
        whole = CheckPng(device, why);
    device.seek(start);
    return whole;
}

namespace {

bool CheckPng(QIODevice& device, QString* why)
{
    const qint64 size = device.size();
    for (qint64 at = 8; at + 12 <= size;) {
        if (!device.seek(at))
            return true;
        const QByteArray head = device.read(8);
        if (head.size() < 8)
            return true;
        const qint64 length = qFromBigEndian<quint32>(head.constData());
        const QByteArray type = head.mid(4, 4);
        if (length > size - at - 12) {
            const bool letters = std::all_of(type.begin(), type.end(), [](char c) { return std::isalpha(uchar(c)); });
            return Fail(why, QStringLiteral("damaged PNG: its %1 chunk runs past the end of the file")
                                 .arg(letters ? QString::fromLatin1(type) : QString::fromLatin1(type.toHex())));
        }
        if (type == "IEND")
            return true;
        at += 12 + length;
    }
    return true;  // cut short between chunks: libpng says so
}

}  // namespace

bool CheckImageStructure(QIODevice& device, QString* why)
{
    // From the file's start, whatever a reader has looked at already.
    const qint64 start = device.pos();
    if (!device.seek(0))
        return true;
    const QByteArray head = device.peek(64);
    bool whole = true;
    if (head.startsWith("BM"))
        whole = CheckBmp(head, device.size(), why);
    else if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        whole = CheckGif(device, why);
    else if (head.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)))
        whole = CheckPng(device, why);
    device.seek(start);
    return whole;
}

int DecoderCopies(QIODevice& device)
{
    const QByteArray head = device.peek(64 * 1024);
    if (head.size() < 20 || !head.startsWith("RIFF") || head.mid(8, 4) != "WEBP")
        return 1;
    // The chunks after "WEBP": a plain lossy (VP8), a plain lossless (VP8L),
    // or an extended file (VP8X, whose flags tell an animation) whose image
    // chunk follows.
    for (qsizetype at = 12; at + 8 <= head.size();) {
        const QByteArray fourcc = head.mid(at, 4);
        if (fourcc == "VP8L")
            return 2;
        if (fourcc == "VP8 ")
            return 1;
        if (fourcc == "VP8X" && at + 9 <= head.size() && (uchar(head[at + 8]) & 0x02))
            return 2;  // animation
        const quint32 size = qFromLittleEndian<quint32>(head.constData() + at + 4);
        at += 8 + qsizetype(size) + (size & 1);
    }
    return 1;
}

namespace {

QtMessageHandler previousHandler = nullptr;
const QThread* listeningThread = nullptr;
QString firstComplaint;

// What tells of damaged data: every warning of libjpeg (premature end,
// corrupt data) and a read past the end of the data. Other readers' notes,
// such as libtiff's on unknown tags or libpng's on colour profiles, are
// passed on: such files are whole.
bool TellsOfDamage(const QMessageLogContext& context, const QString& text)
{
    return (context.category && qstrcmp(context.category, "qt.gui.imageio.jpeg") == 0)
        || text.startsWith(QLatin1String("QBuffer::")) || text.startsWith(QLatin1String("QIODevice::"));
}

void Listen(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtDebugMsg && QThread::currentThread() == listeningThread && TellsOfDamage(context, text)) {
        if (firstComplaint.isEmpty())
            firstComplaint = text.trimmed();
        return;
    }
    if (previousHandler)
        previousHandler(type, context, text);
}

}  // namespace

DecoderComplaints::DecoderComplaints()
{
    firstComplaint.clear();
    listeningThread = QThread::currentThread();
    previousHandler = qInstallMessageHandler(Listen);
}

DecoderComplaints::~DecoderComplaints()
{
    qInstallMessageHandler(previousHandler);
    listeningThread = nullptr;
}

QString DecoderComplaints::First() const
{
    return firstComplaint;
}

}  // namespace tobrin
