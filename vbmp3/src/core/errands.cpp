#include "core/errands.h"

#include "core/stall_meter.h"

#include <algorithm>

namespace vbmp3 {

void Errands::watch(const std::string& key, Watched& errand) {
    using Clock = std::chrono::steady_clock;
    pthread_setname_np(pthread_self(), "vbmp3-watch");
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&errand] { return errand.started; });
    const auto done = [&errand] { return errand.done; };
    // Often enough that a stall is seen within a quarter of the bound past it.
    const auto lookEvery =
        std::max<std::chrono::milliseconds>(errand.bound / 4, std::chrono::milliseconds{1});
    StallMeter stall(errand.watch);
    while (!done_.wait_for(lock, lookEvery, done)) {
        const auto now = Clock::now();
        if (OwnLoad::isUnderway() || OwnLoad::lastEnded() > stall.since()) {
            stall.restart(now);
            continue;
        }
        lock.unlock();
        const auto stalled = stall.look(now);
        lock.lock();
        if (errand.done)
            return;
        if (stalled >= errand.bound || now - stall.since() >= cap_) {
            errand.late = true;
            errand.watch.giveUp();
            hanging_.insert(key);
            lock.unlock();
            done_.notify_all();
            return;
        }
    }
}

} // namespace vbmp3
