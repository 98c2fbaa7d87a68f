#include "outputs/backlog.h"
#include "outputs/output_drivers.h"
#include "shared/output_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using namespace std::chrono_literals;
using vbmp3::Backlog;

constexpr int kRate = 48000;

// What the server reports and what is written, on a clock the test moves.
TEST(Backlog, RunsDownWhilePlayingAndHoldsWhilePaused) {
    Backlog::Clock::time_point now{};
    Backlog backlog(kRate, [&] { return now; });
    EXPECT_EQ(backlog.unheard(0), 0);

    backlog.measured(1, 24000, true);
    now += 100ms;
    EXPECT_EQ(backlog.unheard(1), 19200);
    EXPECT_EQ(backlog.unheard(2), 0) << "another epoch holds nothing";
    backlog.wrote(4800);
    now += 50ms;
    EXPECT_EQ(backlog.unheard(1), 21600);

    backlog.setRunning(false); // paused: what is there stays
    now += 10s;
    EXPECT_EQ(backlog.unheard(1), 21600);
    backlog.setRunning(true);
    now += 1s;
    EXPECT_EQ(backlog.unheard(1), 0) << "never below nothing";

    backlog.measured(2, -5, true); // a negative figure from the server is none
    EXPECT_EQ(backlog.unheard(2), 0);

    backlog.setRate(8000); // a stream at another rate: it holds nothing yet, and runs at its rate
    EXPECT_EQ(backlog.unheard(2), 0);
    backlog.measured(3, 8000, true);
    now += 250ms;
    EXPECT_EQ(backlog.unheard(3), 6000);
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
        auto clock = vbmp3::makeClockOutput();
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
            auto clock = vbmp3::makeClockOutput();
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
