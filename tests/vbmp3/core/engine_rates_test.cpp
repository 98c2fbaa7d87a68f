// Files at the rates recordings come in play at their own rate: length, seek and elapsed time
// count the file's frames, and each second sounds at its own pitch.
#include <gtest/gtest.h>

#include "pulled_engine.h"
#include "strongest_tone.h"

using fixtures::Kind;

namespace {

constexpr int kSeconds = 6;

// Second s sounds at 400 + 100 s Hz: a staircase that tells any position, and any wrong rate.
double pitchOf(int second) {
    return 400.0 + 100.0 * second;
}

fixtures::Pcm staircase(int rate, int channels) {
    fixtures::Pcm pcm{rate, channels, {}};
    for (int s = 0; s < kSeconds; ++s) {
        const fixtures::Pcm step = fixtures::sine(pitchOf(s), 1.0, rate, channels);
        pcm.samples.insert(pcm.samples.end(), step.samples.begin(), step.samples.end());
    }
    return pcm;
}

int secondHeard(const std::vector<float>& frames, int rate) {
    return core_test::strongestTone(frames, rate, kSeconds, pitchOf);
}

struct RateRow {
    const char* name;
    int rate;
    int channels;
    Kind kind;
};

const RateRow kRows[] = {
    {"stereo_44100.mp3", 44100, 2, Kind::Mp3Cbr}, {"mono_48000.wav", 48000, 1, Kind::Wav16},
    {"stereo_22050.mp3", 22050, 2, Kind::Mp3Vbr}, {"mono_22050.wma", 22050, 1, Kind::WmaV2},
    {"mono_8000.wav", 8000, 1, Kind::Wav16},      {"stereo_8000.wav", 8000, 2, Kind::Wav16},
};

// Seeks to `second`, plays half a second and checks what sounded, the time told and the rate.
void expectSeekHeard(core_test::PulledEngine& pulled, int second, int rate) {
    pulled.engine.seek(second);
    const std::vector<float> heard = pulled.pullSeconds(0.5);
    EXPECT_EQ(pulled.output->rate(), rate) << "the output runs at the file's rate";
    const std::vector<float> settled(heard.begin() + rate / 5, heard.end()); // 0.1 s on
    EXPECT_EQ(secondHeard(settled, rate), second) << "heard after a seek to " << second << " s";
    EXPECT_EQ(pulled.engine.status().seconds, second);
}

TEST(EngineRates, EachFilePlaysAtItsOwnRateWithItsLengthSeekAndTime) {
    for (const RateRow& row : kRows) {
        SCOPED_TRACE(row.name);
        core_test::PulledEngine pulled;
        ASSERT_TRUE(pulled.playFile(
            core_test::writeTrack(row.name, staircase(row.rate, row.channels), row.kind)));
        const vbmp3::StreamFacts facts = *pulled.engine.facts();
        EXPECT_EQ(facts.sampleRate, row.rate);
        EXPECT_NEAR(static_cast<double>(facts.totalFrames) / row.rate, kSeconds, 0.1);
        pulled.engine.setVolume(100, 100);
        const std::vector<float> start = pulled.pullSeconds(0.5);
        EXPECT_EQ(secondHeard(start, row.rate), 0);
        EXPECT_EQ(pulled.engine.status().seconds, 0);
        for (int second : {4, 1, 5})
            expectSeekHeard(pulled, second, row.rate);
    }
}

TEST(EngineRates, TracksOneAfterAnotherEachPlayAtTheirOwnRate) {
    core_test::PulledEngine pulled;
    pulled.engine.setVolume(100, 100);
    for (int rate : {44100, 48000, 22050, 44100}) {
        SCOPED_TRACE(rate);
        ASSERT_TRUE(pulled.playFile(core_test::writeTrack("next_" + std::to_string(rate) + ".wav",
                                                          staircase(rate, 2), Kind::Wav16)));
        expectSeekHeard(pulled, 3, rate);
    }
}

} // namespace
