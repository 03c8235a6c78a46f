#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/pixelfont.h"

// The font forms' readers and writers, one source file each, and the rules
// they share; only the files in src/core/fonts include this.
namespace tobrin::fontdetail {

// The left edge a file may give: the cell starts at the pen or left of it.
constexpr int kMinLeft = -PixelFont::kMaxCellWidth;

// Check() and the left edge: what every reader accepts and every writer
// takes. *error says what is wrong.
bool Valid(const PixelFont& font, QString* error);

std::optional<QByteArray> EncodeBdf(const PixelFont& font, const QString& name);

std::optional<PixelFont> DecodeFontHex(const QByteArray& data, QString* error);
QByteArray EncodeFontHex(const PixelFont& font, const QString& label);

std::optional<PixelFont> DecodeFontC(const QByteArray& data, QString* error);
QByteArray EncodeFontC(const PixelFont& font, ByteOrder order, const QString& name);

std::optional<PixelFont> DecodeFontPng(const QByteArray& data, QString* error);
std::optional<QByteArray> EncodeFontPng(const PixelFont& font, const QString& name);

// A comment's words for a glyph that stay ASCII: "'A' U+0041", or "U+00E9".
QString AsciiGlyphName(char32_t code);

}  // namespace tobrin::fontdetail
