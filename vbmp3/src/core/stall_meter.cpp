#include "core/stall_meter.h"

#include "shared/proc_text.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace vbmp3 {
std::optional<TaskLook> lookAt(const Task& task) {
    const std::string folder =
        "/proc/" + std::to_string(task.process) + "/task/" + std::to_string(task.thread) + "/";
    // schedstat: nanoseconds on a core, nanoseconds waiting in a run queue, time slices.
    long long onCore = 0;
    long long queued = 0;
    if (std::sscanf(readProcText(folder + "schedstat").c_str(), "%lld %lld", &onCore, &queued) != 2)
        return std::nullopt;
    const char state = taskState(readProcText(folder + "stat"));
    if (state == 0)
        return std::nullopt;
    return TaskLook{std::chrono::nanoseconds(onCore + queued), state == 'R'};
}

void StallMeter::restart(Clock::time_point now) {
    since_ = lastLook_ = now;
    lastTask_ = watch_.task();
    last_ = lookAt(lastTask_);
    stalled_ = {};
}

std::chrono::nanoseconds StallMeter::look(Clock::time_point now) {
    const Task task = watch_.task();
    const std::optional<TaskLook> seen = lookAt(task);
    const auto span = std::chrono::duration_cast<std::chrono::nanoseconds>(now - lastLook_);
    if (!seen)
        stalled_ += span;
    // A task that runs now may not have been counted its wait in the run queue yet; a span in
    // which the work moved to another task is given the benefit of the doubt.
    else if (!seen->runnableNow && task == lastTask_ && last_)
        stalled_ += span - std::clamp(seen->runnable - last_->runnable, decltype(span){}, span);
    lastLook_ = now;
    lastTask_ = task;
    last_ = seen;
    return stalled_;
}

} // namespace vbmp3
