#include "decoders/midi/peak_limiter.h"

#include <algorithm>
#include <cmath>

namespace vbmp3 {
namespace {

constexpr float kCeiling = 0.94f; // half a decibel under full scale
// Per block of 64 frames at 48 kHz: back to 1 with a time constant of about 300 ms.
constexpr float kRecovery = 0.0044f;

} // namespace

void PeakLimiter::process(float* samples, size_t count) {
    float peak = 0.0f;
    for (size_t i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(samples[i]));
    if (peak * gain_ > kCeiling)
        gain_ = kCeiling / peak;
    if (gain_ < 1.0f)
        for (size_t i = 0; i < count; ++i)
            samples[i] *= gain_;
    gain_ = std::min(1.0f, gain_ + (1.0f - gain_) * kRecovery);
}

} // namespace vbmp3
