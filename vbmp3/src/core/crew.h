// Threads that may hang for as long as a file's read does (a network share that stalls): nobody
// waits for one while it runs. Each ends on its own; its owner waits for them only at its own end,
// and then within a bound.
#pragma once

#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>
#include <utility>

namespace vbmp3 {

class Crew {
public:
    Crew() = default;
    ~Crew(); // waits for every thread, however long it takes
    Crew(const Crew&) = delete;
    Crew& operator=(const Crew&) = delete;

    // Runs `work` on a thread of its own. Threads that have ended are joined here.
    template <typename Work> void start(Work work) {
        std::lock_guard lock(mutex_);
        joinEnded();
        auto member = members_.emplace(members_.end());
        member->thread = std::thread([this, member, work = std::move(work)]() mutable {
            work();
            std::lock_guard ending(mutex_);
            member->ended = true;
            ended_.notify_all();
        });
    }

    // Waits up to `bound` for every thread to end. False if some still runs: those are let go,
    // and still reach this crew when they end, so it must then never be destroyed.
    bool waitFor(std::chrono::milliseconds bound);

private:
    struct Member {
        std::thread thread;
        bool ended = false;
    };
    void joinEnded(); // mutex_ held
    bool allEnded() const;

    std::mutex mutex_;
    std::condition_variable ended_;
    std::list<Member> members_;
};

} // namespace vbmp3
