// The engine (its renderer) and an output's watch, as a thread that may outlive the output reaches
// them: until detached.
#pragma once

#include "outputs/output.h"

#include <mutex>

namespace vbmp3 {

// The sound server connection's thread may outlive its output while the server hangs, and must
// not reach the engine after the output has stopped. Each call holds the switch's lock while it
// passes on, so that detach() waits for one under way.
class DetachableEngine : public Renderer {
public:
    DetachableEngine(Renderer& renderer, DeviceWatch& watch)
        : renderer_(&renderer), watch_(&watch) {}
    // After it returns, neither the renderer nor the watch is called again.
    void detach();

    RenderResult render(float* out, size_t frames, int rate) override;
    Cues cues() const override;
    void volumeSetOnDevice(int32_t left, int32_t right) override;
    void deviceLost(std::chrono::milliseconds after);
    void deviceBack();

private:
    mutable std::mutex mutex_;
    Renderer* renderer_;
    DeviceWatch* watch_;
};

} // namespace vbmp3
