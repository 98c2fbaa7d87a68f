// The output volume's curve: slider value to linear gain.
#pragma once

#include <cstdint>

namespace vbmp3 {

// 0 to 100 (values outside are clamped) onto a cubic curve, which follows loudness closely
// enough for a slider: 0 is silence, 100 is unity, 50 is about -18 dB.
float volumeGain(int32_t volume);

} // namespace vbmp3
