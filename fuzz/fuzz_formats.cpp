// The picture file readers (C array, X11 bitmap, netpbm bitmap, PNG and
// BMP) on arbitrary bytes; every input goes to each of them.
//
// Checks, for every input and reader:
// - a refused input yields nothing, and nothing else was touched (the
//   readers return a new picture or none);
// - an accepted picture has a size of 4..240 x 4..120, cells of 0 or 1, and
//   none set outside its size;
// - it writes back in every format and reads again to the same picture,
//   the C array in each byte order, plain and run-length compressed (a
//   compressed array is decoded by the C reader, so it is fuzzed here).

#include <QByteArray>
#include <QGuiApplication>
#include <cstdint>

#include "core/formats.h"
#include "fuzzsupport.h"

using namespace tobrin;

namespace {

void CheckPicture(const MonoPicture& p)
{
    FUZZ_CHECK(p.width >= 4 && p.width <= kMaxWidth && p.height >= 4 && p.height <= kMaxHeight);
    for (int y = 0; y < kPicRows; ++y)
        for (int x = 0; x < kPicColumns; ++x)
            FUZZ_CHECK(p.At(x, y) <= ((x < p.width && y < p.height) ? 1 : 0));
}

// Every format that writes reads its own file back as the same picture,
// in each byte order a format takes.
void RoundTrip(const MonoPicture& p)
{
    for (const FileFormat* format : FileFormats()) {
        if (!format->canWrite || !format->canRead)
            continue;
        for (const ByteOrder order : {ByteOrder::Msb, ByteOrder::Lsb, ByteOrder::Pages}) {
            if (order != ByteOrder::Msb && !(format->options & kTakesByteOrder))
                continue;
            // A C array run-length compressed as well, in rows in lsb order.
            for (const bool rle : {false, true}) {
                if (rle && !(format->options & kTakesByteOrder))
                    continue;
                ExportOptions options;
                options.order = order;
                options.rle = rle;
                options.rleRows = rle && order == ByteOrder::Lsb;
                const std::optional<QByteArray> data = EncodePicture(p, *format, options, QStringLiteral("fuzz"));
                FUZZ_CHECK(data.has_value());
                const std::optional<MonoPicture> back = DecodePicture(*data, *format);
                FUZZ_CHECK(back.has_value());
                FUZZ_CHECK(*back == p);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_formats";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        tobrin::fuzz::QuietQtMessages();
        return new QGuiApplication(argc, argv);
    }();
    (void)app;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const tobrin::fuzz::TailBytes tail(data, size);
    // Every reader of whole files (the hex text has fuzz targets of its own).
    for (const FileFormat* format : FileFormats()) {
        if (!format->canRead || format->readFile)
            continue;
        ReadOptions options;
        if ((format->options & kTakesByteOrder) && tail[0] % 4 != 3)
            options.cOrder = ByteOrder(tail[0] % 4);
        const std::optional<MonoPicture> picture = DecodePicture(bytes, *format, options);
        if (!picture)
            continue;
        CheckPicture(*picture);
        RoundTrip(*picture);
    }
    return 0;
}
