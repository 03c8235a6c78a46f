#pragma once

#include <QtGlobal>
#include <vector>

namespace tobrin {

// Where a looping animation stands at a time since it started: the frame
// shown and how long it has still to show. Taken from the time elapsed
// rather than by adding up timer ticks, so late ticks never add up to drift.
struct PlaybackPosition {
    int frame = 0;
    qint64 untilNext = 0;  // milliseconds, at least 1
};
PlaybackPosition PositionAt(const std::vector<int>& delays, qint64 elapsedMs);

}  // namespace tobrin
