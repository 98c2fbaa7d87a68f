#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "surface.h"
#include "visual/visualization.h"

namespace {

using visual::ViewMode;
using Pixels = std::set<std::pair<int, int>>;

// A surface of H = 600 twips, wide enough for mode 2's 256 columns.
struct Spectrum : ::testing::Test {
    test::Surface s{256, 40, test::kBlack};

    void show(ViewMode mode, int32_t value) {
        fake::engine().spectrum1.fill(value);
        s.show(mode);
    }
    // The rows of column x that are not background, from the bottom up.
    std::vector<std::pair<int, uint32_t>> column(int x) const {
        std::vector<std::pair<int, uint32_t>> painted;
        for (int y = 39; y >= 0; --y)
            if (s.at(x, y) != test::kBlack)
                painted.emplace_back(y, s.at(x, y));
        return painted;
    }
    Pixels pixelsOf(uint32_t color) const {
        Pixels found;
        for (int x = 0; x < 256; ++x)
            for (int y = 0; y < 40; ++y)
                if (s.at(x, y) == color)
                    found.emplace(x, y);
        return found;
    }
};

TEST_F(Spectrum, ABarRisesAtOnceShadedToRedUnderItsMarker) {
    show(ViewMode::BarsEveryIndex, 75);
    const int greens[] = {247, 233, 221, 209, 195, 183, 169, 157, 145, 131,
                          119, 107, 93,  81,  69,  55,  43,  29,  17,  5};
    std::vector<std::pair<int, uint32_t>> expected;
    for (int k = 0; k < 20; ++k)
        expected.emplace_back(39 - k, platform::RGB(255, greens[k], 0));
    expected.emplace_back(19, test::kYellow); // over the bar's top pixel, green 0
    EXPECT_EQ(column(0), expected);
    EXPECT_EQ(column(255), expected);
}

TEST_F(Spectrum, AfterADropTheBarFallsInThreeFramesAndTheMarkerInTen) {
    show(ViewMode::BarsEveryIndex, 75);
    const int barTopRows[] = {26, 33, 39, 39, 39, 39, 39, 39, 39, 39};
    for (int frame = 0; frame < 10; ++frame) {
        show(ViewMode::BarsEveryIndex, 40);
        const auto painted = column(7);
        const int markerRow = 21 + 2 * frame; // peaks 270, 240, ..., 0 twips
        ASSERT_FALSE(painted.empty());
        EXPECT_EQ(painted.back(), std::make_pair(markerRow, test::kYellow)) << frame;
        const size_t barPixels = painted.size() - (markerRow == 39 ? 0 : 1);
        EXPECT_EQ(barPixels, size_t(39 - barTopRows[frame] + 1)) << frame;
    }
    EXPECT_EQ(s.levels.bar(7), 0);
    EXPECT_EQ(s.levels.peak(7), 0);
}

TEST_F(Spectrum, EachBarFollowsTheLouderChannel) {
    auto& e = fake::engine();
    e.spectrum1.fill(40);
    e.spectrum2.fill(40);
    e.spectrum1[10] = 75; // left louder at index 10, right louder at index 20
    e.spectrum2[20] = 75;
    e.spectrum1[30] = 60; // and both raised at index 30: the higher one wins
    e.spectrum2[30] = 75;
    s.show(ViewMode::BarsEveryIndex);
    EXPECT_EQ(s.levels.bar(10), 300);
    EXPECT_EQ(s.levels.bar(20), 300);
    EXPECT_EQ(s.levels.bar(30), 300);
    EXPECT_EQ(column(10), column(20));
    EXPECT_EQ(column(10), column(30));
}

TEST_F(Spectrum, SilenceLeavesOneYellowDotPerColumnAtTheBottom) {
    show(ViewMode::BarsEveryIndex, 0);
    Pixels bottomRow;
    for (int x = 0; x < 256; ++x)
        bottomRow.emplace(x, 39);
    EXPECT_EQ(pixelsOf(test::kYellow), bottomRow);
    EXPECT_TRUE(pixelsOf(platform::RGB(255, 247, 0)).empty());
}

// Index 144 is read by every spectrum mode: at columns 144, 72, 48 and 36.
struct Widths : Spectrum, ::testing::WithParamInterface<std::pair<ViewMode, int>> {};

TEST_P(Widths, ModeTwoIsSingleWidthAndTheOthersDouble) {
    const auto [mode, x] = GetParam();
    fake::engine().spectrum1[144] = 75;
    s.show(mode);
    const int width = mode == ViewMode::BarsEveryIndex ? 1 : 2;
    for (int dx = 0; dx < width; ++dx) {
        EXPECT_EQ(s.at(x + dx, 19), test::kYellow);
        EXPECT_EQ(s.at(x + dx, 30) != test::kBlack, mode != ViewMode::PeaksOnly)
            << "no bars with the peaks alone";
    }
    EXPECT_EQ(s.at(x - 1, 19), test::kBlack);
    EXPECT_EQ(s.at(x + width, 19), test::kBlack);
}

INSTANTIATE_TEST_SUITE_P(Modes, Widths,
                         ::testing::Values(std::pair{ViewMode::BarsEveryIndex, 144},
                                           std::pair{ViewMode::BarsEverySecond, 72},
                                           std::pair{ViewMode::BarsEveryThird, 48},
                                           std::pair{ViewMode::BarsEveryFourth, 36},
                                           std::pair{ViewMode::PeaksOnly, 36}));

TEST_F(Spectrum, GapsBetweenBarsGrowWithTheMode) {
    // The bottom row's dots: no gap in mode 3, one column in mode 4, two in mode 5.
    const std::pair<ViewMode, std::vector<int>> rows[] = {
        {ViewMode::BarsEverySecond, {0, 1, 2, 3, 4, 5}},
        {ViewMode::BarsEveryThird, {0, 1, 3, 4}},
        {ViewMode::BarsEveryFourth, {0, 1, 4, 5}}};
    for (const auto& [mode, painted] : rows) {
        show(mode, 0);
        std::vector<int> found;
        for (int x = 0; x < 6; ++x)
            if (s.at(x, 39) == test::kYellow)
                found.push_back(x);
        EXPECT_EQ(found, painted) << static_cast<int>(mode);
    }
}

TEST_F(Spectrum, MarkersOnlyModeShowsModeFivesMarkers) {
    const int32_t values[] = {90, 110, 60, 40, 40, 75, 30};
    Pixels markersOfFive;
    for (ViewMode mode : {ViewMode::BarsEveryFourth, ViewMode::PeaksOnly}) {
        s.levels = {};
        for (int32_t v : values) {
            for (int i = 0; i < 256; ++i)
                fake::engine().spectrum1[i] = v - i / 8;
            s.show(mode);
        }
        if (mode == ViewMode::BarsEveryFourth)
            markersOfFive = pixelsOf(test::kYellow);
    }
    EXPECT_EQ(markersOfFive.size(), 32u);
    EXPECT_EQ(pixelsOf(test::kYellow), markersOfFive);
    EXPECT_EQ(pixelsOf(test::kBlack).size(), 256u * 40 - 32);
}

TEST_F(Spectrum, UnreadIndexesFreezeAcrossModesAndResume) {
    show(ViewMode::BarsEveryIndex, 75);
    show(ViewMode::BarsEverySecond, 40); // index 4 falls, index 1 is not read
    show(ViewMode::BarsEverySecond, 40);
    s.show(ViewMode::Waveform); // the waveform leaves the levels alone
    EXPECT_EQ(s.levels.bar(1), 300);
    EXPECT_EQ(s.levels.peak(1), 300);
    EXPECT_EQ(s.levels.bar(4), 100);
    EXPECT_EQ(s.levels.peak(4), 240);
    show(ViewMode::BarsEveryIndex, 40);
    EXPECT_EQ(s.levels.bar(1), 200);
    EXPECT_EQ(s.levels.peak(1), 270);
    EXPECT_EQ(s.levels.bar(4), 0);
    EXPECT_EQ(s.levels.peak(4), 210);
}

TEST_F(Spectrum, ABarFarAboveTheSurfaceIsClippedAtTheTop) {
    show(ViewMode::BarsEveryIndex, std::numeric_limits<int32_t>::max());
    const auto painted = column(0);
    EXPECT_EQ(painted.size(), 40u); // every row, the marker off the surface
    EXPECT_EQ(painted.back(), std::make_pair(0, platform::RGB(255, 0, 0)));
}

} // namespace
