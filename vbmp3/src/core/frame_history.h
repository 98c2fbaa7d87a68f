// The latest frames the output took, for the visual data: a circular store of interleaved stereo
// frames, written and read in whole spans. It keeps them as 16-bit samples, which is half the
// memory and far finer than a wave on a scale of 100 or a spectrum 110 dB deep can show. Not
// synchronised: the engine guards it with its lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vbmp3 {

class FrameHistory {
public:
    // Keeps the latest `frames` frames from now on, all of them silence for a start.
    void resize(size_t frames);
    // Every frame kept reads as silence.
    void silence();
    // Appends float frames (full scale +-1; what lies beyond is kept at full scale).
    void append(const float* in, size_t frames);
    size_t frames() const { return frames_; }
    // Copies `count` frames, oldest first, whose last is `back` frames before the newest one's
    // end, into `out` as floats. Requires back + count <= frames().
    void copyEnding(size_t back, size_t count, float* out) const;

private:
    std::vector<int16_t> data_;
    size_t frames_ = 0;
    size_t head_ = 0; // where the next frame goes
};

} // namespace vbmp3
