// What a user's machine does to a playing track: the file cut short or deleted under it, the sound
// device gone. Through the C functions, in real time.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "fixtures/audio_writer.h"
#include "process_probe.h"
#include "temp_folder.h"
#include "vbmp3.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using fixtures::Kind;

std::string writeTrack(const std::string& name, double seconds, Kind kind) {
    const std::string path = (test_support::processFolder() / name).string();
    fixtures::writeAudio(path, fixtures::sine(440, seconds), kind);
    return path;
}

struct Reading {
    int32_t state;
    int32_t seconds;
};

Reading read() {
    int32_t seconds = -1;
    const int32_t state = vbmp3_getState(&seconds);
    return {state, seconds};
}

// Polls until the track is no longer playing; the reading then, or the last one at the deadline.
Reading waitWhilePlaying(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    Reading reading = read();
    while (reading.state == VBMP3_PLAYING && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        reading = read();
    }
    return reading;
}

// Opens and plays `path`; returns its totalSeconds.
int32_t play(const std::string& path) {
    vbmp3_InputInfo info{};
    EXPECT_NE(vbmp3_open(path.c_str(), &info), 0) << path;
    vbmp3_play();
    EXPECT_EQ(read().state, VBMP3_PLAYING);
    return info.totalSeconds;
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        threadsBefore_ = soak::threadCount();
        ASSERT_NE(vbmp3_init(), 0);
    }
    void TearDown() override {
        vbmp3_free();
        EXPECT_EQ(soak::settledThreadCount(threadsBefore_), threadsBefore_)
            << "threads left behind after vbmp3_free";
    }

private:
    size_t threadsBefore_ = 0;
};

TEST_F(Faults, TrackCutShortWhilePlayingEndsEarlyAndCleanly) {
    for (Kind kind : {Kind::Wav16, Kind::Mp3Cbr}) {
        const std::string path = writeTrack("cut", 6, kind);
        play(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        fs::resize_file(path, fs::file_size(path) / 10);
        // Far less than the six seconds the file was opened with.
        const Reading ended = waitWhilePlaying(std::chrono::seconds(3));
        EXPECT_EQ(ended.state, VBMP3_STOPPED) << static_cast<int>(kind);
        vbmp3_play();
        EXPECT_EQ(read().state, VBMP3_PLAYING) << "what is left of the file plays again";
    }
}

TEST_F(Faults, TrackDeletedWhilePlayingPlaysToItsEnd) {
    const std::string path = writeTrack("deleted.wav", 1.5, Kind::Wav16);
    const int32_t total = play(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    fs::remove(path);
    const Reading ended = waitWhilePlaying(std::chrono::seconds(5));
    EXPECT_EQ(ended.state, VBMP3_STOPPED);
    EXPECT_EQ(ended.seconds, total - 1);

    vbmp3_InputInfo info{};
    EXPECT_EQ(vbmp3_open(path.c_str(), &info), 0);
    vbmp3_TagInfo tag{};
    EXPECT_EQ(vbmp3_getFileTagInfo(path.c_str(), &tag), 0);
    const Reading afterwards = read();
    EXPECT_EQ(afterwards.state, VBMP3_STOPPED);
    EXPECT_EQ(afterwards.seconds, 0);
}

// SDL's disk driver writing into a pipe whose reader goes away stands in for a device that is
// unplugged: its writes fail and SDL reports the device lost.
class LostDevice : public ::testing::Test {
protected:
    void SetUp() override {
        threadsBefore_ = soak::threadCount();
        std::signal(SIGPIPE, SIG_IGN); // the failed write must return an error, not end us
        pipe_ = (test_support::processFolder() / "device").string();
        ASSERT_EQ(::mkfifo(pipe_.c_str(), 0600), 0);
        reader_ = ::open(pipe_.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader_, 0);
        drain_ = std::thread([this] {
            char sink[8192];
            while (!unplug_)
                if (::read(reader_, sink, sizeof sink) <= 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
            ::close(reader_);
        });
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", pipe_.c_str(), 1);
        ASSERT_NE(vbmp3_init(), 0);
    }
    void TearDown() override {
        vbmp3_free();
        unplug();
        EXPECT_EQ(soak::settledThreadCount(threadsBefore_), threadsBefore_)
            << "threads left behind after vbmp3_free";
        ::unsetenv("SDL_DISKAUDIOFILE");
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        fs::remove(pipe_);
    }
    void unplug() {
        unplug_ = true;
        if (drain_.joinable())
            drain_.join();
    }

private:
    std::string pipe_;
    int reader_ = -1;
    std::atomic<bool> unplug_{false};
    std::thread drain_;
    size_t threadsBefore_ = 0;
};

TEST_F(LostDevice, PlaybackGoesOnSilentlyInRealTime) {
    const std::string path = writeTrack("unplugged.wav", 2.5, Kind::Wav16);
    const int32_t total = play(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    unplug();
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    const Reading lost = read();
    EXPECT_EQ(lost.state, VBMP3_PLAYING) << "a lost device does not stop the track";
    EXPECT_EQ(lost.seconds, 1) << "the time goes on";

    vbmp3_pause();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(read().state, VBMP3_PAUSED);
    EXPECT_EQ(read().seconds, 1);
    vbmp3_restart();
    const auto begin = Clock::now();
    const Reading ended = waitWhilePlaying(std::chrono::seconds(5));
    EXPECT_EQ(ended.state, VBMP3_STOPPED);
    EXPECT_EQ(ended.seconds, total - 1);
    EXPECT_GT(Clock::now() - begin, std::chrono::milliseconds(800)) << "not faster than real time";
}

} // namespace
