// Frames a decoder made ahead of what was asked for, handed out in order.
#pragma once

#include "shared/output_format.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vbmp3 {

// Copies up to `frames` interleaved output frames from `pending` (of which `taken` were handed
// out already) into `out`. Whenever none are left it empties `pending` and calls refill(), which
// adds more and returns false when there are no more. Returns how many frames it copied.
template <typename Refill>
size_t takePending(std::vector<float>& pending, size_t& taken, float* out, size_t frames,
                   Refill refill) {
    size_t written = 0;
    while (written < frames) {
        const size_t available = pending.size() / kOutputChannels - taken;
        if (available == 0) {
            pending.clear();
            taken = 0;
            if (!refill())
                break;
            continue;
        }
        const size_t take = std::min(available, frames - written);
        std::copy_n(pending.begin() + static_cast<std::ptrdiff_t>(taken * kOutputChannels),
                    take * kOutputChannels, out + written * kOutputChannels);
        taken += take;
        written += take;
    }
    return written;
}

} // namespace vbmp3
