// The seek bar's range for a track.
#pragma once

#include <cstdint>

namespace player {

struct SeekRange {
    int16_t max;
    int16_t largeChange;
};

// The seek bar's maximum and large change for a track of totalSeconds; lengths beyond 16 bits are
// clamped to 32767 and 3277.
SeekRange seekRangeFor(int32_t totalSeconds);

} // namespace player
