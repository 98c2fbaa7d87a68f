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

    // A fresh figure from the device: of `epoch`, `waiting` frames it has not taken yet and
    // `playingOut` it has taken and not played yet, running down if `running` (playing, not
    // paused). A new epoch starts with none.
    void measured(uint64_t epoch, int64_t waiting, int64_t playingOut, bool running);
    // The device runs at `rate` from now on; what it held is gone.
    void setRate(int rate);
    // Frames are being rendered for the device: until wrote() says how many, none of whatever
    // epoch they are is heard whole.
    void rendering();
    // Frames written after the last figure (0 if the rendering gave none). Running down from now
    // is only a guess until the device's next figure: the device may begin them later.
    void wrote(int64_t frames);
    // The device pauses or plays on; what it holds stays.
    void setRunning(bool running);
    // The device no longer answers: what it held runs down as if it played (none of it while
    // paused), without a figure to wait for.
    void lost();
    // Silence written after the epoch's last frames, so that a device that plays whole periods
    // only plays them too: all of the epoch is heard once the device has taken all but these
    // `frames` and no more than `leftWhenHeard` is left.
    void padded(int64_t frames, int64_t leftWhenHeard);
    // Frames of `epoch` not heard yet; 0 for any other epoch.
    int64_t latencyFrames(uint64_t epoch) const;
    // Every frame of `epoch` that was written has been heard, by the device's own figures: none
    // is being rendered, a figure came after the last write and said the device had taken all
    // but the padding, and none is left but the padding since. Running down alone never makes
    // the device take frames: a busy device may take them late. True for an epoch of which the
    // device holds nothing.
    bool heardAll(uint64_t epoch) const;

private:
    int64_t now() const; // mutex_ held

    int rate_;
    const Now clock_;
    mutable std::mutex mutex_;
    uint64_t epoch_ = 0;
    int64_t frames_ = 0; // at `at_`
    Clock::time_point at_;
    bool running_ = false;
    int64_t waiting_ = 0; // not taken by the device yet, by its last figure
    int64_t silence_ = 0; // written after epoch_'s last frames
    int64_t padding_ = 0; // of epoch_: left when heard
    bool rendering_ = false;
    bool guessed_ = false; // frames_ is a guess that no figure has confirmed
};

} // namespace vbmp3
