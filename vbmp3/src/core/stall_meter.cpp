#include "core/stall_meter.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace vbmp3 {
namespace {

// The text of a small file of /proc; empty where it cannot be read (the task has ended: a read
// then fails, which the standard streams would throw for).
std::string readSmall(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char text[512];
    const ssize_t got = ::read(fd, text, sizeof text);
    ::close(fd);
    return got > 0 ? std::string(text, static_cast<size_t>(got)) : std::string();
}

} // namespace

std::optional<TaskLook> lookAt(const Task& task) {
    const std::string folder =
        "/proc/" + std::to_string(task.process) + "/task/" + std::to_string(task.thread) + "/";
    // schedstat: nanoseconds on a core, nanoseconds waiting in a run queue, time slices.
    long long onCore = 0;
    long long queued = 0;
    if (std::sscanf(readSmall(folder + "schedstat").c_str(), "%lld %lld", &onCore, &queued) != 2)
        return std::nullopt;
    // stat: "thread (name) S ...": the state follows the last parenthesis, the name may hold any.
    const std::string stat = readSmall(folder + "stat");
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
