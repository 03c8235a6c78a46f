#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/formats.h"

// The pieces the picture file formats' writers and readers share; only
// their own source files include this.
namespace tobrin::detail {

bool SizeAllowed(long width, long height);
MonoPicture Blank(int width, int height);
// Bytes of a packed picture, and the inverse of packing (padding ignored;
// bytes holds exactly PackedSize entries).
std::size_t PackedSize(int width, int height, ByteOrder order);
std::vector<std::uint8_t> Pack(const MonoPicture& p, ByteOrder order);
// The order in words, for the comment above a C array.
const char* OrderDescription(ByteOrder order);
MonoPicture Unpack(const std::uint8_t* bytes, int width, int height, ByteOrder order);

inline bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
inline bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

// "    0x01, 0xff, ...", perLine bytes a line, each line ended.
void AppendByteList(QByteArray& out, const std::vector<std::uint8_t>& bytes, int perLine);

// A C array (xbm false) or an X11 bitmap; nullopt and *why on failure.
std::optional<MonoPicture> DecodeCLike(const QByteArray& data, bool xbm, const ReadOptions& options, QString* why);

// A C array set (NAME[FRAMES][BYTES]); a file holding one picture's array
// is read as a set of one (src/core/formats/carrayset.cpp).
std::optional<MonoSet> DecodeCArraySet(const QByteArray& data, const ReadOptions& options, QString* why);
// Whether a C array defines NAME_RAW_SIZE: run-length compressed, which
// only DecodeCArraySet reads; RleCArrayOptionsOf is CArrayOptionsOf for it.
bool IsRleCArray(const QByteArray& data);
std::optional<ExportOptions> RleCArrayOptionsOf(const QByteArray& data, const ReadOptions& options);

// HexSetText's text as bytes.
std::string HexSetString(const MonoSet& set, const QString& label);

// The size rule in words, for messages.
QString SizeRule();

// The picture an ARGB32 image shows when every pixel is opaque black or
// white; otherwise nullopt, and *neither is the first pixel that is neither.
std::optional<MonoPicture> FromBlackAndWhite(const QImage& image, QPoint* neither);

// How a reader refuses a file: fail gives the reason; convertible is for
// an image that is no picture only for its colours or size, which the
// import would make one, and adds the hint that says so.
struct Refusal {
    QString* error;
    const ReadOptions& options;
    std::nullopt_t fail(const QString& why) const
    {
        if (error)
            *error = why;
        return std::nullopt;
    }
    std::nullopt_t convertible(const QString& why) const
    {
        return fail(options.convertHint.isEmpty() ? why : why + QStringLiteral("; ") + options.convertHint);
    }
};

}  // namespace tobrin::detail
