// The exported functions end to end, on SDL's dummy driver (real time, no sound device).
#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "fixtures/audio_writer.h"
#include "temp_folder.h"
#include "vbmp3.h"

namespace {

std::string writeTrack() {
    const std::string path = (test_support::processFolder() / "曲.wav").string();
    fixtures::writeAudio(path, fixtures::sine(440, 2.5), fixtures::Kind::Wav16,
                         {"Title", "Artist", "Album", "Rock", "2026", "", -1});
    return path;
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
    EXPECT_EQ(mpeg.outputRate, 48000);
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

} // namespace
