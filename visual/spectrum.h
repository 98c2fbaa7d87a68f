#pragma once

#include <cstdint>

#include "engine/calls.h"
#include "platform/picture_box.h"
#include "spectrum_levels.h"
#include "view_mode.h"

namespace visual {

// How a spectrum mode spreads its columns: column x advances by bandStep and reads spectrum
// index x * bandStep, up to lastColumn.
struct BandLayout {
    int16_t bandStep;
    int16_t lastColumn;
};

// The layout of the spectrum modes (PeaksOnly shares BarsEveryFourth's).
BandLayout bandLayout(ViewMode viewMode);

// One spectrum frame: moves the levels at the indexes this mode reads, then paints the shaded
// bars (all but PeaksOnly) and the yellow peak markers over them, one pixel wide in
// BarsEveryIndex and two pixels wide in the others.
void drawSpectrum(ViewMode viewMode, SpectrumLevels& levels, const engine::Buffer& specData1,
                  const engine::Buffer& specData2, platform::PictureBox& picWave);

} // namespace visual
