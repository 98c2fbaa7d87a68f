// The exported functions end to end, on SDL's dummy driver (real time, no sound device).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

#include "file_bytes.h"
#include "fixtures/audio_writer.h"
#include "left_only.h"
#include "temp_folder.h"
#include "vbmp3.h"

namespace {

std::string writeTrack() {
    const std::string path = (test_support::processFolder() / "曲.wav").string();
    fixtures::writeAudio(path, fixtures::sine(440, 2.5), fixtures::Kind::Wav16,
                         {"Title", "Artist", "Album", "Rock", "2026", "", -1});
    return path;
}

// Caps the process's address space at what it maps now and takes what is left of its heap, so
// that the next allocation fails.
void useUpMemory() {
    const long pages = [] {
        std::ifstream statm("/proc/self/statm");
        long size = 0;
        statm >> size;
        return size;
    }();
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    setrlimit(RLIMIT_AS, &limit);
    void* volatile last = nullptr;
    while (void* block = std::malloc(64)) {
        *static_cast<void**>(block) = last;
        last = block;
    }
}

TEST(EngineApiDeathTest, AnEngineThatCannotStartIsRefusedAndTheProcessLives) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers' allocators reserve their memory up front and ignore the cap.
    GTEST_SKIP() << "a capped address space means nothing under a sanitizer";
#endif
    EXPECT_EXIT(
        {
            useUpMemory();
            const bool refused = vbmp3_init() == 0;
            int32_t seconds = 7;
            const bool idle = vbmp3_getState(&seconds) == 0 && seconds == 7 && vbmp3_play() == 0;
            std::_Exit(refused && idle ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(EngineApi, LifecycleThroughTheCFunctions) {
    const std::string path = writeTrack();
    int32_t seconds = 77;
    EXPECT_EQ(vbmp3_getState(&seconds), 0) << "before init every call does nothing";
    EXPECT_EQ(seconds, 77);
    EXPECT_EQ(vbmp3_play(), 0);

    ASSERT_NE(vbmp3_init(), 0);
    EXPECT_EQ(vbmp3_getState(&seconds), VBMP3_STOPPED);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(vbmp3_getState(nullptr), VBMP3_STOPPED);

    vbmp3_InputInfo info{};
    EXPECT_EQ(vbmp3_open("/no/such/file.mp3", &info), 0);
    EXPECT_EQ(vbmp3_open(nullptr, &info), 0);
    vbmp3_MpegInfo mpeg{};
    EXPECT_EQ(vbmp3_getMpegInfo(&mpeg), 0);

    ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
    EXPECT_GT(std::strlen(info.formatName), 0u);
    EXPECT_EQ(info.totalSeconds, 3);
    EXPECT_EQ(info.sampleRate, 44100);

    ASSERT_NE(vbmp3_getMpegInfo(&mpeg), 0);
    EXPECT_EQ(mpeg.totalSeconds, 3);
    EXPECT_EQ(mpeg.bitRate, 1411);
    EXPECT_EQ(mpeg.fileKind, VBMP3_KIND_WAVE);
    EXPECT_EQ(mpeg.outputRate, 44100);
    EXPECT_NEAR(mpeg.totalMilliseconds, 2500, 1);
    EXPECT_EQ(mpeg.fileSizeKiB,
              static_cast<int32_t>((std::filesystem::file_size(path) + 1023) / 1024));

    vbmp3_TagInfo tag;
    std::memset(&tag, '#', sizeof tag);
    ASSERT_NE(vbmp3_getFileTagInfo(path.c_str(), &tag), 0);
    EXPECT_STREQ(tag.title, "Title");
    EXPECT_EQ(tag.title[127], '\0') << "the slot is filled to its end";
    EXPECT_EQ(tag.genreCode, -1);

    vbmp3_setVolume(0, 0);
    vbmp3_play();
    EXPECT_EQ(vbmp3_getState(&seconds), VBMP3_PLAYING);
    int32_t first[VBMP3_BUFFER_LENGTH], second[VBMP3_BUFFER_LENGTH];
    EXPECT_NE(vbmp3_getWave(first, second), 0);
    EXPECT_NE(vbmp3_getSpectrum(first, second), 0);
    vbmp3_pause();
    EXPECT_EQ(vbmp3_getState(&seconds), VBMP3_PAUSED);
    vbmp3_seek(2);
    EXPECT_EQ(vbmp3_getState(&seconds), VBMP3_PAUSED);
    EXPECT_EQ(seconds, 1) << "the last second is reached only at the end";
    vbmp3_restart();
    EXPECT_EQ(vbmp3_getState(&seconds), VBMP3_PLAYING);

    // The rest of the track plays out on the device's clock.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (vbmp3_getState(&seconds) == VBMP3_PLAYING && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(vbmp3_getState(&seconds), VBMP3_STOPPED);
    EXPECT_EQ(seconds, 2);

    vbmp3_close();
    EXPECT_EQ(vbmp3_getMpegInfo(&mpeg), 0);
    vbmp3_play();
    EXPECT_EQ(vbmp3_getState(&seconds), VBMP3_STOPPED);

    EXPECT_NE(vbmp3_free(), 0);
    EXPECT_EQ(vbmp3_getState(&seconds), 0);
    EXPECT_EQ(vbmp3_open(path.c_str(), &info), 0) << "after free every call does nothing";
}

// Polls `done` for a few seconds of the device's clock.
template <typename Condition> bool waitFor(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(EngineApi, WaveAndSpectrumKeepLeftAndRightApart) {
    const std::string path = (test_support::processFolder() / "left.wav").string();
    fixtures::writeAudio(path, test_support::leftOnly(fixtures::sine(1000, 8)),
                         fixtures::Kind::Wav16);
    ASSERT_NE(vbmp3_init(), 0);
    vbmp3_InputInfo info{};
    ASSERT_NE(vbmp3_open(path.c_str(), &info), 0);
    vbmp3_setVolume(100, 100);
    vbmp3_play();

    int32_t left[VBMP3_BUFFER_LENGTH], right[VBMP3_BUFFER_LENGTH];
    const auto peak = [](const int32_t* buffer) {
        return *std::max_element(buffer, buffer + VBMP3_BUFFER_LENGTH);
    };
    const auto silent = [&peak](const int32_t* buffer) {
        return peak(buffer) == 0 && *std::min_element(buffer, buffer + VBMP3_BUFFER_LENGTH) == 0;
    };
    EXPECT_TRUE(waitFor([&] { return vbmp3_getWave(left, right), peak(left) > 40; }));
    EXPECT_TRUE(silent(right));
    vbmp3_getSpectrum(left, right);
    EXPECT_GT(peak(left), 60);
    EXPECT_LE(peak(right), 40);

    EXPECT_NE(vbmp3_free(), 0);
}

// What reaches the device, through SDL's disk driver: 32-bit float stereo frames in a file.
TEST(EngineApi, TheFirstVolumeIsTheLeftChannels) {
    const std::string track = (test_support::processFolder() / "both.wav").string();
    fixtures::writeAudio(track, fixtures::sine(1000, 8), fixtures::Kind::Wav16);
    const std::filesystem::path device = test_support::processFolder() / "device.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", device.c_str(), 1);
    ASSERT_NE(vbmp3_init(), 0);
    vbmp3_InputInfo info{};
    ASSERT_NE(vbmp3_open(track.c_str(), &info), 0);
    vbmp3_setVolume(100, 0);
    vbmp3_play();
    constexpr uintmax_t kHalfSecond = 48000 / 2 * 2 * sizeof(float);
    EXPECT_TRUE(waitFor([&] {
        std::error_code missing;
        return std::filesystem::file_size(device, missing) > kHalfSecond && !missing;
    }));
    EXPECT_NE(vbmp3_free(), 0);
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    const std::vector<uint8_t> bytes = test_support::readBytes(device);
    std::vector<float> frames(bytes.size() / sizeof(float));
    std::memcpy(frames.data(), bytes.data(), frames.size() * sizeof(float));
    float peaks[2] = {0, 0};
    for (size_t i = 0; i < frames.size(); ++i)
        peaks[i % 2] = std::max(peaks[i % 2], std::fabs(frames[i]));
    EXPECT_GT(peaks[0], 0.4f) << "left at full volume";
    EXPECT_EQ(peaks[1], 0.0f) << "right at none";
}

} // namespace

// The device (SDL's disk driver) runs at its own rate; SDL converts each file's rate to it, so a
// tone sounds at its own pitch whatever the file's rate, and the time told is the file's.
TEST(EngineApi, EveryRateSoundsAtItsPitchOnTheDevice) {
    struct Row {
        int rate;
        int channels;
        double hz;
    };
    const std::filesystem::path device = test_support::processFolder() / "rates.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", device.c_str(), 1);
    for (const Row row : {Row{8000, 1, 700}, Row{22050, 2, 1000}, Row{44100, 1, 1500}}) {
        SCOPED_TRACE(row.rate);
        const std::string track =
            (test_support::processFolder() / ("rate_" + std::to_string(row.rate) + ".wav"))
                .string();
        fixtures::writeAudio(track, fixtures::sine(row.hz, 2.5, row.rate, row.channels),
                             fixtures::Kind::Wav16);
        ASSERT_NE(vbmp3_init(), 0);
        vbmp3_InputInfo info{};
        ASSERT_NE(vbmp3_open(track.c_str(), &info), 0);
        EXPECT_EQ(info.totalSeconds, 3);
        vbmp3_MpegInfo mpeg{};
        ASSERT_NE(vbmp3_getMpegInfo(&mpeg), 0);
        EXPECT_EQ(mpeg.outputRate, row.rate);
        EXPECT_NEAR(mpeg.totalMilliseconds, 2500, 1);
        vbmp3_setVolume(100, 100);
        vbmp3_play();
        int32_t seconds = 0;
        EXPECT_TRUE(waitFor([&] { return vbmp3_getState(&seconds), seconds >= 1; }));
        EXPECT_NE(vbmp3_free(), 0);

        // The device's own rate is the one it was asked for: the disk driver takes any.
        const std::vector<uint8_t> bytes = test_support::readBytes(device);
        std::vector<float> frames(bytes.size() / sizeof(float));
        std::memcpy(frames.data(), bytes.data(), frames.size() * sizeof(float));
        const auto first = std::find_if(frames.begin(), frames.end(),
                                        [](float sample) { return std::fabs(sample) > 0.1f; });
        constexpr long kSpan = 48000 / 2 * 2; // half a second of stereo frames
        ASSERT_GT(frames.end() - first, kSpan + 4800);
        int crossings = 0;
        for (auto at = first + 4800; at < first + 4800 + kSpan; at += 2)
            crossings += (at[0] < 0) != (at[2] < 0) ? 1 : 0;
        EXPECT_NEAR(crossings, row.hz, row.hz * 0.02) << "zero crossings in half a second";
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}
