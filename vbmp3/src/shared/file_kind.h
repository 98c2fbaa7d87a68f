// What kind of music file a decoder found, numbered as the C interface's VBMP3_KIND_* (api.cpp
// checks that they agree).
#pragma once

#include <cstdint>

namespace vbmp3 {

// Unscoped: the number itself is what the records carry.
enum FileKind : int32_t {
    kKindMpeg = 1,
    kKindWave = 2,
    kKindWma = 3,
    kKindMidi = 4,
    kKindOther = 5,
};

} // namespace vbmp3
