// Reads a source of the engine to its end as fast as it goes.
#pragma once

#include <cstdint>
#include <vector>

#include "decoders/source.h"

namespace test_support {

// The frames the source gave.
inline int64_t framesRead(vbmp3::Source& source) {
    std::vector<float> block(4096 * vbmp3::kOutputChannels);
    int64_t frames = 0;
    while (size_t got = source.read(block.data(), 4096))
        frames += static_cast<int64_t>(got);
    return frames;
}

} // namespace test_support
