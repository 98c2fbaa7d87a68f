// A drawing surface of a given size in pixels, with its centre line, a clean fake engine and
// spectrum levels at their start-of-run zeros.
#pragma once

#include <QImage>
#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>

#include "fake_vbmp3.h"
#include "platform/line_control.h"
#include "platform/picture_box.h"
#include "platform/system_colors.h"
#include "visual/visualization.h"

namespace visual {
// Readable parameters in test names and failures.
inline void PrintTo(ViewMode mode, std::ostream* out) {
    *out << "mode " << static_cast<int>(mode);
}
} // namespace visual

namespace test {

inline constexpr uint32_t kBlack = 0x00000000;
inline constexpr uint32_t kWhite = 0x00FFFFFF;
inline constexpr uint32_t kYellow = 0x0000FFFF;
inline constexpr uint32_t kDesignBackground = 0x00FFFFC0;

struct Surface {
    platform::PictureBox picWave;
    platform::LineControl lineCenter{&picWave};
    visual::SpectrumLevels levels;

    Surface(int width, int height, uint32_t background = kDesignBackground) {
        fake::reset();
        picWave.resize(width, height);
        picWave.show();
        picWave.setBackColor(background);
        picWave.setForeColor(kBlack);
    }

    void show(visual::ViewMode mode, float formScaleWidth = 4335) {
        visual::GraphShow(mode, levels, picWave, formScaleWidth);
    }
    uint32_t at(int x, int y) const {
        return platform::colorrefFromColor(QColor(picWave.image().pixel(x, y)));
    }
    // True when every pixel shows the background.
    bool blank() const {
        QImage expected(picWave.image().size(), picWave.image().format());
        expected.fill(platform::colorFromColorref(picWave.BackColor()));
        return picWave.image() == expected;
    }
};

} // namespace test
