// Reads a source to its end as fast as it goes; the benchmarks' unit of work.
#pragma once

#include "frames_read.h"

// Returns the audio seconds read.
inline double readToEnd(vbmp3::Source& source) {
    return double(test_support::framesRead(source)) / source.facts().sampleRate;
}
