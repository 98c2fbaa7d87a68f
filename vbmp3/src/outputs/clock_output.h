// The silent clock: the output used when no sound device plays. It consumes frames in real time
// at the track's rate and drops them, so state, elapsed time and the visual data behave as if a
// device played them.
//
// It renders what is due in pieces of a fixed size. After a stall (the process stopped, the
// machine suspended) it does not render the whole stall: what is owed beyond a short span is
// skipped, as a device that stalled would not play it either.
//
// Its one thread lives from start() to stop(); between runs it waits, so that a device that comes
// and goes starts and halts the clock without a thread to start or join.
#pragma once

#include "outputs/output.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vbmp3 {

class ClockOutput : public Output {
public:
    // Runs from `after` its start, or (nullopt) once told to.
    explicit ClockOutput(std::optional<std::chrono::milliseconds> after) : after_(after) {}
    ~ClockOutput() override { stop(); }
    ClockOutput(const ClockOutput&) = delete;
    ClockOutput& operator=(const ClockOutput&) = delete;

    bool start(Renderer& renderer) override;
    void stop() override;

    // Runs from `after` from now on. A clock that has not begun has consumed nothing, so one that
    // begins sooner takes its place; one that runs goes on.
    void runWithin(std::chrono::milliseconds after);
    // Runs no more: when it returns, no render of the clock's is under way, and none begins
    // until it is told to run again. Waits for one render at most.
    void halt();

private:
    using Clock = std::chrono::steady_clock;

    void loop(Renderer& renderer);
    void run(Renderer& renderer, std::unique_lock<std::mutex>& lock);
    bool running() const; // mutex_ held
    // Calls `call` with mutex_ released, as a render under way that halt() waits for.
    template <typename Call> auto unlocked(std::unique_lock<std::mutex>& lock, Call call);

    const std::optional<std::chrono::milliseconds> after_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Clock::time_point> begins_; // none: halted
    bool rendering_ = false;
    bool quit_ = false;
    std::vector<float> piece_; // the loop's own
    std::thread thread_;
};

} // namespace vbmp3
