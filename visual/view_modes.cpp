#include "visualization.h"

#include "platform/system_colors.h"

namespace visual {

namespace {
constexpr uint32_t kWaveformBackground = platform::RGB(255, 255, 255);
constexpr uint32_t kSpectrumBackground = platform::RGB(0, 0, 0);
} // namespace

void picWave_Click(ViewMode& viewMode, platform::PictureBox& picWave,
                   platform::LineControl& lineCenter) {
    // Only the steps into the waveform and out of it change the look; the other spectrum modes
    // keep the first one's.
    switch (viewMode) {
    case ViewMode::Waveform:
        viewMode = ViewMode::BarsEveryIndex;
        picWave.Cls();
        lineCenter.setVisible(false);
        picWave.setBackColor(kSpectrumBackground);
        break;
    case ViewMode::PeaksOnly:
        viewMode = ViewMode::Waveform;
        picWave.Cls();
        lineCenter.setVisible(true);
        picWave.setBackColor(kWaveformBackground);
        break;
    default: // the spectrum modes before PeaksOnly
        viewMode = static_cast<ViewMode>(static_cast<int16_t>(viewMode) + 1);
        picWave.Cls();
        break;
    }
    describeViewMode(viewMode, picWave);
}

} // namespace visual
