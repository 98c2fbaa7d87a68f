// Which of a few candidate tones a stretch of played frames sounds, by its power.
#pragma once

#include <cmath>
#include <vector>

namespace core_test {

// Of the `count` tones pitchOf(0) ... pitchOf(count - 1) Hz, the index of the one that the left
// channel of `frames` (interleaved stereo, played at `rate`) holds most power at.
template <typename PitchOf>
int strongestTone(const std::vector<float>& frames, int rate, int count, PitchOf pitchOf) {
    int best = -1;
    double bestPower = 0;
    for (int tone = 0; tone < count; ++tone) {
        const double w = 2 * M_PI * pitchOf(tone) / rate;
        double re = 0, im = 0;
        for (size_t i = 0; i < frames.size() / 2; ++i) {
            re += frames[2 * i] * std::cos(w * static_cast<double>(i));
            im += frames[2 * i] * std::sin(w * static_cast<double>(i));
        }
        if (re * re + im * im > bestPower) {
            bestPower = re * re + im * im;
            best = tone;
        }
    }
    return best;
}

} // namespace core_test
