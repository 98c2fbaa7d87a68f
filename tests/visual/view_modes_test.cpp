#include "platform/qt_main.h"
#include "surface.h"
#include "visual/visualization.h"

TONALISK_QT_TEST_MAIN

namespace {

struct Step {
    int16_t after;
    uint32_t background;
    bool lineShown;
};

TEST(ViewModes, SixClicksFromStartUpPassEveryModeWithItsLook) {
    test::Surface s(93, 37);
    int16_t viewMode = 3;
    // Until the cycle passes from 1 to 2, the design-time look stays.
    const Step steps[] = {{4, test::kDesignBackground, true}, {5, test::kDesignBackground, true},
                          {6, test::kDesignBackground, true}, {1, test::kWhite, true},
                          {2, test::kBlack, false},           {3, test::kBlack, false}};
    for (const Step& step : steps) {
        platform::SetPixel(s.picWave.hDC(), 5, 5, 0x000000FF);
        visual::picWave_Click(viewMode, s.picWave, s.lineCenter);
        EXPECT_EQ(viewMode, step.after);
        EXPECT_EQ(s.picWave.BackColor(), step.background) << "mode " << step.after;
        EXPECT_EQ(s.lineCenter.isVisibleTo(&s.picWave), step.lineShown) << "mode " << step.after;
        EXPECT_TRUE(s.blank()) << "mode " << step.after;
    }
    // A click neither asks the engine nor draws a frame, playing or not.
    EXPECT_TRUE(fake::engine().calls.empty());
}

TEST(GraphShow, AsksForWaveInModeOneAndSpectrumOtherwise) {
    test::Surface s(93, 37);
    for (int16_t mode = 1; mode <= 6; ++mode)
        visual::GraphShow(mode, s.picWave, 4335);
    const std::vector<std::string> expected{"vbmp3_getWave()",     "vbmp3_getSpectrum()",
                                            "vbmp3_getSpectrum()", "vbmp3_getSpectrum()",
                                            "vbmp3_getSpectrum()", "vbmp3_getSpectrum()"};
    EXPECT_EQ(fake::engine().calls, expected);
}

TEST(GraphShow, EachFrameStartsFromAClearedSurface) {
    test::Surface s(256, 40, test::kBlack);
    fake::engine().spectrum1.fill(75);
    visual::GraphShow(2, s.picWave, 4335);
    ASSERT_NE(s.at(200, 30), test::kBlack);
    // Mode 5 reads no index that draws at column 200: the old bar there must be gone.
    visual::GraphShow(5, s.picWave, 4335);
    EXPECT_EQ(s.at(200, 30), test::kBlack);
    EXPECT_EQ(s.at(200, 39), test::kBlack);
}

} // namespace
