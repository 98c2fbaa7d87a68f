#include <gtest/gtest.h>
#include <limits>

#include "visual/rounding.h"
#include "visual/spectrum_levels.h"

namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbourAndExtremesSaturate) {
    EXPECT_EQ(visual::roundToEven(22.5), 22);
    EXPECT_EQ(visual::roundToEven(37.5), 38);
    EXPECT_EQ(visual::roundToEven(-0.5), 0);
    EXPECT_EQ(visual::roundToEven(-1.5), -2);
    EXPECT_EQ(visual::roundToEven(250.75), 251);
    EXPECT_EQ(visual::roundToEven(-2.6), -3);
    EXPECT_EQ(visual::roundToEven(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(visual::roundToEven(-1e12), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(visual::pixelFromTwips(337.5), 22); // 22.5 pixels
}

TEST(SpectrumLevels, TargetHeightAboveTheBaseLine) {
    EXPECT_EQ(visual::targetHeight(600, 40), 0);
    EXPECT_EQ(visual::targetHeight(600, 41), 9);
    EXPECT_EQ(visual::targetHeight(600, 75), 300);
    EXPECT_EQ(visual::targetHeight(600, 0), -343);
    // Far below the base line only lets the bar fall; it must not wrap round to a tall bar.
    EXPECT_LT(visual::targetHeight(600, std::numeric_limits<int32_t>::min()), 0);
}

} // namespace
