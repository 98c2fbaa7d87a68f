#include "outputs/gate.h"

#include "shared/output_format.h"

#include <algorithm>

namespace vbmp3 {

void Gate::cut() {
    std::lock_guard lock(mutex_);
    renderer_ = nullptr;
    watch_ = nullptr;
}

RenderResult Gate::render(float* out, size_t frames, int rate) {
    std::lock_guard lock(mutex_);
    if (renderer_)
        return renderer_->render(out, frames, rate);
    std::fill(out, out + frames * kOutputChannels, 0.0f);
    return {.rate = rate};
}

Cues Gate::cues() const {
    std::lock_guard lock(mutex_);
    return renderer_ ? renderer_->cues() : Cues{};
}

void Gate::volumeSetOnDevice(int32_t left, int32_t right) {
    std::lock_guard lock(mutex_);
    if (renderer_)
        renderer_->volumeSetOnDevice(left, right);
}

void Gate::deviceLost(std::chrono::milliseconds after) {
    std::lock_guard lock(mutex_);
    if (watch_)
        watch_->deviceLost(after);
}

void Gate::deviceBack() {
    std::lock_guard lock(mutex_);
    if (watch_)
        watch_->deviceBack();
}

} // namespace vbmp3
