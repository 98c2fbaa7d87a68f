#pragma once

#include <cstdint>

#include "platform/line_control.h"
#include "platform/picture_box.h"

namespace visual {

// A click on the drawing surface: the next of the six view modes (1 waveform, 2 to 5 spectrum
// bars in four widths, 6 peak markers alone), its surface cleared. It draws no frame itself.
void picWave_Click(int16_t& viewMode, platform::PictureBox& picWave,
                   platform::LineControl& lineCenter);

// One frame of the current view mode from the engine's latest buffers, on a freshly cleared
// surface. formScaleWidth is the main window's inner width in twips, which the waveform spreads
// over.
void GraphShow(int16_t viewMode, platform::PictureBox& picWave, float formScaleWidth);

} // namespace visual
