#pragma once

#include <array>
#include <string>

#include "core/picturedata.h"

namespace tobrin {

// One row text per possible picture row (0..120), without line ends.
using HexRowArray = std::array<std::string, kPicRows>;

// Rewrites HexRows entries 0..MaxY from PicData: ".db " then the row's
// bytes as "$" lower-case hex without leading zeros, separated by ",".
// Column 8k is the top bit of byte k. The low bits of the last byte come
// from the PicData columns right of the picture as they are (no masking).
// Entries above MaxY are left as they were.
void BuildHexRows(const PictureData& d, HexRowArray& HexRows);

// The size header ".db  W, H" and rows 0..MaxY of HexRows, every line
// ended by CR LF.
std::string AssembleHexText(const PictureData& d, const HexRowArray& HexRows);

// BuildHexRows and AssembleHexText in one go.
std::string HexText(const PictureData& d);

}  // namespace tobrin
