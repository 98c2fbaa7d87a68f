// Picks and starts the engine's output.
#pragma once

#include "outputs/output.h"

#include <memory>

namespace vbmp3 {

// The first driver that starts: the engine's output wherever it plays for real.
std::shared_ptr<Output> startFirstDriver(Renderer& renderer);

} // namespace vbmp3
