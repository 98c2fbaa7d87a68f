// The stall watch on streams the test makes up: a server that answers and takes frames, one that
// hangs, one whose stream leads nowhere, and a corked stream.
#include "outputs/pulse_stall_watch.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using vbmp3::PulseStallWatch;

// One look: whether the server answered since the last, the stream's timing (none: not known),
// whether the stream is corked.
struct Look {
    bool answered;
    std::optional<std::pair<int64_t, int64_t>> readAndWritten;
    bool corked = false;
};

struct Case {
    const char* what;
    Look look;           // repeated
    int stalledAt;       // the look (from 1) at which the stream counts as stalled; 0: never
    bool taking = false; // both indices move on by a period at each look
};

TEST(PulseStallWatch, CountsAStreamStalledOnlyAfterLooksInARow) {
    constexpr int kLooks = 20;
    constexpr int64_t kPeriod = 4800;
    const std::vector<Case> cases{
        {"answers and takes frames", {true, {{0, 96000}}}, 0, true},
        {"answers, takes nothing but holds nothing", {true, {{96000, 96000}}}, 0},
        {"answers, frames wait untaken: leads nowhere",
         {true, {{0, 96000}}},
         PulseStallWatch::kStuckLooks},
        {"no answer while taking: hangs", {false, {{0, 96000}}}, PulseStallWatch::kDeafLooks, true},
        {"no answer and no timing", {false, std::nullopt}, PulseStallWatch::kDeafLooks},
        {"answers but no timing yet: frames may be waiting",
         {true, std::nullopt},
         PulseStallWatch::kStuckLooks},
        {"corked: never", {false, {{0, 96000}}, true}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PulseStallWatch watch;
        watch.begin();
        int stalledAt = 0;
        for (int look = 1; look <= kLooks && stalledAt == 0; ++look) {
            if (c.look.answered)
                watch.answered();
            pa_timing_info timing{};
            if (c.look.readAndWritten) {
                timing.read_index = c.look.readAndWritten->first + (c.taking ? look * kPeriod : 0);
                timing.write_index =
                    c.look.readAndWritten->second + (c.taking ? look * kPeriod : 0);
            }
            if (watch.stalled(c.look.readAndWritten ? &timing : nullptr, c.look.corked))
                stalledAt = look;
        }
        EXPECT_EQ(stalledAt, c.stalledAt);
    }
}

// A look that finds the stream well puts off the count, and a stream begun anew starts it over.
TEST(PulseStallWatch, AnAnswerOrANewStreamStartsTheCountOver) {
    PulseStallWatch watch;
    watch.begin();
    for (int look = 1; look < PulseStallWatch::kDeafLooks; ++look)
        EXPECT_FALSE(watch.stalled(nullptr, false));
    watch.answered();
    for (int look = 1; look < PulseStallWatch::kDeafLooks + 1; ++look)
        EXPECT_FALSE(watch.stalled(nullptr, false)) << "counted from the answer";
    watch.begin();
    for (int look = 1; look < PulseStallWatch::kDeafLooks; ++look)
        EXPECT_FALSE(watch.stalled(nullptr, false)) << "counted from the new stream";
    EXPECT_TRUE(watch.stalled(nullptr, false));
}

} // namespace
