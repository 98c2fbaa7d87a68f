// The seek bar's range for a track.
#pragma once

#include <cstdint>

namespace player {

struct SeekRange {
    int32_t max;
    int32_t largeChange;
};

// The seek bar's maximum and large change (a tenth, at least 1) for a track of totalSeconds.
SeekRange seekRangeFor(int32_t totalSeconds);

} // namespace player
