// The output drivers in the order the engine tries them.
#include "outputs/output_drivers.h"

#include <cstdio>

namespace vbmp3 {
namespace {

using MakeOutput = std::unique_ptr<Output> (*)();

// The sound server first, SDL2 (ALSA and the rest) where there is none; the clock never fails,
// so it ends the list.
constexpr MakeOutput kDrivers[] = {makePulseOutput, makeSdlOutput, makeClockOutput};

} // namespace

std::shared_ptr<Output> startFirstDriver(Renderer& renderer) {
    static bool toldNoDevice = false;
    for (const MakeOutput make : kDrivers) {
        std::shared_ptr<Output> output = make();
        if (!output->start(renderer))
            continue;
        if (make == makeClockOutput && !toldNoDevice) {
            std::fprintf(stderr, "vbmp3: no sound output opens, playing silently in real time\n");
            toldNoDevice = true;
        }
        return output;
    }
    return nullptr; // not reached: the clock always starts
}

} // namespace vbmp3
