// How long watched work has been stalled: the time its thread neither ran nor waited to run, from
// the kernel's scheduler statistics (/proc's schedstat and stat). Work on a busy machine is slow,
// not stalled; a thread asleep on a read that does not return is stalled. Where the kernel keeps no
// such figures, all the time counts, as a plain timer would.
#pragma once

#include "shared/work_watch.h"

#include <chrono>
#include <optional>

namespace vbmp3 {

// What the kernel says of a task at one moment.
struct TaskLook {
    std::chrono::nanoseconds runnable{}; // on a core or in a run queue, since the task began
    bool runnableNow = false;
};
// nullopt where the kernel keeps no such figures or the task is gone.
std::optional<TaskLook> lookAt(const Task& task);

class StallMeter {
public:
    using Clock = std::chrono::steady_clock;

    explicit StallMeter(const WorkWatch& watch) : watch_(watch) { restart(Clock::now()); }

    // Counts from `now` again.
    void restart(Clock::time_point now);
    // Looks at the work's task now; gives the stalled time since the last restart.
    std::chrono::nanoseconds look(Clock::time_point now);
    Clock::time_point since() const { return since_; }

private:
    const WorkWatch& watch_;
    Clock::time_point since_;
    Clock::time_point lastLook_;
    Task lastTask_;
    std::optional<TaskLook> last_;
    std::chrono::nanoseconds stalled_{};
};

} // namespace vbmp3
