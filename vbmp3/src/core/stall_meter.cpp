#include "core/stall_meter.h"

#include <algorithm>
#include <fstream>
#include <string>

namespace vbmp3 {
namespace {

std::string taskFolder(const Task& task) {
    return "/proc/" + std::to_string(task.process) + "/task/" + std::to_string(task.thread) + "/";
}

} // namespace

std::optional<TaskLook> lookAt(const Task& task) {
    const std::string folder = taskFolder(task);
    // schedstat: nanoseconds on a core, nanoseconds waiting in a run queue, time slices.
    std::ifstream schedstat(folder + "schedstat");
    long long onCore = 0;
    long long queued = 0;
    if (!(schedstat >> onCore >> queued))
        return std::nullopt;
    // stat: "thread (name) S ...": the state follows the last parenthesis, the name may hold any.
    std::ifstream statFile(folder + "stat");
    const std::string stat((std::istreambuf_iterator<char>(statFile)), {});
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 >= stat.size())
        return std::nullopt;
    return TaskLook{std::chrono::nanoseconds(onCore + queued), stat[nameEnd + 2] == 'R'};
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
