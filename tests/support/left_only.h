// A tone on the left channel and silence on the right, so that a swap of the two shows.
#pragma once

#include "fixtures/audio_writer.h"

namespace test_support {

inline fixtures::Pcm leftOnly(fixtures::Pcm stereo) {
    for (size_t i = 1; i < stereo.samples.size(); i += 2)
        stereo.samples[i] = 0;
    return stereo;
}

} // namespace test_support
