// Work on a named file that may hang for as long as the file's reads do (a stalled network share,
// a disc spinning up, a file system in user space that stopped answering), done on a thread of its
// own while the caller waits no longer than a bound. Past the bound the caller goes on without the
// result, as if the file could not be read, and the thread ends on its own once its read returns,
// dropping what it made there (closing a file may hang too). While work on a file still hangs,
// further work on the same file fails at once: a caller waits on a stalled file once, and the file
// holds one thread, not one per ask. The bound counts only the time in which the work is stalled:
// its thread neither runs nor waits to run (core/stall_meter.h). Work that runs slowly on a busy
// machine is waited for up to a cap of its own, which is a hostile file's most. Neither counts from
// before the thread runs, nor while one of the engine's own parts loads (shared/own_load.h) and
// until that load has ended: a busy machine's slow start and a first MIDI file's SoundFont are no
// file's doing.
#pragma once

#include "core/crew.h"
#include "shared/own_load.h"
#include "shared/work_watch.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <set>
#include <string>
#include <utility>

namespace vbmp3 {

class Errands {
public:
    // Work waits up to `bound` stalled, and up to `cap` in all.
    Errands(std::chrono::milliseconds bound, std::chrono::milliseconds cap)
        : bound_(bound), cap_(cap) {}

    // Runs `work()` (which gives a std::optional<Result>) for the file `key` on a thread of its
    // own, and returns what it gives, or nullopt if it has not given it within the bound. `then()`
    // runs on that thread once the caller has a result, never when work gave none or the caller
    // went on without it. `longer` is a bound of its own for work that reads much (the cap stays).
    template <typename Result, typename Work, typename Then>
    std::optional<Result> run(const std::string& key, Work work, Then then,
                              std::optional<std::chrono::milliseconds> longer = std::nullopt);

    // Waits up to `bound` for every errand's thread to end. False if some still hangs: those are
    // let go, and still use this object when they end, so it must then never be destroyed.
    bool waitFor(std::chrono::milliseconds bound) { return crew_.waitFor(bound); }

private:
    // What the caller and the thread that watches the work share of an errand.
    struct Watched {
        std::chrono::milliseconds bound{};
        bool started = false;
        WorkWatch watch;
        bool done = false;
        bool late = false; // the caller went on without it
    };
    template <typename Result> struct Errand : Watched { std::optional<Result> result; };

    // Watches the work, on a thread of its own: the caller reads nothing, not even the kernel's
    // figures. Once the work has been stalled for the bound, or has run for the cap, the caller
    // goes on without it.
    void watch(const std::string& key, Watched& errand);

    const std::chrono::milliseconds bound_;
    const std::chrono::milliseconds cap_;
    std::mutex mutex_;
    std::condition_variable done_;
    std::multiset<std::string> hanging_; // keys of errands that came late and still run
    Crew crew_;                          // last: its threads use all of the above
};

template <typename Result, typename Work, typename Then>
std::optional<Result> Errands::run(const std::string& key, Work work, Then then,
                                   std::optional<std::chrono::milliseconds> longer) {
    {
        std::lock_guard lock(mutex_);
        if (hanging_.contains(key))
            return std::nullopt;
    }
    auto errand = std::make_shared<Errand<Result>>();
    errand->bound = longer.value_or(bound_);
    crew_.start([this, errand, key, work = std::move(work), then = std::move(then)]() mutable {
        // Named, so that a profile, /proc or a test tells a file's reading from decoding.
        pthread_setname_np(pthread_self(), "vbmp3-file");
        const WorkWatch::Working working(errand->watch);
        {
            std::lock_guard lock(mutex_);
            errand->started = true;
        }
        done_.notify_all();
        std::optional<Result> result = work();
        std::unique_lock lock(mutex_);
        if (errand->late) {
            hanging_.erase(hanging_.find(key));
            lock.unlock();
            return; // what it made goes here, on this thread
        }
        const bool given = result.has_value();
        errand->result = std::move(result);
        errand->done = true;
        lock.unlock();
        done_.notify_all();
        if (given)
            then();
    });
    crew_.start([this, errand, key] { watch(key, *errand); });
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&errand] { return errand->done || errand->late; });
    if (errand->late)
        return std::nullopt;
    return std::move(errand->result);
}

} // namespace vbmp3
