#include "core/hexreader.h"

#include <QFile>
#include <QIODevice>
#include <QString>
#include <algorithm>
#include <cstring>

#include "core/regularfile.h"

namespace tobrin {

namespace {

// Characters of a device with line ends folded: CR or CR LF end a line, a
// LF not right after a CR is an ordinary character.
class LineSource {
public:
    explicit LineSource(QIODevice& device) : device_(device) {}

    enum class Result { Line, NoLine, Stopped, Error };

    // Feeds the next line's characters to scanner until its line end or the
    // end of the data, or until stop(scanner) says the outcome is known.
    // NoLine: the data ended before the line had any character or end.
    template <typename Stop>
    Result FeedLine(HexLineScanner& scanner, Stop stop)
    {
        // Most lines lie whole in the buffer and are plain: scanned at once.
        if (afterCr_ && pos_ < len_) {
            afterCr_ = false;
            if (buffer_[pos_] == '\n')
                ++pos_;
        }
        if (!afterCr_ && pos_ < len_) {
            const void* cr = std::memchr(buffer_ + pos_, '\r', len_ - pos_);
            if (cr && scanner.ScanPlainLine(buffer_ + pos_, static_cast<const char*>(cr))) {
                pos_ = std::size_t(static_cast<const char*>(cr) - buffer_) + 1;
                afterCr_ = true;
                ++linesEnded_;
                return Result::Line;
            }
        }
        bool any = false;
        for (;;) {
            if (pos_ == len_ && !Refill()) {
                if (error_)
                    return Result::Error;
                if (!any)
                    return Result::NoLine;
                scanner.Finish();
                return Result::Line;
            }
            const char c = buffer_[pos_++];
            if (afterCr_) {
                afterCr_ = false;
                if (c == '\n')
                    continue;
            }
            if (c == '\r') {
                afterCr_ = true;
                ++linesEnded_;
                scanner.Finish();
                return Result::Line;
            }
            any = true;
            scanner.Feed(c);
            if (stop(scanner))
                return Result::Stopped;
        }
    }

    // Skips whole lines that do not begin with ".db", a block at a time.
    // True when the next line begins with ".db" (nothing of it is consumed);
    // false when the data ends (or fails) first.
    bool SkipLinesWithoutDb()
    {
        for (;;) {
            if (afterCr_) {
                if (!Ensure(1))
                    return false;
                afterCr_ = false;
                if (buffer_[pos_] == '\n')
                    ++pos_;
            }
            // Empty lines go by without a look for ".db".
            if (pos_ < len_ && buffer_[pos_] == '\r') {
                ++pos_;
                afterCr_ = true;
                ++linesEnded_;
                continue;
            }
            if (Ensure(3) && std::memcmp(buffer_ + pos_, ".db", 3) == 0)
                return true;
            // Not a ".db" line: on to the character after its CR.
            for (;;) {
                if (pos_ == len_ && !Refill())
                    return false;
                const void* cr = std::memchr(buffer_ + pos_, '\r', len_ - pos_);
                if (cr) {
                    pos_ = std::size_t(static_cast<const char*>(cr) - buffer_) + 1;
                    afterCr_ = true;
                    ++linesEnded_;
                    break;
                }
                pos_ = len_;
            }
        }
    }

    // The number of the line being read (or the next one), from 1.
    qint64 LineNumber() const { return linesEnded_ + 1; }
    bool Failed() const { return error_; }
    bool TooLong() const { return tooLong_; }

private:
    // Reads into the buffer from its end; false at the data's end, on a
    // read error, or past kMaxHexBytes.
    qint64 ReadMore(char* to, qint64 room)
    {
        if (total_ >= kMaxHexBytes) {
            tooLong_ = true;  // ends the data as a read error would
            return -1;
        }
        const qint64 got = device_.read(to, std::min(room, kMaxHexBytes - total_));
        if (got > 0)
            total_ += got;
        return got;
    }

    // At least n characters buffered from pos_ (n is small), unless the data
    // ends first.
    bool Ensure(std::size_t n)
    {
        while (len_ - pos_ < n) {
            if (eof_)
                return false;
            std::memmove(buffer_, buffer_ + pos_, len_ - pos_);
            len_ -= pos_;
            pos_ = 0;
            const qint64 got = ReadMore(buffer_ + len_, qint64(sizeof buffer_ - len_));
            if (got <= 0) {
                error_ = got < 0;
                eof_ = true;
                return false;
            }
            len_ += std::size_t(got);
        }
        return true;
    }

    bool Refill()
    {
        if (eof_)
            return false;
        const qint64 n = ReadMore(buffer_, qint64(sizeof buffer_));
        if (n < 0) {
            error_ = true;
            eof_ = true;
            return false;
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        pos_ = 0;
        len_ = std::size_t(n);
        return true;
    }

    QIODevice& device_;
    char buffer_[64 * 1024];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool afterCr_ = false;
    bool eof_ = false;
    bool error_ = false;
    bool tooLong_ = false;
    qint64 total_ = 0;
    qint64 linesEnded_ = 0;
};

}  // namespace

std::optional<HexPicture> ReadHexData(QIODevice& device, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<HexPicture> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if ((!device.isOpen() && !device.open(QIODevice::ReadOnly)) || !device.isReadable())
        return fail(QStringLiteral("cannot be read"));

    LineSource source(device);
    using Result = LineSource::Result;
    // Why the data ended before a line that was still needed.
    const auto ended = [&](const QString& needed) {
        if (source.TooLong())
            return fail(QStringLiteral("no picture in the first %1 MB (a picture's text is at most about 16 KB)")
                            .arg(kMaxHexBytes >> 20));
        if (source.Failed())
            return fail(QStringLiteral("read error at line %1").arg(source.LineNumber()));
        return fail(needed);
    };
    // The number of the line being read, taken before it is fed.
    qint64 line = 0;
    const auto lineFail = [&](const QString& why) {
        return fail(QStringLiteral("line %1: %2").arg(line).arg(why));
    };
    const auto tooLarge = [&](const HexLineScanner& s) {
        const std::string_view text = s.TooLargeText();
        return lineFail(QStringLiteral("value %1 is above 255")
                            .arg(QString::fromLatin1(text.data(), qsizetype(text.size()))));
    };

    // Skip lines until one begins with ".db"; that one decides the form.
    if (!source.SkipLinesWithoutDb())
        return ended(QStringLiteral("no line begins with \".db\" (not a picture's text)"));
    HexLineScanner first(5);
    line = source.LineNumber();
    const Result r = source.FeedLine(first, [](const HexLineScanner& s) {
        return s.TooLargeKnown() || s.Count() > 5;
    });
    if (r == Result::Error)
        return ended(QString());
    if (first.TooLarge())
        return tooLarge(first);
    if (first.Count() != 2 && first.Count() != 5)
        return lineFail(QStringLiteral("the first \".db\" line holds %1 values; it must hold 2 (width, height) "
                                       "or 5 (the first row of a 40 x 32 picture)")
                        .arg(first.Count() > 5 ? QStringLiteral("more than 5") : QString::number(first.Count())));

    HexPicture picture;
    int firstRow = 0;
    if (first.Count() == 2) {
        picture.width = first.Kept()[0];
        picture.height = first.Kept()[1];
        if (picture.width < 4 || picture.width > kMaxWidth || picture.height < 4
            || picture.height > kMaxHeight)
            return lineFail(QStringLiteral("size %1 x %2 is outside 4..%3 x 4..%4")
                                .arg(picture.width)
                                .arg(picture.height)
                                .arg(kMaxWidth)
                                .arg(kMaxHeight));
    } else {
        picture.width = 40;
        picture.height = 32;
        firstRow = 1;
    }

    const std::size_t bytesPerRow = std::size_t(picture.width + 7) / 8;
    picture.rowBytes.assign(std::size_t(picture.height), {});
    if (firstRow == 1)
        std::copy_n(first.Kept().begin(), 5, picture.rowBytes[0].begin());

    for (int y = firstRow; y < picture.height; ++y) {
        HexLineScanner row(bytesPerRow);
        line = source.LineNumber();
        const Result r = source.FeedLine(row, [](const HexLineScanner& s) {
            return s.NotDb() || s.TooLargeKnown();
        });
        if (r == Result::NoLine || r == Result::Error)
            return ended(QStringLiteral("the file ends before row %1 of %2").arg(y + 1).arg(picture.height));
        if (row.NotDb())
            return lineFail(QStringLiteral("row %1 of %2 does not begin with \".db\"").arg(y + 1).arg(picture.height));
        if (row.TooLarge())
            return tooLarge(row);
        if (row.Count() < bytesPerRow)
            return lineFail(QStringLiteral("row %1 holds %2 values; a width of %3 needs %4")
                               .arg(y + 1)
                               .arg(row.Count())
                               .arg(picture.width)
                               .arg(bytesPerRow));
        std::copy_n(row.Kept().begin(), bytesPerRow, picture.rowBytes[std::size_t(y)].begin());
    }
    // Whatever follows the last row is never read.
    return picture;
}

std::optional<HexPicture> ReadHexPath(const QString& path, QString* error)
{
    QFile file(path);
    if (!OpenRegularFile(file, error))
        return std::nullopt;
    if (file.size() > kMaxHexBytes) {
        if (error)
            *error = QStringLiteral("%1 MB is too large for a picture's text (at most %2 MB; a picture takes about 16 KB)")
                         .arg(file.size() >> 20)
                         .arg(kMaxHexBytes >> 20);
        return std::nullopt;
    }
    return ReadHexData(file, error);
}

void UnpackHexPicture(const HexPicture& picture, PictureData& d)
{
    d.PicData.fill(0);
    const int bytesPerRow = (picture.width + 7) / 8;
    for (int y = 0; y < picture.height; ++y) {
        const auto& bytes = picture.rowBytes[std::size_t(y)];
        for (int k = 0; k < bytesPerRow; ++k)
            for (int b = 0; b < 8; ++b)
                d.Pic(8 * k + b, y) = std::uint8_t((bytes[std::size_t(k)] >> (7 - b)) & 1);
    }
    d.MaxX = picture.width - 1;
    d.MaxY = picture.height - 1;
}

bool ReadHexInto(const QString& path, PictureData& d, QString* error)
{
    const std::optional<HexPicture> picture = ReadHexPath(path, error);
    if (!picture)
        return false;
    UnpackHexPicture(*picture, d);
    return true;
}

}  // namespace tobrin
