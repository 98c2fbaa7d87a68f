// The output drivers in the order the engine tries them.
#include "outputs/output_drivers.h"

#include "outputs/fallback_output.h"

namespace vbmp3 {

std::shared_ptr<Output> startFirstDriver(Renderer& renderer) {
    // The sound server first, SDL2 (ALSA and the rest) where there is none.
    auto output = std::make_shared<FallbackOutput>(std::vector<FallbackOutput::Driver>{
        [](DeviceWatch& watch) { return makePulseOutput(watch); },
        [](DeviceWatch&) { return makeSdlOutput(); }});
    output->start(renderer);
    return output;
}

} // namespace vbmp3
