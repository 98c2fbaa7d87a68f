#pragma once

#include "engine/calls.h"
#include "platform/picture_box.h"

namespace visual {

// The two channels averaged into one trace of the even indexes, joined by lines from the left
// edge, with the surface's own pen. Silence lies at half the surface's height. formScaleWidth
// (the main window's inner width in twips, not the surface's) sets the horizontal spread.
void drawWaveform(const engine::Buffer& waveData1, const engine::Buffer& waveData2,
                  platform::PictureBox& picWave, float formScaleWidth);

} // namespace visual
