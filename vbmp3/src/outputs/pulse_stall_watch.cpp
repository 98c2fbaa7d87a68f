#include "outputs/pulse_stall_watch.h"

#include <utility>

namespace vbmp3 {

bool PulseStallWatch::stalled(const pa_timing_info* timing, bool corked) {
    const bool taken = timing && timing->read_index != takenUpTo_;
    const bool waiting = !timing || timing->write_index > timing->read_index;
    if (timing)
        takenUpTo_ = timing->read_index;
    const bool answered = std::exchange(answered_, false);
    deafLooks_ = answered || corked ? 0 : deafLooks_ + 1;
    stuckLooks_ = taken || !waiting || corked ? 0 : stuckLooks_ + 1;
    return deafLooks_ >= kDeafLooks || stuckLooks_ >= kStuckLooks;
}

} // namespace vbmp3
