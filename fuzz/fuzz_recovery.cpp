// The recovery copy reader on arbitrary bytes.
//
// Checks, for every input:
// - an accepted copy has a valid time and a set of 1..1024 frames of one
//   size, and the set is exactly what the hex set reader takes from the
//   same bytes (the header lines are comments to it);
// - an accepted copy written back (RecoveryText) reads again to the same
//   header and the same frames and delays.

#include <QByteArray>
#include <QString>

#include "core/formats.h"
#include "core/recoveryfile.h"
#include "fuzzsupport.h"

using namespace tobrin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<RecoveryCopy> copy = DecodeRecoveryCopy(bytes, nullptr);
    if (!copy)
        return 0;
    FUZZ_CHECK(copy->header.time.isValid());
    FUZZ_CHECK(copy->set.Count() >= 1 && copy->set.Count() <= MonoSet::kMaxFrames);
    FUZZ_CHECK(copy->set.delays.size() == copy->set.frames.size());
    const std::optional<MonoSet> set = NativeFormat().decodeSet(bytes, {}, nullptr);
    FUZZ_CHECK(set.has_value() && set->frames == copy->set.frames && set->delays == copy->set.delays);

    const std::optional<RecoveryCopy> again = DecodeRecoveryCopy(RecoveryText(copy->set, copy->header), nullptr);
    FUZZ_CHECK(again.has_value());
    // A line break in the name would end its header line; the writer makes it a blank.
    QString name = copy->header.fileName;
    FUZZ_CHECK(again->header.fileName == name.replace(QLatin1Char('\n'), QLatin1Char(' ')));
    FUZZ_CHECK(again->header.savedBefore == copy->header.savedBefore);
    FUZZ_CHECK(again->header.time.toSecsSinceEpoch() == copy->header.time.toSecsSinceEpoch());
    FUZZ_CHECK(again->set.frames == copy->set.frames && again->set.delays == copy->set.delays);
    return 0;
}
