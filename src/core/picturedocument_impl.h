#pragma once

// What the document's source files share and no one else needs.

#include <algorithm>

#include "core/picturedata.h"

namespace tobrin {

constexpr int kAnyStep = -1;  // steps that never merge
constexpr int kSizeStep = 1;  // consecutive size changes make one step
constexpr int kDelayStep = 2;  // and so do consecutive delay changes

inline int ClampX(int mx) { return std::clamp(mx, 3, kMaxWidth - 1); }
inline int ClampY(int my) { return std::clamp(my, 3, kMaxHeight - 1); }

}  // namespace tobrin
