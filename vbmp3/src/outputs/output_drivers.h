// Picks and starts the engine's output.
#pragma once

#include "outputs/output.h"

#include <memory>

namespace vbmp3 {

// The output wherever the engine plays for real: the first device driver that starts, and the
// silent clock whenever no device plays (see fallback_output.h).
std::shared_ptr<Output> startFirstDriver(Renderer& renderer);

// The drivers; each returns an output not yet started.
// The sound server. It reports to `watch` when its server goes and comes back.
std::unique_ptr<Output> makePulseOutput(DeviceWatch& watch);
std::unique_ptr<Output> makeSdlOutput();

} // namespace vbmp3
