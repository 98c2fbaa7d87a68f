// Picks and starts the engine's output.
#pragma once

#include "output.h"

#include <memory>

namespace vbmp3 {

// The tests' output if one was given (see testing::useOutput), else the first driver that starts.
std::shared_ptr<Output> startOutput(Renderer& renderer);

} // namespace vbmp3
