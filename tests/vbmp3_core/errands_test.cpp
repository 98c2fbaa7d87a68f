// Work on a file that may hang, on a thread of its own within a bound: what the caller gets, where
// what came late is dropped, and that a file still hanging is not waited on again.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>

#include "core/errands.h"

namespace {

using namespace std::chrono_literals;

// Held shut until opened: stands in for a read that hangs.
class Latch {
public:
    void wait() {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// A result that says on which thread it was dropped.
struct Made {
    struct Drops {
        std::mutex mutex;
        std::thread::id on;
        int count = 0;
    };
    std::shared_ptr<Drops> drops;
    Made(std::shared_ptr<Drops> to) : drops(std::move(to)) {}
    Made(Made&& other) noexcept : drops(std::move(other.drops)) {}
    Made& operator=(Made&& other) noexcept {
        drops = std::move(other.drops);
        return *this;
    }
    ~Made() {
        if (!drops)
            return;
        std::lock_guard lock(drops->mutex);
        drops->on = std::this_thread::get_id();
        ++drops->count;
    }
};

// Polls `done` for up to ten seconds, as long as a busy machine may take to run a thread.
template <typename Done> bool eventually(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(2ms);
    return done();
}

enum class Work { Gives, GivesNothing, HangsPastTheBound, LoadsOwnPartPastTheBound };

TEST(Errands, TheCallerGetsWhatCameWithinTheBoundAndWhatCameLateIsDroppedOnItsThread) {
    struct Case {
        const char* name;
        Work work;
        std::chrono::milliseconds bound;
        bool got;
        bool thenRan;
    };
    // A bound that a busy machine cannot overrun where the work answers; a short one where it
    // hangs, which a latch holds until the caller has gone on.
    const Case cases[] = {
        {"work that gives a result", Work::Gives, 10s, true, true},
        {"work that gives none", Work::GivesNothing, 10s, false, false},
        {"work that hangs past the bound", Work::HangsPastTheBound, 30ms, false, false},
        // The load runs three bounds; what follows it has a whole bound of its own.
        {"work that waits for one of the engine's own parts past the bound",
         Work::LoadsOwnPartPastTheBound, 100ms, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vbmp3::Errands errands(c.bound);
        auto drops = std::make_shared<Made::Drops>();
        Latch latch;
        std::atomic<bool> thenRan{false};
        std::atomic<bool> workEnded{false};
        std::optional<Made> got = errands.run<Made>(
            "file",
            [&]() -> std::optional<Made> {
                if (c.work == Work::HangsPastTheBound)
                    latch.wait();
                if (c.work == Work::LoadsOwnPartPastTheBound) {
                    const vbmp3::OwnLoad loading;
                    std::this_thread::sleep_for(3 * c.bound);
                }
                workEnded = true;
                if (c.work == Work::GivesNothing)
                    return std::nullopt;
                return Made(drops);
            },
            [&] { thenRan = true; });
        latch.open();
        EXPECT_EQ(got.has_value(), c.got);
        got.reset();
        EXPECT_TRUE(errands.waitFor(10s));
        EXPECT_TRUE(workEnded);
        EXPECT_EQ(thenRan, c.thenRan);
        const int expectedDrops = c.work == Work::GivesNothing ? 0 : 1;
        EXPECT_EQ(drops->count, expectedDrops);
        if (c.work == Work::HangsPastTheBound) {
            EXPECT_NE(drops->on, std::this_thread::get_id()) << "dropped on the caller's thread";
        }
    }
}

TEST(Errands, AFileStillHangingFailsAtOnceUntilItsWorkHasEnded) {
    vbmp3::Errands errands(30ms);
    Latch latch;
    std::atomic<int> runs{0};
    const auto hangs = [&]() -> std::optional<int> {
        ++runs;
        latch.wait();
        return 1;
    };
    const auto gives = [&]() -> std::optional<int> {
        ++runs;
        return 2;
    };
    EXPECT_EQ(errands.run<int>("stalled", hangs, [] {}), std::nullopt);
    EXPECT_EQ(errands.run<int>("stalled", gives, [] {}), std::nullopt);
    EXPECT_EQ(runs, 1) << "the hanging file was asked again";

    vbmp3::Errands patient(10s);
    EXPECT_EQ(patient.run<int>("other", gives, [] {}), 2) << "another file waits on nothing";

    latch.open();
    // The hanging work ends once its read returns; from then on the file is asked again.
    EXPECT_TRUE(eventually([&] {
        return errands.run<int>(
                   "stalled", [] { return std::optional<int>(3); }, [] {}) == 3;
    }));
    EXPECT_TRUE(errands.waitFor(10s));
    EXPECT_TRUE(patient.waitFor(10s));
}

} // namespace
