#include "spectrum_levels.h"

#include "rounding.h"

namespace visual {

namespace {
constexpr int64_t kBaseLine = 40;
constexpr double kFullScale = 70;
} // namespace

void SpectrumLevels::step(int index, int32_t target) {
    bar_[index] = nextLevel(bar_[index], target, kBarFall);
    peak_[index] = nextLevel(peak_[index], bar_[index], kPeakFall);
}

int32_t targetHeight(double surfaceHeight, int32_t value) {
    // In 64 bits so that a value near the bottom of the range cannot wrap to a tall bar.
    return roundToEven(surfaceHeight / kFullScale * static_cast<double>(value - kBaseLine));
}

int32_t nextLevel(int32_t level, int32_t target, int32_t fall) {
    if (level < target)
        return target;
    int32_t fallen = level - fall;
    if (fallen < 0)
        fallen = 0;
    if (fallen < target)
        fallen = target;
    return fallen;
}

int32_t barGreen(int32_t y, double surfaceHeight) {
    const auto g0 = static_cast<int16_t>(roundToEven(y * 255 / surfaceHeight));
    auto g = static_cast<int16_t>(2 * g0 - 255);
    if (g > 255)
        g = 255;
    if (g < 0)
        g = 0;
    return g;
}

} // namespace visual
