#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "core/frame_history.h"

namespace {

// Frame n of what is appended holds (n + 1) / 100 in both channels, so a silent frame reads 0.
std::vector<float> framesFrom(int first, int count) {
    std::vector<float> frames;
    for (int n = first; n < first + count; ++n)
        frames.insert(frames.end(), 2, (n + 1) / 100.0f);
    return frames;
}

// The left channel in hundredths, as framesFrom numbers the frames.
std::vector<int> numbered(const std::vector<float>& frames) {
    std::vector<int> numbers;
    for (size_t i = 0; i < frames.size(); i += 2) {
        numbers.push_back(static_cast<int>(std::lround(frames[i] * 100)));
        EXPECT_NEAR(frames[i], numbers.back() / 100.0f, 1e-4f);
        EXPECT_EQ(frames[i + 1], frames[i]);
    }
    return numbers;
}

struct Case {
    const char* what;
    std::vector<int> appends; // lengths, appended one after another
    size_t back;
    size_t count;
    std::vector<int> expected; // the frames copied, as framesFrom numbers them
};

TEST(FrameHistory, CopiesTheFramesThatEndWhereAskedAcrossTheWrap) {
    const Case cases[] = {
        {"silence before anything came", {}, 2, 3, {0, 0, 0}},
        {"the newest, partly silence", {2}, 0, 4, {0, 0, 1, 2}},
        {"older ones, in one span", {6}, 2, 3, {2, 3, 4}},
        {"across the wrap", {5, 5}, 0, 6, {5, 6, 7, 8, 9, 10}},
        {"written across the wrap, read before it", {6, 4}, 3, 4, {4, 5, 6, 7}},
        {"more than it holds, in one piece", {19}, 0, 8, {12, 13, 14, 15, 16, 17, 18, 19}},
        {"the whole of it after many wraps", {7, 7, 7}, 0, 8, {14, 15, 16, 17, 18, 19, 20, 21}},
    };
    for (const Case& c : cases) {
        vbmp3::FrameHistory history;
        history.resize(8);
        int appended = 0;
        for (int length : c.appends) {
            history.append(framesFrom(appended, length).data(), length);
            appended += length;
        }
        std::vector<float> out(c.count * 2, -1.0f);
        history.copyEnding(c.back, c.count, out.data());
        EXPECT_EQ(numbered(out), c.expected) << c.what;
    }
}

TEST(FrameHistory, SilenceClearsWhatWasKeptAndFullScaleIsTheMost) {
    vbmp3::FrameHistory history;
    history.resize(4);
    history.append(framesFrom(0, 3).data(), 3);
    history.silence();
    std::vector<float> out(8, -1.0f);
    history.copyEnding(0, 4, out.data());
    EXPECT_EQ(out, std::vector<float>(8, 0.0f));

    const float loud[] = {1.0f, -1.0f, 3.0f, -3.0f};
    history.append(loud, 2);
    history.copyEnding(0, 2, out.data());
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 4),
              std::vector<float>({1.0f, -1.0f, 1.0f, -1.0f}));
}

} // namespace
