#include "player/seek_range.h"

#include <algorithm>
#include <cmath>

namespace player {

SeekRange seekRangeFor(int32_t totalSeconds) {
    constexpr int32_t kLongest = 32767;
    const int32_t total = std::min(totalSeconds, kLongest);
    if (total <= 10) {
        return {static_cast<int16_t>(total), 1};
    }
    return {static_cast<int16_t>(total), static_cast<int16_t>(std::nearbyint(total / 10.0))};
}

} // namespace player
