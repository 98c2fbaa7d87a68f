// The engine's own parts that load on their first use (the FFmpeg module, the SoundFont and its
// synthesizer): a caller that waits no longer than a bound for a file does not count the time that
// such a load takes, since it is the engine's, not the file's, and comes once.
#pragma once

#include <atomic>
#include <chrono>

namespace vbmp3 {

class OwnLoad {
public:
    using Clock = std::chrono::steady_clock;

    OwnLoad() { ++state().underway; }
    ~OwnLoad() {
        state().lastEnded = Clock::now().time_since_epoch().count(); // before the count drops
        --state().underway;
    }
    OwnLoad(const OwnLoad&) = delete;
    OwnLoad& operator=(const OwnLoad&) = delete;

    // Whether one runs now, on any thread.
    static bool isUnderway() { return state().underway > 0; }
    // When the last one ended; the clock's epoch before any.
    static Clock::time_point lastEnded() {
        return Clock::time_point(Clock::duration(state().lastEnded.load()));
    }

private:
    struct State {
        std::atomic<int> underway{0};
        std::atomic<Clock::rep> lastEnded{0};
    };
    // One for the whole process, as the parts themselves are.
    static State& state() {
        static State instance;
        return instance;
    }
};

} // namespace vbmp3
