#include "outputs/backlog.h"
#include "outputs/clock_output.h"
#include "shared/output_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using vbmp3::Backlog;

constexpr int kRate = 48000;

// What the server reports and what is written, on a clock the test moves.
TEST(Backlog, RunsDownWhilePlayingAndHoldsWhilePaused) {
    Backlog::Clock::time_point now{};
    Backlog backlog(kRate, [&] { return now; });
    EXPECT_EQ(backlog.latencyFrames(0), 0);

    backlog.measured(1, 19200, 4800, true);
    now += 100ms;
    EXPECT_EQ(backlog.latencyFrames(1), 19200);
    EXPECT_EQ(backlog.latencyFrames(2), 0) << "another epoch holds nothing";
    backlog.wrote(4800);
    now += 50ms;
    EXPECT_EQ(backlog.latencyFrames(1), 21600);

    backlog.setRunning(false); // paused: what is there stays
    now += 10s;
    EXPECT_EQ(backlog.latencyFrames(1), 21600);
    backlog.setRunning(true);
    now += 1s;
    EXPECT_EQ(backlog.latencyFrames(1), 0) << "never below nothing";

    backlog.measured(2, -5, 0, true); // a write index behind the read index is none
    EXPECT_EQ(backlog.latencyFrames(2), 0);

    backlog.setRate(8000); // a stream at another rate: it holds nothing yet, and runs at its rate
    EXPECT_EQ(backlog.latencyFrames(2), 0);
    backlog.measured(3, 8000, 0, true);
    now += 250ms;
    EXPECT_EQ(backlog.latencyFrames(3), 6000);
}

// The end of a track is taken as heard only on the device's own word: not while a render is
// under way or its frames are not yet counted, not on a guess that runs down from a write before
// the device has given a figure after it, and not while more than the padding after it is left.
TEST(Backlog, HeardAllOnlyOnceTheDeviceSaysSo) {
    struct Step {
        const char* what;
        std::function<void(Backlog&)> act;
        std::chrono::milliseconds later;
        bool heardAll; // of epoch 1, after `later`
    };
    const std::vector<Step> steps{
        {"a new epoch holds nothing", [](Backlog& b) { b.measured(1, 0, 0, true); }, 0ms, true},
        {"rendering", [](Backlog& b) { b.rendering(); }, 0ms, false},
        {"written: a guess", [](Backlog& b) { b.wrote(2400); }, 100ms, false},
        {"the figure", [](Backlog& b) { b.measured(1, 0, 2400, true); }, 0ms, false},
        {"it runs down", [](Backlog&) {}, 50ms, true},
        {"the last frames, padded",
         [](Backlog& b) {
             b.wrote(480);
             b.padded(12000, 9600);
         },
         500ms, false},
        {"a figure with padding and more", [](Backlog& b) { b.measured(1, 12000, 480, true); }, 5ms,
         false},
        {"more left than the padding less two periods", [](Backlog&) {}, 10ms, false},
        {"down to what is left of it once heard", [](Backlog&) {}, 50ms, true},
        {"paused before them", [](Backlog& b) { b.measured(1, 14400, 0, false); }, 10s, false},
        {"the device lost while paused", [](Backlog& b) { b.lost(); }, 0ms, true},
        {"another epoch begins", [](Backlog& b) { b.measured(2, 4800, 0, true); }, 0ms, true},
    };
    Backlog::Clock::time_point now{};
    Backlog backlog(kRate, [&] { return now; });
    for (const Step& step : steps) {
        step.act(backlog);
        now += step.later;
        EXPECT_EQ(backlog.heardAll(1), step.heardAll) << step.what;
    }
    EXPECT_FALSE(backlog.heardAll(2));
    backlog.wrote(2400); // a guess until a figure
    backlog.lost();      // the device gone: what it held runs down without one
    now += 200ms;
    EXPECT_TRUE(backlog.heardAll(2));
}

// A track's end counts as heard only once a figure says the device has taken its last frames,
// however far the backlog has run down meanwhile: a busy server takes them late. Each row is a
// track of 4800 frames padded with 12000 of silence (heard with 9600 left), written at once, then
// the figures of a server that takes them as the row says; heard or not `later` after the last.
TEST(Backlog, EndHeardOnlyOnceTheDeviceHasTakenTheLastFrames) {
    struct Figure {
        int64_t waiting;
        int64_t playingOut;
        std::chrono::milliseconds later;
    };
    struct Case {
        const char* what;
        std::vector<Figure> figures;
        bool heardAll;
    };
    const std::vector<Case> cases{
        {"taken in time and played out", {{16800, 0, 100ms}, {12000, 100, 60ms}}, true},
        {"taken, playing out for longer than the padding less its margin",
         {{12000, 480, 0ms}, {12000, 480, 5ms}},
         false},
        {"taken, then run down past the margin", {{12000, 480, 0ms}, {12000, 480, 60ms}}, true},
        {"not taken for a second, the clock running down",
         {{16800, 0, 0ms}, {16800, 0, 1s}},
         false},
        {"one frame left untaken", {{16800, 0, 0ms}, {12001, 0, 500ms}}, false},
        {"a first figure after a long stall that says nothing was taken", {{16800, 0, 2s}}, false},
        {"taken late, after a stall", {{16800, 0, 1500ms}, {11000, 1000, 100ms}}, true},
    };
    for (const Case& c : cases) {
        Backlog::Clock::time_point now{};
        Backlog backlog(kRate, [&] { return now; });
        backlog.measured(1, 0, 0, true);
        backlog.rendering();
        backlog.wrote(4800);
        backlog.padded(12000, 9600);
        for (const Figure& figure : c.figures) {
            backlog.measured(1, figure.waiting, figure.playingOut, true);
            now += figure.later;
        }
        EXPECT_EQ(backlog.heardAll(1), c.heardAll) << c.what;
    }
}

// Records how much each render asks for; the first render stalls, as a stopped process does,
// unless told otherwise. It wants its frames at `rate`, and counts only those asked at it.
class StallingRenderer : public vbmp3::Renderer {
public:
    explicit StallingRenderer(int rate = vbmp3::kIdleRate, bool stall = true)
        : rate_(rate), stall_(stall) {}
    vbmp3::RenderResult render(float*, size_t frames, int rate) override {
        if (renders_++ == 0 && stall_)
            std::this_thread::sleep_for(1200ms);
        largest_ = std::max<size_t>(largest_, frames);
        total_ += rate == rate_ ? frames : 0;
        return {.rate = rate_};
    }
    vbmp3::Cues cues() const override {
        vbmp3::Cues cues;
        cues.rate = rate_;
        return cues;
    }

    const int rate_;
    const bool stall_;

    std::atomic<int> renders_{0};
    std::atomic<size_t> largest_{0};
    std::atomic<size_t> total_{0};
};

TEST(ClockOutput, CatchesUpAfterAStallInBoundedPiecesAndSkipsTheRest) {
    StallingRenderer renderer;
    const auto began = std::chrono::steady_clock::now();
    {
        auto clock = std::make_unique<vbmp3::ClockOutput>(0ms);
        ASSERT_TRUE(clock->start(renderer));
        std::this_thread::sleep_for(1500ms);
        clock->stop();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    EXPECT_LE(renderer.largest_, size_t{vbmp3::kIdleRate / 20}) << "one piece at most 50 ms";
    EXPECT_LE(renderer.total_, size_t(seconds * vbmp3::kIdleRate)) << "never ahead of time";
    EXPECT_GT(renderer.renders_, 20) << "caught up in pieces";
}

// Without a device, time goes on at the track's own rate: a second of a track is its rate's
// frames, whatever rate that is.
TEST(ClockOutput, ConsumesTheTracksFramesInRealTimeAtItsRate) {
    for (int rate : {8000, 192000}) {
        SCOPED_TRACE(rate);
        StallingRenderer renderer(rate, false);
        const auto began = std::chrono::steady_clock::now();
        {
            auto clock = std::make_unique<vbmp3::ClockOutput>(0ms);
            ASSERT_TRUE(clock->start(renderer));
            std::this_thread::sleep_for(1000ms);
            clock->stop();
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        EXPECT_LE(renderer.total_, size_t(seconds * rate)) << "never ahead of time";
        EXPECT_GE(renderer.total_, size_t(0.5 * rate)) << "not far behind";
    }
}

} // namespace
