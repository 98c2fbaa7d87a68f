// The output drivers in the order the engine tries them, and the tests' way around them.
#include "output_drivers.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace vbmp3 {
namespace {

struct Driver {
    const char* name;
    std::unique_ptr<Output> (*make)();
};

// The sound server first, SDL2 (ALSA and the rest) where there is none; the clock never fails,
// so it ends the list.
constexpr Driver kDrivers[] = {
    {"sound server", makePulseOutput},
    {"SDL2", makeSdlOutput},
    {"clock", makeClockOutput},
};

std::mutex overrideMutex;
std::shared_ptr<Output> overrideOutput;

std::shared_ptr<Output> takeTestOutput() {
    std::lock_guard lock(overrideMutex);
    return std::exchange(overrideOutput, nullptr);
}

} // namespace

namespace testing {
void useOutput(std::shared_ptr<Output> output) {
    std::lock_guard lock(overrideMutex);
    overrideOutput = std::move(output);
}
} // namespace testing

std::shared_ptr<Output> startOutput(Renderer& renderer) {
    if (std::shared_ptr<Output> output = takeTestOutput()) {
        output->start(renderer);
        return output;
    }
    static bool toldNoDevice = false;
    for (const Driver& driver : kDrivers) {
        std::shared_ptr<Output> output = driver.make();
        if (!output->start(renderer))
            continue;
        if (driver.make == makeClockOutput && !toldNoDevice) {
            std::fprintf(stderr, "vbmp3: no sound output opens, playing silently in real time\n");
            toldNoDevice = true;
        }
        return output;
    }
    return nullptr; // not reached: the clock always starts
}

} // namespace vbmp3
