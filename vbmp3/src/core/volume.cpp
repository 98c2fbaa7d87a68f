#include "core/volume.h"

#include <algorithm>

namespace vbmp3 {

float volumeGain(int32_t volume) {
    float v = static_cast<float>(std::clamp<int32_t>(volume, 0, 100)) / 100.0f;
    return v * v * v;
}

} // namespace vbmp3
