#include "player/seek_range.h"

#include <cmath>

namespace player {

SeekRange seekRangeFor(int32_t totalSeconds) {
    if (totalSeconds <= 10) {
        return {totalSeconds, 1};
    }
    return {totalSeconds, static_cast<int32_t>(std::nearbyint(totalSeconds / 10.0))};
}

} // namespace player
