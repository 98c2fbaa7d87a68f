#include "outputs/detachable_engine.h"

#include "shared/output_format.h"

#include <algorithm>

namespace vbmp3 {

void DetachableEngine::detach() {
    std::lock_guard lock(mutex_);
    renderer_ = nullptr;
    watch_ = nullptr;
}

RenderResult DetachableEngine::render(float* out, size_t frames, int rate) {
    std::lock_guard lock(mutex_);
    if (renderer_)
        return renderer_->render(out, frames, rate);
    std::fill(out, out + frames * kOutputChannels, 0.0f);
    return {.rate = rate};
}

Cues DetachableEngine::cues() const {
    std::lock_guard lock(mutex_);
    return renderer_ ? renderer_->cues() : Cues{};
}

void DetachableEngine::volumeSetOnDevice(int32_t left, int32_t right) {
    std::lock_guard lock(mutex_);
    if (renderer_)
        renderer_->volumeSetOnDevice(left, right);
}

void DetachableEngine::deviceLost(std::chrono::milliseconds after) {
    std::lock_guard lock(mutex_);
    if (watch_)
        watch_->deviceLost(after);
}

void DetachableEngine::deviceBack() {
    std::lock_guard lock(mutex_);
    if (watch_)
        watch_->deviceBack();
}

} // namespace vbmp3
