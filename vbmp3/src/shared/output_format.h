// The one stream format every decoder renders and every output plays.
#pragma once

#include <cstdint>

namespace vbmp3 {

// Interleaved stereo float at the file's own rate: the sound server converts the rate, once,
// where it mixes anyway.
inline constexpr int kOutputChannels = 2;
// The rate an output starts at before any file has asked for one.
inline constexpr int kIdleRate = 48000;

// Whole seconds that playback of `frames` frames at `rate` enters: the exact length rounded
// down, plus one.
inline int32_t secondsEntered(int64_t frames, int rate) {
    return static_cast<int32_t>(frames / rate) + 1;
}

} // namespace vbmp3
