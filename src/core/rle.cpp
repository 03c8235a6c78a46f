#include "core/rle.h"

#include <algorithm>

// The stream is a sequence of packets, each led by a control byte c:
//   c <  128: the next c + 1 bytes are copied as they are (1..128 literals);
//   c >= 128: the next byte is repeated c - 126 times (2..129).
// The encoder is greedy: a run of three or more equal bytes is always a run
// packet (it saves at least the control byte a new literal packet costs
// after it). A pair is a run packet only where no literal packet is open
// (or the open one is full): there it costs what two literals would. Inside
// an open literal packet a pair stays literal, which costs nothing, where a
// run would cost the control byte of the literal packet after it. Every run
// packet is at least as short as its bytes, so only literal control bytes
// grow the data: at most one in 128 bytes (docs/rle.md).

namespace tobrin {

namespace {

constexpr int kMaxLiteral = 128;
constexpr int kMaxRun = 129;

// Appends in's n bytes compressed to out: at most n + ceil(n / 128) bytes
// (room for twice the control bytes is made all the same).
void Encode(const char* in, int n, QByteArray& out)
{
    const qsizetype start = out.size();
    out.resize(start + n + 2 * ((n + kMaxLiteral - 1) / kMaxLiteral));
    char* o = out.data() + start;
    char* literal = nullptr;  // the open literal packet's control byte
    int literalCount = 0;
    int i = 0;
    while (i < n) {
        int run = 1;
        while (i + run < n && run < kMaxRun && in[i + run] == in[i])
            ++run;
        if (run >= 3 || (run == 2 && (literalCount == 0 || literalCount == kMaxLiteral))) {
            *o++ = char(run + 126);
            *o++ = in[i];
            literalCount = 0;
            i += run;
            continue;
        }
        for (const int end = i + run; i < end; ++i) {
            if (literalCount == 0 || literalCount == kMaxLiteral) {
                literal = o++;
                literalCount = 0;
            }
            *o++ = in[i];
            *literal = char(literalCount++);
        }
    }
    out.truncate(o - out.constData());
}

}  // namespace

QByteArray RleEncode(const QByteArray& raw)
{
    QByteArray out;
    Encode(raw.constData(), int(raw.size()), out);
    return out;
}

QByteArray RleEncodeRows(const QByteArray& raw, int rowBytes)
{
    if (rowBytes <= 0)
        return RleEncode(raw);
    QByteArray out;
    out.reserve(raw.size() + raw.size() / kMaxLiteral + raw.size() / rowBytes + 1);
    for (qsizetype start = 0; start < raw.size(); start += rowBytes)
        Encode(raw.constData() + start, int(std::min<qsizetype>(rowBytes, raw.size() - start)), out);
    return out;
}

std::optional<QByteArray> RleDecode(const QByteArray& packed, std::size_t maxSize)
{
    QByteArray out;
    const auto* in = reinterpret_cast<const unsigned char*>(packed.constData());
    const std::size_t n = std::size_t(packed.size());
    std::size_t i = 0;
    while (i < n) {
        const unsigned c = in[i++];
        const std::size_t count = c < 128 ? c + 1 : c - 126;
        const std::size_t takes = c < 128 ? count : 1;
        if (takes > n - i || count > maxSize - std::size_t(out.size()))
            return std::nullopt;  // cut short, or more than the caller takes
        if (c < 128)
            out.append(packed.constData() + i, qsizetype(count));
        else
            out.append(qsizetype(count), packed.at(qsizetype(i)));
        i += takes;
    }
    return out;
}

}  // namespace tobrin
