#include "core/playback.h"

#include <algorithm>

namespace tobrin {

PlaybackPosition PositionAt(const std::vector<int>& delays, qint64 elapsedMs)
{
    qint64 loop = 0;
    for (int delay : delays)
        loop += std::max(delay, 1);
    if (loop == 0)
        return {};
    qint64 t = std::max<qint64>(elapsedMs, 0) % loop;
    for (std::size_t i = 0; i < delays.size(); ++i) {
        const qint64 delay = std::max(delays[i], 1);
        if (t < delay)
            return {int(i), delay - t};
        t -= delay;
    }
    return {};
}

}  // namespace tobrin
