// The engine's output wherever it plays for real: the first device driver that starts, and the
// silent clock whenever no device plays (none starts, or the one that started has lost its
// device).
#pragma once

#include "outputs/clock_output.h"
#include "outputs/output.h"

#include <functional>
#include <memory>
#include <vector>

namespace vbmp3 {

class FallbackOutput : public Output, private DeviceWatch {
public:
    // Makes a device driver's output, not yet started, that reports to `watch`.
    using Driver = std::function<std::unique_ptr<Output>(DeviceWatch& watch)>;

    // Tries `drivers` in this order.
    explicit FallbackOutput(std::vector<Driver> drivers) : drivers_(std::move(drivers)) {}
    ~FallbackOutput() override { stop(); }
    FallbackOutput(const FallbackOutput&) = delete;
    FallbackOutput& operator=(const FallbackOutput&) = delete;

    bool start(Renderer& renderer) override;
    void stop() override;
    void wake() override;
    int64_t latencyFrames(uint64_t epoch) const override;
    bool heardAll(uint64_t epoch) const override;
    bool appliesVolume() const override;

private:
    void deviceLost(std::chrono::milliseconds after) override { clock_.runWithin(after); }
    void deviceBack() override { clock_.halt(); }

    const std::vector<Driver> drivers_;
    std::unique_ptr<Output> device_; // set once, at start
    ClockOutput clock_{std::nullopt};
};

} // namespace vbmp3
