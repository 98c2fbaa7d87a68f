// The engine's renderer and an output's watch behind a switch that cuts them off.
#pragma once

#include "outputs/output.h"

#include <mutex>

namespace vbmp3 {

// The engine's renderer and the watch, until cut off: the link's thread may outlive its output
// while the server hangs, and must not reach the engine after the output has stopped.
class Gate : public Renderer {
public:
    Gate(Renderer& renderer, DeviceWatch& watch) : renderer_(&renderer), watch_(&watch) {}
    // After it returns, neither the renderer nor the watch is called again.
    void cut();

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
