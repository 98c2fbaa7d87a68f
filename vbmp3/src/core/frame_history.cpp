#include "core/frame_history.h"

#include "shared/output_format.h"

#include <algorithm>

namespace vbmp3 {

void FrameHistory::resize(size_t frames) {
    data_.assign(frames * kOutputChannels, 0.0f);
    frames_ = frames;
    head_ = 0;
}

void FrameHistory::silence() {
    std::fill(data_.begin(), data_.end(), 0.0f);
}

void FrameHistory::append(const float* in, size_t frames) {
    if (frames > frames_) { // only the latest fit
        in += (frames - frames_) * kOutputChannels;
        frames = frames_;
    }
    while (frames > 0) {
        const size_t run = std::min(frames, frames_ - head_);
        std::copy_n(in, run * kOutputChannels, data_.begin() + head_ * kOutputChannels);
        in += run * kOutputChannels;
        frames -= run;
        head_ = (head_ + run) % frames_;
    }
}

void FrameHistory::copyEnding(size_t back, size_t count, float* out) const {
    size_t at = (head_ + frames_ - back - count) % frames_;
    while (count > 0) {
        const size_t run = std::min(count, frames_ - at);
        std::copy_n(data_.begin() + at * kOutputChannels, run * kOutputChannels, out);
        out += run * kOutputChannels;
        count -= run;
        at = (at + run) % frames_;
    }
}

} // namespace vbmp3
