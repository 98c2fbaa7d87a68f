// Work on a file that may hang, on a thread of its own within a bound on its stalls: what the
// caller gets, where what came late is dropped, and that a file still hanging is not waited on
// again.
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

#include "core/errands.h"
#include "shared/work_watch.h"

namespace {

using namespace std::chrono_literals;

// A result that notes the thread it is dropped on.
struct Made {
    std::shared_ptr<std::thread::id> droppedOn;
    Made(std::shared_ptr<std::thread::id> note) : droppedOn(std::move(note)) {}
    Made(Made&& other) noexcept = default;
    Made& operator=(Made&& other) noexcept = default;
    ~Made() {
        if (droppedOn)
            *droppedOn = std::this_thread::get_id();
    }
};

enum class Work {
    Gives,
    GivesNothing,
    HangsPastTheBound,
    RunsPastTheBound,
    RunsPastTheCap,
    LoadsOwnPartPastTheBound,
    WaitsOnAnotherTaskThatRunsPastTheBound,
};

// Keeps a core busy until `until` is ready or `spell` has passed.
void run(const std::shared_future<void>& until, std::chrono::milliseconds spell) {
    const auto end = std::chrono::steady_clock::now() + spell;
    while (std::chrono::steady_clock::now() < end &&
           until.wait_for(0s) != std::future_status::ready) {
    }
}

TEST(Errands, TheCallerGetsWhatCameWithinTheBoundAndAFileThatHangsIsLeftToItsThread) {
    struct Case {
        const char* name;
        Work work;
        std::chrono::milliseconds bound;
        std::chrono::milliseconds cap;
        bool got;
    };
    // A bound that a busy machine cannot overrun where the work answers at once; a short one where
    // it hangs or runs, held by a promise until the caller has gone on.
    const Case cases[] = {
        {"work that gives a result", Work::Gives, 10s, 10s, true},
        {"work that gives none", Work::GivesNothing, 10s, 10s, false},
        {"work that hangs past the bound", Work::HangsPastTheBound, 200ms, 10s, false},
        // Slow, as on a busy machine, not stalled: its thread runs all along.
        {"work that runs past the bound", Work::RunsPastTheBound, 50ms, 10s, true},
        {"work that runs past the cap", Work::RunsPastTheCap, 50ms, 300ms, false},
        // The load takes three bounds; what follows it has a whole bound of its own.
        {"work that waits for one of the engine's own parts past the bound",
         Work::LoadsOwnPartPastTheBound, 100ms, 10s, true},
        {"work that another task does, running past the bound",
         Work::WaitsOnAnotherTaskThatRunsPastTheBound, 50ms, 10s, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vbmp3::Errands errands(c.bound, c.cap);
        auto droppedOn = std::make_shared<std::thread::id>();
        std::promise<void> readReturns;
        std::shared_future<void> returned = readReturns.get_future().share();
        std::atomic<bool> thenRan{false};
        std::optional<Made> got = errands.run<Made>(
            "file",
            [&c, droppedOn, returned]() -> std::optional<Made> {
                if (c.work == Work::HangsPastTheBound)
                    returned.wait();
                if (c.work == Work::RunsPastTheBound)
                    run(returned, 6 * c.bound);
                if (c.work == Work::RunsPastTheCap)
                    run(returned, 10s);
                if (c.work == Work::LoadsOwnPartPastTheBound) {
                    const vbmp3::OwnLoad loading;
                    std::this_thread::sleep_for(3 * c.bound);
                }
                if (c.work == Work::WaitsOnAnotherTaskThatRunsPastTheBound) {
                    std::promise<vbmp3::Task> task;
                    std::thread other([&task, returned, bound = c.bound] {
                        task.set_value({getpid(), gettid()});
                        run(returned, 6 * bound);
                    });
                    {
                        const vbmp3::WorkWatch::DoneBy doneBy(task.get_future().get());
                        other.join();
                    }
                }
                if (c.work == Work::GivesNothing)
                    return std::nullopt;
                return Made(droppedOn);
            },
            [&thenRan] { thenRan = true; });
        EXPECT_EQ(got.has_value(), c.got);
        if (!c.got && c.work != Work::GivesNothing) {
            EXPECT_FALSE(errands.run<int>(
                "file", [] { return std::optional(1); }, [] {}))
                << "the hanging file was waited on again";
        }
        readReturns.set_value();
        got.reset();
        EXPECT_TRUE(errands.waitFor(10s));
        EXPECT_EQ(thenRan, c.got) << "then runs only after a result was taken";
        if (c.work == Work::HangsPastTheBound) {
            EXPECT_NE(*droppedOn, std::this_thread::get_id()) << "dropped on the caller's thread";
            // The file is asked again once its read has returned.
            EXPECT_EQ(errands.run<int>(
                          "file", [] { return std::optional(2); }, [] {}),
                      2);
        }
    }
}

} // namespace
