#include <limits>

#include "surface.h"
#include "visual/visualization.h"

namespace {

// H = 600 twips and W = 3840 twips: one pixel column per buffer index.
constexpr float kWorkedWidth = 3840;

QImage frame(test::Surface& s, float formScaleWidth = kWorkedWidth) {
    s.show(visual::ViewMode::Waveform, formScaleWidth);
    return s.picWave.image();
}

TEST(Waveform, SilenceIsALineOnRowTwentyUpToTheLastPoint) {
    test::Surface s(300, 40, test::kWhite);
    frame(s);
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 40; ++y) {
            // The last point, column 254, is where the last line ends, so it is left out.
            const bool onTrace = y == 20 && x < 254;
            ASSERT_EQ(s.at(x, y), onTrace ? test::kBlack : test::kWhite) << x << "," << y;
        }
}

TEST(Waveform, CancellingChannelsAndOddIndexesLeaveTheSilentLine) {
    test::Surface s(300, 40, test::kWhite);
    const QImage silent = frame(s);
    auto& e = fake::engine();
    for (int j = 0; j < 256; ++j) {
        e.wave1[j] = j % 2 ? 90 : j - 128;
        e.wave2[j] = j % 2 ? -17 : 128 - j;
    }
    e.wave2[255] = 100;
    EXPECT_EQ(frame(s), silent);
}

TEST(Waveform, AHalfRoundsToEvenBeforeTheRowIsTaken) {
    test::Surface s(300, 40, test::kWhite);
    fake::engine().wave1[100] = 30;
    fake::engine().wave2[100] = 31;
    frame(s);
    // m = round(130.5) = 130, row 26; the line leaves row 20 at column 98.
    EXPECT_EQ(s.at(100, 26), test::kBlack);
    EXPECT_EQ(s.at(100, 27), test::kWhite);
    EXPECT_EQ(s.at(98, 20), test::kBlack);
}

TEST(Waveform, OnlyTheFirstPointsShowOnASurfaceNarrowerThanTheWindow) {
    // The designed surface (1395 x 555 twips) under the designed window width of 4335 twips.
    test::Surface s(93, 37, test::kWhite);
    const QImage silent = frame(s, 4335);
    fake::engine().wave1[200] = 100; // x = 226, beyond the right edge
    EXPECT_EQ(frame(s, 4335), silent);
    fake::engine().wave1[40] = 100; // x = 45
    EXPECT_NE(frame(s, 4335), silent);
}

TEST(Waveform, ExtremeValuesRunOffTheSurfaceWithoutWrapping) {
    test::Surface s(300, 40, test::kWhite);
    auto& e = fake::engine();
    e.wave1[100] = e.wave2[100] = std::numeric_limits<int32_t>::max();
    e.wave1[200] = e.wave2[200] = std::numeric_limits<int32_t>::min();
    frame(s);
    // Down from (98, 20) past the bottom edge, and up from (198, 20) past the top.
    for (int y = 20; y < 40; ++y)
        EXPECT_EQ(s.at(98, y), test::kBlack) << y;
    for (int y = 0; y <= 20; ++y)
        EXPECT_EQ(s.at(198, y), test::kBlack) << y;
}

} // namespace
