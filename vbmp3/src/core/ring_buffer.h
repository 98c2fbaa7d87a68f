// A fixed-capacity FIFO of interleaved stereo frames. Not synchronised: the engine guards it with
// its own lock, so that clearing it and bumping the playback epoch happen together.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vbmp3 {

class RingBuffer {
public:
    RingBuffer(size_t capacityFrames, size_t channels)
        : data_(capacityFrames * channels), capacity_(capacityFrames), channels_(channels) {}

    size_t space() const { return capacity_ - size_; }
    void clear() { head_ = size_ = 0; }

    // Appends up to `frames` frames; returns how many fitted.
    size_t push(const float* in, size_t frames) {
        frames = std::min(frames, space());
        size_t tail = (head_ + size_) % capacity_;
        for (size_t done = 0; done < frames;) {
            size_t run = std::min(frames - done, capacity_ - tail);
            std::copy_n(in + done * channels_, run * channels_, data_.begin() + tail * channels_);
            done += run;
            tail = (tail + run) % capacity_;
        }
        size_ += frames;
        return frames;
    }

    // Removes up to `frames` frames into `out`; returns how many it took.
    size_t pop(float* out, size_t frames) {
        frames = std::min(frames, size_);
        for (size_t done = 0; done < frames;) {
            size_t run = std::min(frames - done, capacity_ - head_);
            std::copy_n(data_.begin() + head_ * channels_, run * channels_, out + done * channels_);
            done += run;
            head_ = (head_ + run) % capacity_;
        }
        size_ -= frames;
        return frames;
    }

private:
    std::vector<float> data_;
    size_t capacity_;
    size_t channels_;
    size_t head_ = 0;
    size_t size_ = 0;
};

} // namespace vbmp3
