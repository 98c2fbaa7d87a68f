// Which thread does the work that a caller waits for: the thread that took it on, or, while that
// thread waits for another process to do it, a thread of that process. A bounded wait watches that
// thread to tell work that is stalled (asleep on a read that does not return) from work that is
// merely slow (running, or waiting for a core on a busy machine).
#pragma once

#include <atomic>
#include <cstdint>
#include <sys/types.h>
#include <unistd.h>

namespace vbmp3 {

// A thread of some process, as the kernel numbers both.
struct Task {
    pid_t process = 0;
    pid_t thread = 0;
    bool operator==(const Task&) const = default;
};

class WorkWatch {
public:
    // The task doing the work now; any thread may ask.
    Task task() const {
        const uint64_t packed = task_.load();
        return {static_cast<pid_t>(packed >> 32), static_cast<pid_t>(packed & 0xffffffffu)};
    }

    // The watch that follows this thread's work now, if any.
    static const WorkWatch* ofThisThread() { return current(); }

    // Whoever waited for the work has gone on without it; any thread may say and ask.
    void giveUp() { givenUp_ = true; }
    bool givenUp() const { return givenUp_; }

    // While one lives, `watch` follows the work of the thread that made it.
    class Working {
    public:
        explicit Working(WorkWatch& watch) : previous_(current()) {
            watch.set({getpid(), gettid()});
            current() = &watch;
        }
        ~Working() { current() = previous_; }
        Working(const Working&) = delete;
        Working& operator=(const Working&) = delete;

    private:
        WorkWatch* previous_;
    };

    // While one lives, the work of the thread that made it is done by `other`, which it waits on.
    // Nothing on a thread that no watch follows.
    class DoneBy {
    public:
        explicit DoneBy(Task other) : watch_(current()) {
            if (watch_) {
                own_ = watch_->task();
                watch_->set(other);
            }
        }
        ~DoneBy() {
            if (watch_)
                watch_->set(own_);
        }
        DoneBy(const DoneBy&) = delete;
        DoneBy& operator=(const DoneBy&) = delete;

    private:
        WorkWatch* watch_;
        Task own_;
    };

private:
    void set(Task task) {
        task_ = (uint64_t{static_cast<uint32_t>(task.process)} << 32) |
                static_cast<uint32_t>(task.thread);
    }
    // The watch that follows this thread's work, if any.
    static WorkWatch*& current() {
        thread_local WorkWatch* watch = nullptr;
        return watch;
    }

    std::atomic<uint64_t> task_{0};
    std::atomic<bool> givenUp_{false};
};

} // namespace vbmp3
