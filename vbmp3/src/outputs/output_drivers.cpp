// The output drivers in the order the engine tries them, and the one place that falls back to the
// silent clock.
#include "outputs/output_drivers.h"

#include <cstdio>
#include <mutex>

namespace vbmp3 {
namespace {

class FallbackOutput : public Output, private DeviceWatch {
public:
    bool start(Renderer& renderer) override {
        renderer_ = &renderer;
        // The sound server first, SDL2 (ALSA and the rest) where there is none.
        for (auto make : {+[](DeviceWatch& watch) { return makePulseOutput(watch); },
                          +[](DeviceWatch&) { return makeSdlOutput(); }}) {
            std::unique_ptr<Output> device = make(*this);
            if (device->start(renderer)) {
                device_ = std::move(device);
                return true;
            }
        }
        std::fprintf(stderr, "vbmp3: no sound output opens, playing silently in real time\n");
        runClock({});
        return true;
    }

    void stop() override {
        if (device_)
            device_->stop(); // no deviceLost or deviceBack after this
        std::lock_guard lock(mutex_);
        clock_.reset();
    }

    ~FallbackOutput() override { stop(); }

    void wake() override {
        if (device_)
            device_->wake();
    }

    int64_t unheardFrames(uint64_t epoch) const override {
        return device_ ? device_->unheardFrames(epoch) : 0;
    }

    bool heardAll(uint64_t epoch) const override { return !device_ || device_->heardAll(epoch); }

    bool appliesVolume() const override { return device_ && device_->appliesVolume(); }

private:
    void deviceLost(std::chrono::milliseconds after) override { runClock(after); }

    // A clock that has not begun yet has consumed nothing, so one that begins sooner replaces it.
    void runClock(std::chrono::milliseconds after) {
        std::lock_guard lock(mutex_);
        const auto begins = std::chrono::steady_clock::now() + after;
        if (clock_ && clockBegins_ <= begins)
            return;
        clock_.reset();
        clock_ = makeClockOutput(after);
        clock_->start(*renderer_);
        clockBegins_ = begins;
    }

    void deviceBack() override {
        std::lock_guard lock(mutex_);
        clock_.reset(); // joins the clock's thread
    }

    Renderer* renderer_ = nullptr;
    std::unique_ptr<Output> device_;
    std::mutex mutex_;
    std::unique_ptr<Output> clock_; // runs while no device plays
    std::chrono::steady_clock::time_point clockBegins_;
};

} // namespace

std::shared_ptr<Output> startFirstDriver(Renderer& renderer) {
    auto output = std::make_shared<FallbackOutput>();
    output->start(renderer);
    return output;
}

} // namespace vbmp3
