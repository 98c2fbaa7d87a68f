#include "qt_main.h"
#include "surface.h"
#include "visual/visualization.h"

TONALISK_QT_TEST_MAIN

namespace {

using visual::ViewMode;

struct Step {
    ViewMode after;
    uint32_t background;
    bool lineShown;
};

TEST(ViewModes, SixClicksFromStartUpPassEveryModeWithItsLook) {
    test::Surface s(93, 37);
    ViewMode viewMode = ViewMode::BarsEverySecond;
    // Until the cycle passes from the waveform to the first bars, the design-time look stays.
    const Step steps[] = {{ViewMode::BarsEveryThird, test::kDesignBackground, true},
                          {ViewMode::BarsEveryFourth, test::kDesignBackground, true},
                          {ViewMode::PeaksOnly, test::kDesignBackground, true},
                          {ViewMode::Waveform, test::kWhite, true},
                          {ViewMode::BarsEveryIndex, test::kBlack, false},
                          {ViewMode::BarsEverySecond, test::kBlack, false}};
    for (const Step& step : steps) {
        platform::SetPixel(s.picWave.hDC(), 5, 5, 0x000000FF);
        visual::picWave_Click(viewMode, s.picWave, s.lineCenter);
        EXPECT_EQ(viewMode, step.after);
        const int mode = static_cast<int>(step.after);
        EXPECT_EQ(s.picWave.BackColor(), step.background) << "mode " << mode;
        EXPECT_EQ(s.lineCenter.isVisibleTo(&s.picWave), step.lineShown) << "mode " << mode;
        EXPECT_TRUE(s.blank()) << "mode " << mode;
    }
    // A click neither asks the engine nor draws a frame, playing or not.
    EXPECT_TRUE(fake::engine().calls.empty());
}

TEST(GraphShow, AsksForWaveInTheWaveformAndSpectrumOtherwise) {
    test::Surface s(93, 37);
    for (ViewMode mode : {ViewMode::Waveform, ViewMode::BarsEveryIndex, ViewMode::BarsEverySecond,
                          ViewMode::BarsEveryThird, ViewMode::BarsEveryFourth, ViewMode::PeaksOnly})
        s.show(mode);
    const std::vector<std::string> expected{"vbmp3_getWave()",     "vbmp3_getSpectrum()",
                                            "vbmp3_getSpectrum()", "vbmp3_getSpectrum()",
                                            "vbmp3_getSpectrum()", "vbmp3_getSpectrum()"};
    EXPECT_EQ(fake::engine().calls, expected);
}

TEST(GraphShow, EachFrameStartsFromAClearedSurface) {
    test::Surface s(256, 40, test::kBlack);
    fake::engine().spectrum1.fill(75);
    s.show(ViewMode::BarsEveryIndex);
    ASSERT_NE(s.at(200, 30), test::kBlack);
    // Every fourth index draws nothing at column 200: the old bar there must be gone.
    s.show(ViewMode::BarsEveryFourth);
    EXPECT_EQ(s.at(200, 30), test::kBlack);
    EXPECT_EQ(s.at(200, 39), test::kBlack);
}

} // namespace
