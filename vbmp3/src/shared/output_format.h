// The one stream format every decoder renders and every output plays.
#pragma once

#include <cstdint>

namespace vbmp3 {

// Interleaved stereo float at this rate, whatever the file holds.
inline constexpr int kOutputRate = 48000;
inline constexpr int kOutputChannels = 2;

// Whole seconds that playback of `frames` output frames enters: the exact length rounded down,
// plus one.
inline int32_t secondsEntered(int64_t frames) {
    return static_cast<int32_t>(frames / kOutputRate) + 1;
}

} // namespace vbmp3
