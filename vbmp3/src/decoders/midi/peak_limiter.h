// Keeps a MIDI rendering under full scale. The synthesizer plays at the level of typical MP3s,
// where a dense arrangement (sixteen channels of loud chords) would clip: there the gain drops at
// once, for the whole block that would go over, and comes back over a few hundred milliseconds.
#pragma once

#include <cstddef>

namespace vbmp3 {

class PeakLimiter {
public:
    // Interleaved samples of one block, in place.
    void process(float* samples, size_t count);
    void reset() { gain_ = 1.0f; }

private:
    float gain_ = 1.0f;
};

} // namespace vbmp3
