#include "visualization.h"

#include "platform/system_colors.h"

namespace visual {

namespace {
constexpr uint32_t kWaveformBackground = platform::RGB(255, 255, 255);
constexpr uint32_t kSpectrumBackground = platform::RGB(0, 0, 0);
} // namespace

void picWave_Click(int16_t& viewMode, platform::PictureBox& picWave,
                   platform::LineControl& lineCenter) {
    // Only the steps into the waveform and out of it change the look; modes 3 to 6 keep mode 2's.
    switch (viewMode) {
    case 1:
        viewMode = 2;
        picWave.Cls();
        lineCenter.setVisible(false);
        picWave.setBackColor(kSpectrumBackground);
        break;
    case 6:
        viewMode = 1;
        picWave.Cls();
        lineCenter.setVisible(true);
        picWave.setBackColor(kWaveformBackground);
        break;
    default: // 2 to 5
        ++viewMode;
        picWave.Cls();
        break;
    }
}

} // namespace visual
