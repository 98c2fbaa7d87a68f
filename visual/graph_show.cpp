#include "visualization.h"

#include "engine/calls.h"
#include "spectrum.h"
#include "waveform.h"

namespace visual {

void GraphShow(ViewMode viewMode, SpectrumLevels& levels, platform::PictureBox& picWave,
               float formScaleWidth) {
    // The engine is asked first; the surface is cleared only once there is something to draw.
    if (viewMode == ViewMode::Waveform) {
        engine::Buffer waveData1{};
        engine::Buffer waveData2{};
        engine::vbmp3_getWave(waveData1, waveData2);
        picWave.Cls();
        drawWaveform(waveData1, waveData2, picWave, formScaleWidth);
    } else {
        engine::Buffer specData1{};
        engine::Buffer specData2{};
        engine::vbmp3_getSpectrum(specData1, specData2);
        picWave.Cls();
        drawSpectrum(viewMode, levels, specData1, specData2, picWave);
    }
}

} // namespace visual
