#include "process_probe.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace soak {

namespace {

// ThreadSanitizer starts a helper thread of its own along with the process's first thread; one
// thread run here first keeps that out of the counts a test compares.
void startSanitizerHelpers() {
    static const bool started = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)started;
}

} // namespace

size_t threadCount() {
    startSanitizerHelpers();
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<size_t>(std::distance(begin(tasks), end(tasks)));
}

size_t residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoul(line.substr(6));
    }
    return 0;
}

size_t settledThreadCount(size_t expected, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    size_t count = threadCount();
    while (count > expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        count = threadCount();
    }
    return count;
}

} // namespace soak
