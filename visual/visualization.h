#pragma once

#include <cstdint>

#include "platform/line_control.h"
#include "platform/picture_box.h"
#include "spectrum_levels.h"
#include "view_mode.h"

namespace visual {

// A click on the drawing surface: the next of the six view modes, its surface cleared. It draws
// no frame itself.
void picWave_Click(ViewMode& viewMode, platform::PictureBox& picWave,
                   platform::LineControl& lineCenter);

// Tells screen readers what the surface draws in this view mode.
void describeViewMode(ViewMode viewMode, platform::PictureBox& picWave);

// One frame of the current view mode from the engine's latest buffers, on a freshly cleared
// surface; the spectrum modes move `levels`. formScaleWidth is the main window's inner width in
// twips, which the waveform spreads over.
void GraphShow(ViewMode viewMode, SpectrumLevels& levels, platform::PictureBox& picWave,
               float formScaleWidth);

} // namespace visual
