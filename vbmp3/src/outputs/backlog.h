// What a buffering output has written and the device has not played yet, counted on between the
// device's own figures: written frames add to it, and it runs down in real time while the device
// plays. Thread-safe: the output's thread keeps it, the engine reads it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

namespace vbmp3 {

class Backlog {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    explicit Backlog(int rate, Now now = Clock::now);

    // A fresh figure from the device: `frames` of `epoch` not heard yet, running down if
    // `running` (playing, not paused). A new epoch starts with 0.
    void measured(uint64_t epoch, int64_t frames, bool running);
    // The device runs at `rate` from now on; what it held is gone.
    void setRate(int rate);
    // Frames written after the last figure.
    void wrote(int64_t frames);
    // The device pauses or plays on; what it holds stays.
    void setRunning(bool running);
    // Frames of `epoch` not heard yet; 0 for any other epoch.
    int64_t unheard(uint64_t epoch) const;

private:
    int64_t now() const; // mutex_ held

    int rate_;
    const Now clock_;
    mutable std::mutex mutex_;
    uint64_t epoch_ = 0;
    int64_t frames_ = 0; // at `at_`
    Clock::time_point at_;
    bool running_ = false;
};

} // namespace vbmp3
