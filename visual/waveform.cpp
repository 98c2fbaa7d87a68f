#include "waveform.h"

#include "rounding.h"

namespace visual {

namespace {
constexpr int kPoints = 128;
constexpr double kSilence = 100;    // added to the average so that it runs from 0 to 200
constexpr double kFullScale = 200;  // the averaged range that spans the surface's height
constexpr double kBufferSpan = 256; // indexes over which the window's width is spread
} // namespace

void drawWaveform(const engine::Buffer& waveData1, const engine::Buffer& waveData2,
                  platform::PictureBox& picWave, float formScaleWidth) {
    const double height = picWave.Height();
    const double width = formScaleWidth;
    const auto point = [&](int j) {
        // In 64 bits: two extreme channels must not wrap round to the other edge.
        const int64_t sum = int64_t{waveData1[j]} + waveData2[j];
        const int32_t m = roundToEven(static_cast<double>(sum) / 2 + kSilence);
        return platform::Point{pixelFromTwips(width / kBufferSpan * j),
                               pixelFromTwips(height / kFullScale * m)};
    };

    platform::DeviceContext* hdc = picWave.hDC();
    const platform::Point start = point(0);
    platform::MoveToEx(hdc, start.x, start.y, nullptr);
    for (int i = 1; i < kPoints; ++i) {
        const platform::Point next = point(2 * i);
        platform::LineTo(hdc, next.x, next.y);
    }
}

} // namespace visual
