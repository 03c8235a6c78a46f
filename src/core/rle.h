#pragma once

#include <QByteArray>
#include <cstddef>
#include <optional>

namespace tobrin {

// Run-length compression for the smallest decoder on an 8-bit handheld
// (docs/rle.md; the C decoder is docs/rle_decode.c). Byte-oriented: runs of
// equal bytes and runs of literal bytes, each announced by one control
// byte, so the worst case grows by at most one byte in 128.

// Compresses raw whole.
QByteArray RleEncode(const QByteArray& raw);
// Compresses each row of rowBytes bytes alone, so a program can decode one
// row at a time; raw's size is a whole number of rows.
QByteArray RleEncodeRows(const QByteArray& raw, int rowBytes);
// The inverse of both; nullopt when the data is damaged or would give more
// than maxSize bytes.
std::optional<QByteArray> RleDecode(const QByteArray& packed, std::size_t maxSize);

}  // namespace tobrin
