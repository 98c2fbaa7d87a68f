// Picks and starts the engine's output.
#pragma once

#include "outputs/output.h"

#include <chrono>
#include <memory>

namespace vbmp3 {

// The output wherever the engine plays for real: the first device driver that starts, and the
// silent clock whenever no device plays (none starts, or the one that started has lost its
// device).
std::shared_ptr<Output> startFirstDriver(Renderer& renderer);

// The drivers; each returns an output not yet started.
// The sound server. It reports to `watch` when its server goes and comes back.
std::unique_ptr<Output> makePulseOutput(DeviceWatch& watch);
std::unique_ptr<Output> makeSdlOutput();
// Consumes frames in real time and drops them, beginning `after` its start: a device that comes
// within that time is not cut short by it.
std::unique_ptr<Output> makeClockOutput(std::chrono::milliseconds after = {});

} // namespace vbmp3
