#pragma once

// Shared by the fuzz targets: hard checks that stop the run with a message
// (libFuzzer then saves the input), and the options the tail of an input
// chooses.

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                          \
    do {                                                                                               \
        if (!(condition)) {                                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);       \
            std::abort();                                                                              \
        }                                                                                              \
    } while (0)

// Allocations that system libraries keep for the life of the process (the
// font configuration) are not leaks of ours. Each fuzz target includes this
// header from its one source file.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libfreetype\n"
           "leak:libglib-2.0\n";
}

namespace tobrin::fuzz {

// Option bytes come from the end of the input: image files carry their fixed
// magic numbers at the start, and decoders ignore trailing bytes, so the
// committed seeds stay plain image files.
class TailBytes {
public:
    TailBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    // The n-th byte from the end (0 = last); 0 when the input is shorter.
    std::uint8_t operator[](std::size_t n) const { return n < size_ ? data_[size_ - 1 - n] : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// Decoders' complaints about broken files would flood the output; fatal
// messages still end the run.
inline void QuietQtMessages()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg)
            std::fprintf(stderr, "Qt fatal: %s\n", qPrintable(text));
    });
}

// Images whose header claims more pixels than this are left out of the
// fuzzing: they are legal (the loader accepts up to its own limit) but take
// seconds and hundreds of megabytes each, which would stall the search. The
// hostile-input tests measure them instead.
constexpr qint64 kFuzzMaxClaimedPixels = 4LL * 1024 * 1024;

inline bool ClaimsHugeSize(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    return size.isValid() && qint64(size.width()) * size.height() > kFuzzMaxClaimedPixels;
}

}  // namespace tobrin::fuzz
