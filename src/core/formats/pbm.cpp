#include "core/formats.h"

#include <algorithm>

#include "core/formatdetail.h"

// netpbm's bitmap: written raw (P4), read raw or plain (P1).

namespace tobrin {

using namespace detail;

namespace {

QByteArray PbmData(const MonoPicture& p)
{
    QByteArray out = "P4\n" + QByteArray::number(p.width) + " " + QByteArray::number(p.height) + "\n";
    const std::vector<std::uint8_t> bytes = Pack(p, ByteOrder::Msb);
    out.append(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    return out;
}

std::optional<QByteArray> EncodePbm(const MonoPicture& picture, const ExportOptions&, const QString&, QString*)
{
    return PbmData(picture);
}

bool PbmSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Skips blanks and "#" comments; reads a decimal number (saturated).
bool PbmNumber(const QByteArray& data, qsizetype& i, long& value)
{
    const qsizetype n = data.size();
    for (;;) {
        while (i < n && PbmSpace(data[i]))
            ++i;
        if (i < n && data[i] == '#') {
            while (i < n && data[i] != '\n' && data[i] != '\r')
                ++i;
            continue;
        }
        break;
    }
    if (i >= n || data[i] < '0' || data[i] > '9')
        return false;
    value = 0;
    while (i < n && data[i] >= '0' && data[i] <= '9')
        value = std::min(value * 10 + (data[i++] - '0'), 1000000L);
    return true;
}

std::optional<MonoPicture> DecodePbm(const QByteArray& data, const ReadOptions&, QString* why)
{
    const auto fail = [why](const QString& text) -> std::optional<MonoPicture> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    const QString ends = QStringLiteral("the bitmap's pixels end early");
    if (data.size() < 2 || data[0] != 'P' || (data[1] != '1' && data[1] != '4'))
        return fail(QStringLiteral("not a netpbm bitmap (P1 or P4)"));
    const bool plain = data[1] == '1';
    qsizetype i = 2;
    long width = 0;
    long height = 0;
    if (i >= data.size() || !PbmSpace(data[i]) || !PbmNumber(data, i, width) || !PbmNumber(data, i, height))
        return fail(QStringLiteral("damaged netpbm header"));
    if (!SizeAllowed(width, height))
        return fail(QStringLiteral("size %1 x %2 is outside %3").arg(width).arg(height).arg(SizeRule()));
    MonoPicture p = Blank(int(width), int(height));
    if (plain) {
        // Each pixel one digit 0 or 1, blanks between them optional.
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                while (i < data.size() && PbmSpace(data[i]))
                    ++i;
                if (i >= data.size() || (data[i] != '0' && data[i] != '1'))
                    return fail(i >= data.size() ? ends : QStringLiteral("a pixel that is not 0 or 1"));
                p.At(x, y) = std::uint8_t(data[i++] - '0');
            }
        return p;
    }
    // One blank, then the rows, most significant bit first.
    if (i >= data.size() || !PbmSpace(data[i]))
        return fail(ends);
    ++i;
    const std::size_t need = PackedSize(p.width, p.height, ByteOrder::Msb);
    if (std::size_t(data.size() - i) < need)
        return fail(ends);
    // Whatever follows (a further image of a multi-image file) is not read.
    return Unpack(reinterpret_cast<const std::uint8_t*>(data.constData() + i), p.width, p.height, ByteOrder::Msb);
}

}  // namespace

extern const FileFormat kPbmFormat = {
    "pbm", "Portable bitmap", "pbm", true, true, 0u, EncodePbm, DecodePbm, ".pbm a netpbm bitmap",
};

}  // namespace tobrin
