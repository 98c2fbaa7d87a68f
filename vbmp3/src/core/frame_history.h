// The latest frames the output took, for the visual data: a circular store of interleaved stereo
// frames, written and read in whole spans. Not synchronised: the engine guards it with its lock.
#pragma once

#include <cstddef>
#include <vector>

namespace vbmp3 {

class FrameHistory {
public:
    // Keeps the latest `frames` frames from now on, all of them silence for a start.
    void resize(size_t frames);
    // Every frame kept reads as silence.
    void silence();
    void append(const float* in, size_t frames);
    size_t frames() const { return frames_; }
    // Copies `count` frames, oldest first, whose last is `back` frames before the newest one's
    // end, into `out`. Requires back + count <= frames().
    void copyEnding(size_t back, size_t count, float* out) const;

private:
    std::vector<float> data_;
    size_t frames_ = 0;
    size_t head_ = 0; // where the next frame goes
};

} // namespace vbmp3
