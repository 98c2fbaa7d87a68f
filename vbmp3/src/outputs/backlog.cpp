#include "outputs/backlog.h"

#include <algorithm>
#include <utility>

namespace vbmp3 {

Backlog::Backlog(int rate, Now now) : rate_(rate), clock_(std::move(now)), at_(clock_()) {}

void Backlog::measured(uint64_t epoch, int64_t waiting, int64_t playingOut, bool running) {
    std::lock_guard lock(mutex_);
    padding_ = epoch == epoch_ ? padding_ : 0;
    silence_ = epoch == epoch_ ? silence_ : 0;
    epoch_ = epoch;
    waiting_ = std::max<int64_t>(waiting, 0);
    frames_ = waiting_ + std::max<int64_t>(playingOut, 0);
    at_ = clock_();
    running_ = running;
    guessed_ = false;
}

void Backlog::setRate(int rate) {
    std::lock_guard lock(mutex_);
    rate_ = rate;
    frames_ = waiting_ = 0;
    at_ = clock_();
    silence_ = padding_ = 0;
    guessed_ = false;
}

void Backlog::rendering() {
    std::lock_guard lock(mutex_);
    rendering_ = true;
}

void Backlog::wrote(int64_t frames) {
    std::lock_guard lock(mutex_);
    rendering_ = false;
    if (frames == 0)
        return;
    frames_ = now() + frames;
    at_ = clock_();
    guessed_ = true;
}

void Backlog::setRunning(bool running) {
    std::lock_guard lock(mutex_);
    frames_ = now();
    at_ = clock_();
    running_ = running;
}

void Backlog::lost() {
    std::lock_guard lock(mutex_);
    frames_ = running_ ? now() : 0;
    waiting_ = 0; // nothing waits for the device any more
    at_ = clock_();
    guessed_ = false;
}

void Backlog::padded(int64_t frames, int64_t leftWhenHeard) {
    std::lock_guard lock(mutex_);
    frames_ = now() + frames;
    at_ = clock_();
    silence_ = frames;
    padding_ = leftWhenHeard;
    guessed_ = true;
}

int64_t Backlog::latencyFrames(uint64_t epoch) const {
    std::lock_guard lock(mutex_);
    return epoch == epoch_ ? now() : 0;
}

bool Backlog::heardAll(uint64_t epoch) const {
    std::lock_guard lock(mutex_);
    return !rendering_ &&
           (epoch != epoch_ || (!guessed_ && waiting_ <= silence_ && now() <= padding_));
}

int64_t Backlog::now() const {
    if (!running_)
        return frames_;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(clock_() - at_);
    return std::max<int64_t>(frames_ - elapsed.count() * rate_ / 1000000, 0);
}

} // namespace vbmp3
