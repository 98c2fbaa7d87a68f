#include "spectrum.h"

#include <algorithm>

#include "platform/system_colors.h"
#include "rounding.h"

namespace visual {

namespace {

constexpr uint32_t kMarkerColor = platform::RGB(255, 255, 0);
// Bars and markers stand this many twips above the bottom edge.
constexpr int32_t kBottomMargin = 10;
// The highest twips row that still lands on pixel row 0; a bar reaching higher is clipped, so
// its loop stops here rather than walking up through millions of invisible rows.
constexpr int32_t kTopmostVisibleY = -7;

void setColumnPixel(platform::DeviceContext* hdc, int32_t x, int32_t row, uint32_t color,
                    bool doubleWidth) {
    platform::SetPixel(hdc, x, row, color);
    if (doubleWidth)
        platform::SetPixel(hdc, x + 1, row, color);
}

} // namespace

BandLayout bandLayout(ViewMode viewMode) {
    switch (viewMode) {
    case ViewMode::BarsEveryIndex:
        return {1, 255};
    case ViewMode::BarsEverySecond:
        return {2, 127};
    case ViewMode::BarsEveryThird:
        return {3, 85};
    default: // BarsEveryFourth and PeaksOnly
        return {4, 63};
    }
}

void drawSpectrum(ViewMode viewMode, SpectrumLevels& levels, const engine::Buffer& specData1,
                  const engine::Buffer& specData2, platform::PictureBox& picWave) {
    const BandLayout layout = bandLayout(viewMode);
    const double height = picWave.Height();
    platform::DeviceContext* hdc = picWave.hDC();
    const bool doubleWidth = viewMode >= ViewMode::BarsEverySecond;
    const bool drawBars = viewMode <= ViewMode::BarsEveryFourth;

    for (int16_t x = 0; x <= layout.lastColumn; x += layout.bandStep) {
        const int i = x * layout.bandStep;
        const int32_t v = specData1[i] > specData2[i] ? specData1[i] : specData2[i];
        levels.step(i, targetHeight(height, v));
        const int32_t level = levels.bar(i);
        const int32_t peak = levels.peak(i);

        if (drawBars) {
            const int32_t barTop = roundToEven(height - level - kBottomMargin);
            const int32_t stop = std::max(barTop, kTopmostVisibleY);
            for (int32_t y = roundToEven(height - kBottomMargin); y >= stop;
                 y -= platform::kTwipsPerPixel) {
                const uint32_t shade = platform::RGB(255, barGreen(y, height), 0);
                setColumnPixel(hdc, x, pixelFromTwips(y), shade, doubleWidth);
            }
        }
        // After the bar, so the marker covers the bar's top pixel where they meet.
        const int32_t markerTop = roundToEven(height - peak - kBottomMargin);
        setColumnPixel(hdc, x, pixelFromTwips(markerTop), kMarkerColor, doubleWidth);
    }
}

} // namespace visual
