// The hex text's set reader on arbitrary bytes.
//
// Checks, for every input:
// - an accepted set has 1..1024 frames of one picture size, a delay of
//   1..65535 ms each;
// - a text without label lines reads exactly as the single picture reader
//   reads it (the same acceptance, the same picture);
// - an accepted set written back (HexSetText, as Save writes it) reads again
//   to the same frames and delays, and its first frame is what the single
//   picture reader takes from that text.

#include <QByteArray>
#include <QString>

#include "core/formats.h"
#include "fuzzsupport.h"

using namespace tobrin;

namespace {

bool HasLabelLine(const QByteArray& data)
{
    // A line start (the data's, or after CR / CR LF) followed by an
    // identifier and ':'.
    for (qsizetype at = 0; at < data.size();) {
        qsizetype i = at;
        const auto identChar = [&](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (i > at && c >= '0' && c <= '9');
        };
        while (i < data.size() && identChar(data[i]))
            ++i;
        if (i > at && i < data.size() && data[i] == ':')
            return true;
        const qsizetype cr = data.indexOf('\r', at);
        if (cr < 0)
            break;
        at = cr + 1 < data.size() && data[cr + 1] == '\n' ? cr + 2 : cr + 1;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const FileFormat& hex = NativeFormat();
    const std::optional<MonoSet> set = hex.decodeSet(bytes, {}, nullptr);
    const std::optional<MonoPicture> single = hex.decode(bytes, {}, nullptr);
    if (!HasLabelLine(bytes)) {
        FUZZ_CHECK(set.has_value() == single.has_value());
        if (set)
            FUZZ_CHECK(set->Count() == 1 && set->frames[0] == *single && set->delays[0] == MonoSet::kDefaultDelay);
    }
    if (!set)
        return 0;
    FUZZ_CHECK(set->Count() >= 1 && set->Count() <= MonoSet::kMaxFrames);
    FUZZ_CHECK(set->delays.size() == set->frames.size());
    for (std::size_t i = 0; i < set->frames.size(); ++i) {
        FUZZ_CHECK(set->frames[i].width == set->frames[0].width && set->frames[i].height == set->frames[0].height);
        FUZZ_CHECK(set->delays[i] >= 1 && set->delays[i] <= MonoSet::kMaxDelay);
    }
    const QByteArray text = (HexSetText(*set, QStringLiteral("walk")) + QStringLiteral("\r\n")).toLatin1();
    const std::optional<MonoSet> again = hex.decodeSet(text, {}, nullptr);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->frames == set->frames);
    FUZZ_CHECK(again->delays == set->delays);
    const std::optional<MonoPicture> first = hex.decode(text, {}, nullptr);
    FUZZ_CHECK(first.has_value() && *first == set->frames[0]);
    return 0;
}
