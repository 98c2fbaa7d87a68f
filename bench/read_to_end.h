// Reads a source to its end as fast as it goes; the benchmarks' unit of work.
#pragma once

#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

#include "source.h"

// Returns the audio seconds read.
inline double readToEnd(vbmp3::Source& source) {
    std::vector<float> block(4096 * vbmp3::kOutputChannels);
    int64_t frames = 0;
    while (size_t got = source.read(block.data(), 4096))
        frames += static_cast<int64_t>(got);
    benchmark::DoNotOptimize(block.data());
    return double(frames) / vbmp3::kOutputRate;
}
