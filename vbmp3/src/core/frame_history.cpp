#include "core/frame_history.h"

#include "shared/output_format.h"

#include <algorithm>

namespace vbmp3 {
namespace {

constexpr float kFullScale = 32767.0f;

} // namespace

void FrameHistory::resize(size_t frames) {
    data_.assign(frames * kOutputChannels, 0);
    frames_ = frames;
    head_ = 0;
}

void FrameHistory::silence() {
    std::fill(data_.begin(), data_.end(), int16_t{0});
}

void FrameHistory::append(const float* in, size_t frames) {
    if (frames > frames_) { // only the latest fit
        in += (frames - frames_) * kOutputChannels;
        frames = frames_;
    }
    while (frames > 0) {
        const size_t run = std::min(frames, frames_ - head_);
        // Cut toward zero rather than rounded: a step too fine to show, and no call per sample.
        std::transform(
            in, in + run * kOutputChannels, data_.begin() + head_ * kOutputChannels,
            [](float v) { return static_cast<int16_t>(std::clamp(v, -1.0f, 1.0f) * kFullScale); });
        in += run * kOutputChannels;
        frames -= run;
        head_ = (head_ + run) % frames_;
    }
}

void FrameHistory::copyEnding(size_t back, size_t count, float* out) const {
    size_t at = (head_ + frames_ - back - count) % frames_;
    while (count > 0) {
        const size_t run = std::min(count, frames_ - at);
        const auto from = data_.begin() + at * kOutputChannels;
        std::transform(from, from + run * kOutputChannels, out,
                       [](int16_t v) { return v / kFullScale; });
        out += run * kOutputChannels;
        count -= run;
        at = (at + run) % frames_;
    }
}

} // namespace vbmp3
