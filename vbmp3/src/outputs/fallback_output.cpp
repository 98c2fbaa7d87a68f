#include "outputs/fallback_output.h"

#include <cstdio>

namespace vbmp3 {

bool FallbackOutput::start(Renderer& renderer) {
    clock_.start(renderer); // halted: a device may report itself lost while it starts
    for (const Driver& driver : drivers_) {
        std::unique_ptr<Output> device = driver(*this);
        if (device->start(renderer)) {
            device_ = std::move(device);
            return true;
        }
    }
    std::fprintf(stderr, "vbmp3: no sound output opens, playing silently in real time\n");
    clock_.runWithin({});
    return true;
}

void FallbackOutput::stop() {
    if (device_)
        device_->stop(); // no deviceLost or deviceBack after this
    clock_.stop();
}

void FallbackOutput::wake() {
    if (device_)
        device_->wake();
}

int64_t FallbackOutput::latencyFrames(uint64_t epoch) const {
    return device_ ? device_->latencyFrames(epoch) : 0;
}

bool FallbackOutput::heardAll(uint64_t epoch) const {
    return !device_ || device_->heardAll(epoch);
}

bool FallbackOutput::appliesVolume() const {
    return device_ && device_->appliesVolume();
}

} // namespace vbmp3
