// Thousands of C calls in a random (seeded) order over every format and over damaged files, as a
// restless user and the player's end-of-track logic would make them. Length and seed come from
// TONALISK_SOAK_OPERATIONS and TONALISK_SOAK_SEED; the run prints both, so a failure can be
// repeated.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "process_probe.h"
#include "track_folder.h"
#include "vbmp3.h"

namespace {

using Clock = std::chrono::steady_clock;

// Generous for a loaded machine under a sanitizer; a call that waits on decoding or the device
// takes far longer than this.
constexpr auto kPrompt = std::chrono::milliseconds(1000);

unsigned long fromEnvironment(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

class SoakRun {
public:
    SoakRun(const soak::TrackFolder& folder, unsigned long seed) : folder_(folder), random_(seed) {}

    // One pass over every file first: loads the SoundFont and warms the decoders, so that the
    // memory read after it is the baseline.
    void warmUp() {
        for (const std::string& path : folder_.music()) {
            open(path, true);
            timed("play", [] { return vbmp3_play(); });
        }
    }

    void step() {
        switch (std::uniform_int_distribution<int>(0, 15)(random_)) {
        case 0:
        case 1:
        case 2:
            open(pick(folder_.music()), true);
            break;
        case 3:
            open(pick(folder_.damaged()), false);
            break;
        case 4:
            openAtEndOfTrack();
            break;
        case 5:
        case 6:
            timed("play", [] { return vbmp3_play(); });
            break;
        case 7:
            timed("pause", [] { return vbmp3_pause(); });
            break;
        case 8:
            timed("restart", [] { return vbmp3_restart(); });
            break;
        case 9:
            timed("stop", [] { return vbmp3_stop(); });
            expectState(VBMP3_STOPPED, 0);
            break;
        case 10:
        case 11: {
            const int32_t target = std::uniform_int_distribution<int32_t>(-1, total_ + 1)(random_);
            timed("seek", [target] { return vbmp3_seek(target); });
            break;
        }
        case 12:
            timed("close", [] { return vbmp3_close(); });
            total_ = 0;
            expectState(VBMP3_STOPPED, 0);
            break;
        case 13: {
            const int32_t volume = std::uniform_int_distribution<int32_t>(-10, 110)(random_);
            timed("setVolume", [volume] { return vbmp3_setVolume(volume, volume); });
            break;
        }
        case 14:
            readVisuals();
            break;
        default:
            readInformation();
            break;
        }
        checkState();
        if (std::bernoulli_distribution(0.3)(random_))
            std::this_thread::sleep_for(std::chrono::milliseconds(random_() % 8));
    }

    void printLatencies() const {
        for (const auto& [name, longest] : longest_)
            std::printf("  longest %-14s %6.1f ms\n", name.c_str(), longest.count() / 1000.0);
    }

private:
    template <typename Call> int32_t timed(const std::string& name, Call call) {
        const auto begin = Clock::now();
        const int32_t result = call();
        const auto took =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - begin);
        auto& longest = longest_[name];
        longest = std::max(longest, took);
        EXPECT_LT(took, kPrompt) << name << " did not return promptly";
        return result;
    }

    const std::string& pick(const std::vector<std::string>& paths) {
        return paths[std::uniform_int_distribution<size_t>(0, paths.size() - 1)(random_)];
    }

    void open(const std::string& path, bool mustOpen) {
        vbmp3_InputInfo info{};
        const int32_t opened = timed("open", [&] { return vbmp3_open(path.c_str(), &info); });
        total_ = opened ? info.totalSeconds : 0;
        if (mustOpen) {
            EXPECT_NE(opened, 0) << path;
        }
        if (!opened)
            expectState(VBMP3_STOPPED, 0);
    }

    // The player's random next track: play out the last second, then open while the ended file
    // is still current.
    void openAtEndOfTrack() {
        timed("play", [] { return vbmp3_play(); });
        timed("seek", [this] { return vbmp3_seek(std::max(total_ - 1, 0)); });
        const auto deadline = Clock::now() + std::chrono::seconds(3);
        int32_t seconds = 0;
        while (vbmp3_getState(&seconds) != VBMP3_STOPPED && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(vbmp3_getState(&seconds), VBMP3_STOPPED) << "the track did not end";
        open(pick(folder_.music()), true);
    }

    void readVisuals() {
        int32_t first[VBMP3_BUFFER_LENGTH], second[VBMP3_BUFFER_LENGTH];
        timed("getWave", [&] { return vbmp3_getWave(first, second); });
        timed("getSpectrum", [&] { return vbmp3_getSpectrum(first, second); });
    }

    void readInformation() {
        vbmp3_MpegInfo mpeg{};
        const int32_t known = timed("getMpegInfo", [&] { return vbmp3_getMpegInfo(&mpeg); });
        EXPECT_EQ(known != 0, total_ != 0);
        if (known) {
            EXPECT_EQ(mpeg.totalSeconds, total_);
        }
        vbmp3_TagInfo tag{};
        const std::string& path =
            pick(std::bernoulli_distribution(0.5)(random_) ? folder_.music() : folder_.damaged());
        timed("getFileTagInfo", [&] { return vbmp3_getFileTagInfo(path.c_str(), &tag); });
    }

    void checkState() {
        int32_t seconds = -1;
        const int32_t state = timed("getState", [&] { return vbmp3_getState(&seconds); });
        EXPECT_TRUE(state == VBMP3_STOPPED || state == VBMP3_PLAYING || state == VBMP3_PAUSED)
            << state;
        EXPECT_GE(seconds, 0);
        EXPECT_LE(seconds, std::max(total_ - 1, 0));
    }

    void expectState(int32_t state, int32_t seconds) {
        int32_t got = -1;
        EXPECT_EQ(vbmp3_getState(&got), state);
        EXPECT_EQ(got, seconds);
    }

    const soak::TrackFolder& folder_;
    std::mt19937 random_;
    int32_t total_ = 0; // the current file's totalSeconds; 0 without one
    std::map<std::string, std::chrono::microseconds> longest_;
};

TEST(Soak, RandomCallsOverEveryFormatLeaveNothingBehind) {
    const unsigned long operations = fromEnvironment("TONALISK_SOAK_OPERATIONS", 2000);
    const unsigned long seed = fromEnvironment("TONALISK_SOAK_SEED", 20260101);
    soak::TrackFolder folder;
    const auto checksums = folder.checksums();

    const size_t threadsBefore = soak::threadCount();
    const auto begin = Clock::now();
    ASSERT_NE(vbmp3_init(), 0);
    SoakRun run(folder, seed);
    run.warmUp();
    const size_t firstKiB = soak::residentKiB();
    for (unsigned long i = 0; i < operations && !HasFailure(); ++i)
        run.step();
    const size_t lastKiB = soak::residentKiB();
    vbmp3_free();
    const double secondsTaken = std::chrono::duration<double>(Clock::now() - begin).count();

    std::printf("soak: %lu operations, seed %lu, %.1f s, resident %zu KiB first, %zu KiB last\n",
                operations, seed, secondsTaken, firstKiB, lastKiB);
    run.printLatencies();
    EXPECT_EQ(soak::settledThreadCount(threadsBefore), threadsBefore)
        << "threads left behind after vbmp3_free";
    EXPECT_EQ(folder.checksums(), checksums) << "a music file was written to";
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Sanitizers keep freed memory in quarantine, so only a plain build says anything here.
    EXPECT_LT(lastKiB, 2 * firstKiB) << "resident memory grows with use";
#endif
}

} // namespace
