#pragma once

#include <cstdint>

#include "engine/calls.h"
#include "platform/picture_box.h"

namespace visual {

// How a spectrum mode spreads its columns: column x advances by bandStep and reads spectrum
// index x * bandStep, up to lastColumn.
struct BandLayout {
    int16_t bandStep;
    int16_t lastColumn;
};

// The layout of view modes 2 to 6 (5 and 6 share one).
BandLayout bandLayout(int16_t viewMode);

// One spectrum frame: moves barLevel and peakLevel at the indexes this mode reads, then paints
// the shaded bars (modes 2 to 5) and the yellow peak markers over them, one pixel wide in mode
// 2 and two pixels wide from mode 3 on.
void drawSpectrum(int16_t viewMode, const engine::Buffer& specData1,
                  const engine::Buffer& specData2, platform::PictureBox& picWave);

} // namespace visual
