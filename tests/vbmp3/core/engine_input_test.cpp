// Files that are not what they claim: each gives a clear result, never a crash or a hang.
#include <fstream>
#include <gtest/gtest.h>
#include <random>

#include "file_bytes.h"
#include "fixtures/real_world.h"
#include "frames_read.h"
#include "pulled_engine.h"

using fixtures::Kind;
using test_support::framesRead;
using test_support::readBytes;
using vbmp3::PlayState;

namespace {

std::string writeBytes(const std::string& name, const std::string& bytes) {
    const std::string path = (test_support::processFolder() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string randomBytes(size_t n) {
    std::mt19937 random(7);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

TEST(EngineInput, FilesThatDoNotDecodeAreRefused) {
    const std::string refused[] = {
        writeBytes("empty.mp3", ""),
        writeBytes("noise.mp3", randomBytes(64 * 1024)),
        writeBytes("notes.wma", "These are my notes, not music.\n"),
        (test_support::processFolder() / "missing.wav").string(),
        test_support::processFolder().string(),
    };
    for (const std::string& path : refused)
        EXPECT_FALSE(vbmp3::openSource(path)) << path;
}

TEST(EngineInput, CutFilesPlayWhatTheyHoldAndEndCleanly) {
    const fixtures::Pcm tone = fixtures::sine(440, 2.5);
    const auto mp3 = readBytes(core_test::writeTrack("whole.mp3", tone, Kind::Mp3Cbr));
    const std::string truncatedMp3 =
        writeBytes("truncated.mp3", {mp3.begin(), mp3.begin() + mp3.size() / 2});
    // The header still promises 2.5 s of data.
    const auto wav = readBytes(core_test::writeTrack("whole.wav", tone));
    const std::string shortWav =
        writeBytes("short.wav", {wav.begin(), wav.begin() + wav.size() / 3});

    for (const std::string& path : {truncatedMp3, shortWav}) {
        core_test::PulledEngine pulled;
        ASSERT_TRUE(pulled.playFile(path)) << path;
        EXPECT_TRUE(pulled.playToEnd()) << path;
        EXPECT_EQ(pulled.engine.status().state, PlayState::Stopped) << path;
    }
}

TEST(EngineInput, MusicFilesAreNeverWritten) {
    const std::string path =
        core_test::writeTrack("kept.mp3", fixtures::sine(440, 1.2), Kind::Mp3Cbr);
    const auto before = readBytes(path);
    core_test::PulledEngine pulled;
    ASSERT_TRUE(pulled.playFile(path));
    pulled.engine.seek(1);
    ASSERT_TRUE(pulled.playToEnd());
    pulled.engine.replace(nullptr);
    EXPECT_EQ(readBytes(path), before);
}

} // namespace

namespace {

TEST(EngineInput, HeadersThatClaimMoreThanTheFileHoldsLoseToWhatIsThere) {
    using fixtures::CutKind;
    for (auto [kind, name] : {std::pair{CutKind::Mp3Xing, "cut_xing.mp3"},
                              {CutKind::Mp3Vbri, "cut_vbri.mp3"},
                              {CutKind::WavData, "cut_data_size.wav"},
                              {CutKind::Wma, "cut_play_duration.wma"}}) {
        SCOPED_TRACE(name);
        const std::string path = (test_support::processFolder() / name).string();
        fixtures::writeCutDownload(path, kind, 3, 40);
        std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
        ASSERT_TRUE(source);
        const double claimed =
            static_cast<double>(source->facts().totalFrames) / source->facts().sampleRate;
        const double held = static_cast<double>(framesRead(*source)) / source->facts().sampleRate;
        EXPECT_NEAR(claimed, 3.0, 0.5);
        EXPECT_NEAR(claimed, held, 0.1) << "the length is what plays";
    }
}

} // namespace
