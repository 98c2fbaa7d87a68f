#include <cmath>
#include <gtest/gtest.h>
#include <map>

#include "left_only.h"
#include "pulled_engine.h"
#include "sample_levels.h"
#include "vbmp3.h"

using fixtures::Kind;
using vbmp3::PlayState;

namespace {

struct Format {
    const char* name;
    Kind kind;
    int fileKind;
};

const Format kFormats[] = {
    {"wav16.wav", Kind::Wav16, VBMP3_KIND_WAVE},
    {"wav8.wav", Kind::Wav8, VBMP3_KIND_WAVE},
    {"wav24.wav", Kind::Wav24, VBMP3_KIND_WAVE},
    {"float.wav", Kind::Wav32Float, VBMP3_KIND_WAVE},
    {"ima.wav", Kind::WavAdpcmIma, VBMP3_KIND_WAVE},
    {"ms.wav", Kind::WavAdpcmMs, VBMP3_KIND_WAVE},
    {"cbr.mp3", Kind::Mp3Cbr, VBMP3_KIND_MPEG},
    {"vbr.mp3", Kind::Mp3Vbr, VBMP3_KIND_MPEG},
    {"vbr_noxing.mp3", Kind::Mp3VbrNoXing, VBMP3_KIND_MPEG},
    {"vbr_vbri.mp3", Kind::Mp3VbrVbri, VBMP3_KIND_MPEG},
    {"v1.wma", Kind::WmaV1, VBMP3_KIND_WMA},
    {"v2.wma", Kind::WmaV2, VBMP3_KIND_WMA},
};

// 2.5 s, so that rounding down plus one gives 3 whatever the codec's padding.
const fixtures::Pcm& tone() {
    static const fixtures::Pcm pcm = fixtures::sine(1000.0, 2.5);
    return pcm;
}

std::string trackOf(const Format& format) {
    static std::map<std::string, std::string> written;
    auto [it, fresh] = written.try_emplace(format.name);
    if (fresh)
        it->second = core_test::writeTrack(format.name, tone(), format.kind);
    return it->second;
}

class EngineFormats : public testing::TestWithParam<Format> {};

TEST_P(EngineFormats, OpensWithItsFactsAndPlaysToTheHeldLastSecond) {
    const Format& format = GetParam();
    std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(trackOf(format));
    ASSERT_TRUE(source);
    const vbmp3::StreamFacts facts = source->facts();
    EXPECT_EQ(facts.fileKind, format.fileKind);
    EXPECT_EQ(facts.sampleRate, 44100);
    EXPECT_EQ(facts.channels, 2);
    EXPECT_EQ(vbmp3::secondsEntered(facts.totalFrames, facts.sampleRate), 3);
    EXPECT_NEAR(static_cast<double>(facts.totalFrames) / facts.sampleRate, 2.5, 0.1);

    core_test::PulledEngine pulled;
    pulled.engine.replace(std::move(source));
    pulled.engine.play();
    const std::vector<float> first = pulled.pullSeconds(1.25);
    EXPECT_GT(test_support::peakOf(first), 0.05f) << "the track sounds";
    EXPECT_EQ(pulled.engine.status().state, PlayState::Playing);
    EXPECT_EQ(pulled.engine.status().seconds, 1);

    ASSERT_TRUE(pulled.playToEnd());
    const vbmp3::Engine::Status end = pulled.engine.status();
    EXPECT_EQ(end.state, PlayState::Stopped);
    EXPECT_EQ(end.seconds, 2);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, EngineFormats, testing::ValuesIn(kFormats),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !std::isalnum(c); },
                                 '_');
                             return name;
                         });

TEST(EngineFacts, BitRatesAreTheAveragesOverTheExactLength) {
    for (const Format& format : kFormats) {
        const auto source = vbmp3::openSource(trackOf(format));
        ASSERT_TRUE(source) << format.name;
        const vbmp3::StreamFacts& facts = source->facts();
        if (format.kind == Kind::Mp3Cbr) {
            EXPECT_NEAR(facts.bitRateKbps, 128, 3);
        } else if (format.kind == Kind::Wav16) {
            EXPECT_EQ(facts.bitRateKbps, 1411);
        } else if (format.kind == Kind::Mp3Vbr || format.kind == Kind::Mp3VbrNoXing ||
                   format.kind == Kind::Mp3VbrVbri) {
            EXPECT_TRUE(facts.variableBitRate) << format.name;
        }
        EXPECT_GT(facts.bitRateKbps, 0) << format.name;
    }
}

// A rising tone: unlike a steady sine, no shift of it looks like itself.
fixtures::Pcm sweep() {
    fixtures::Pcm pcm = fixtures::silence(2.5);
    for (size_t i = 0; i < pcm.samples.size(); ++i) {
        const double t = static_cast<double>(i / 2) / pcm.rate;
        pcm.samples[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * (200 * t + 300 * t * t)));
    }
    return pcm;
}

// Where `part` sits best in `whole` near `at` (frames), and how far off it is there (RMS).
std::pair<long, double> bestFit(const std::vector<float>& part, const std::vector<float>& whole,
                                long at) {
    std::pair<long, double> best{0, 1e9};
    for (long shift = -48; shift <= 48; ++shift) {
        double sum = 0;
        for (size_t i = 0; i < part.size(); ++i) {
            const double d = part[i] - whole[static_cast<size_t>((at + shift) * 2) + i];
            sum += d * d;
        }
        const double rms = std::sqrt(sum / static_cast<double>(part.size()));
        if (rms < best.second)
            best = {shift, rms};
    }
    return best;
}

// The frames that follow a seek to second s are those that playing from the start would have
// given there: in place (WMA's timestamps are whole milliseconds) and nearly equal.
TEST(EngineSeek, LandsOnTheSampleInEveryCodec) {
    const fixtures::Pcm tone = sweep();
    for (const Format& format : kFormats) {
        core_test::PulledEngine pulled;
        pulled.engine.setVolume(100, 100);
        ASSERT_TRUE(pulled.playFile(
            core_test::writeTrack(std::string("sweep_") + format.name, tone, format.kind)));
        const std::vector<float> straight = pulled.pullSeconds(1.2);
        pulled.engine.seek(1);
        const std::vector<float> sought = pulled.pullSeconds(0.1);
        // The first frames carry the resampler's fresh start.
        constexpr long kSettle = 100;
        const std::vector<float> settled(sought.begin() + 2 * kSettle, sought.end());
        const auto [shift, rms] = bestFit(settled, straight, pulled.rate() + kSettle);
        EXPECT_LE(std::abs(shift), format.kind == Kind::WmaV1 || format.kind == Kind::WmaV2 ? 2 : 0)
            << format.name;
        EXPECT_LT(rms, 0.01) << format.name;
        EXPECT_EQ(pulled.engine.status().seconds, 1) << format.name;
    }
}

TEST(EngineSeek, KeepsPauseAndEndsTheTrackPastItsEnd) {
    core_test::PulledEngine pulled;
    ASSERT_TRUE(pulled.playFile(trackOf(kFormats[0])));
    pulled.pullSeconds(0.5);
    pulled.engine.pause();
    pulled.engine.seek(1);
    EXPECT_EQ(pulled.engine.status().state, PlayState::Paused);
    EXPECT_EQ(pulled.engine.status().seconds, 1);
    pulled.engine.restart();
    pulled.pullSeconds(0.3);
    EXPECT_EQ(pulled.engine.status().state, PlayState::Playing);

    pulled.engine.seek(3);
    EXPECT_EQ(pulled.engine.status().state, PlayState::Stopped);
    EXPECT_EQ(pulled.engine.status().seconds, 2);
    pulled.engine.play(); // after the end, play starts over
    pulled.pullSeconds(0.2);
    EXPECT_EQ(pulled.engine.status().state, PlayState::Playing);
    EXPECT_EQ(pulled.engine.status().seconds, 0);
}

TEST(EngineTransport, PauseHoldsThePositionAndStopGoesBackToTheStart) {
    core_test::PulledEngine pulled;
    ASSERT_TRUE(pulled.playFile(trackOf(kFormats[0])));
    pulled.pullSeconds(1.1);
    pulled.engine.pause();
    EXPECT_EQ(test_support::peakOf(pulled.pullSeconds(1.0)), 0.0f) << "a paused output is silent";
    EXPECT_EQ(pulled.engine.status().state, PlayState::Paused);
    EXPECT_EQ(pulled.engine.status().seconds, 1);
    pulled.engine.play(); // play while paused goes on
    pulled.pullSeconds(0.5);
    EXPECT_EQ(pulled.engine.status().state, PlayState::Playing);
    EXPECT_EQ(pulled.engine.status().seconds, 1);

    pulled.engine.stop();
    EXPECT_EQ(pulled.engine.status().state, PlayState::Stopped);
    EXPECT_EQ(pulled.engine.status().seconds, 0);
    pulled.engine.play();
    pulled.pullSeconds(0.5);
    EXPECT_EQ(pulled.engine.status().seconds, 0);
    EXPECT_EQ(pulled.engine.status().state, PlayState::Playing);
}

TEST(EngineTransport, OpeningAnotherFileWhilePlayingStopsAtItsStart) {
    core_test::PulledEngine pulled;
    ASSERT_TRUE(pulled.playFile(trackOf(kFormats[0])));
    pulled.pullSeconds(1.2);
    pulled.engine.replace(vbmp3::openSource(trackOf(kFormats[6])));
    EXPECT_EQ(pulled.engine.status().state, PlayState::Stopped);
    EXPECT_EQ(pulled.engine.status().seconds, 0);
    pulled.engine.replace(nullptr);
    pulled.engine.play();
    EXPECT_EQ(pulled.engine.status().state, PlayState::Stopped) << "no file, nothing to play";
}

TEST(EngineVolume, ZeroIsSilentAndFullIsLouderThanHalf) {
    core_test::PulledEngine pulled;
    ASSERT_TRUE(pulled.playFile(trackOf(kFormats[0])));
    const float half = test_support::peakOf(pulled.pullSeconds(0.2));
    pulled.engine.setVolume(100, 100);
    const float full = test_support::peakOf(pulled.pullSeconds(0.2));
    pulled.engine.setVolume(0, 0);
    EXPECT_EQ(test_support::peakOf(pulled.pullSeconds(0.2)), 0.0f);
    EXPECT_GT(full, half * 4);
    EXPECT_NEAR(full, 0.5f, 0.01f) << "full volume is unity gain";

    pulled.engine.setVolume(100, 0); // each channel its own
    const std::vector<float> frames = pulled.pullSeconds(0.1);
    float right = 0;
    for (size_t i = 1; i < frames.size(); i += 2)
        right = std::max(right, std::fabs(frames[i]));
    EXPECT_EQ(right, 0.0f);
    EXPECT_GT(test_support::peakOf(frames), 0.4f);
}

TEST(EngineAnalysis, SineShowsAtItsBinAndSilenceStaysLow) {
    core_test::PulledEngine pulled;
    int32_t left[256], right[256];
    pulled.engine.spectrum(left, right);
    EXPECT_EQ(*std::max_element(left, left + 256), 0) << "zeros while nothing plays";

    ASSERT_TRUE(pulled.playFile(trackOf(kFormats[0])));
    pulled.engine.setVolume(100, 100);
    pulled.pullSeconds(0.5);
    pulled.engine.spectrum(left, right);
    const auto peak = std::max_element(left, left + 256);
    const double expectedBin = 1000.0 * 512 / pulled.rate();
    EXPECT_NEAR(peak - left, expectedBin, 1.0);
    EXPECT_NEAR(*peak, 104, 4) << "a half-scale sine is 6 dB under full scale";
    EXPECT_LE(left[200], 40);

    int32_t waveLeft[256], waveRight[256];
    pulled.engine.wave(waveLeft, waveRight);
    EXPECT_NEAR(*std::max_element(waveLeft, waveLeft + 256), 50, 2);
    EXPECT_NEAR(*std::min_element(waveRight, waveRight + 256), -50, 2);

    const std::string quiet = core_test::writeTrack("silence.wav", fixtures::silence(1.5));
    ASSERT_TRUE(pulled.playFile(quiet));
    pulled.pullSeconds(0.5);
    pulled.engine.spectrum(left, right);
    EXPECT_LE(*std::max_element(left, left + 256), 40);
    EXPECT_LE(*std::max_element(right, right + 256), 40);
}

TEST(EngineAnalysis, TheFirstBufferIsTheLeftChannelAndTheSecondTheRight) {
    const fixtures::Pcm leftOnly = test_support::leftOnly(fixtures::sine(1000.0, 1.5));
    core_test::PulledEngine pulled;
    ASSERT_TRUE(pulled.playFile(core_test::writeTrack("left_only.wav", leftOnly)));
    pulled.engine.setVolume(100, 100);
    pulled.pullSeconds(0.5);

    int32_t left[256], right[256];
    pulled.engine.wave(left, right);
    EXPECT_NEAR(*std::max_element(left, left + 256), 50, 2);
    EXPECT_EQ(*std::max_element(right, right + 256), 0);
    EXPECT_EQ(*std::min_element(right, right + 256), 0);

    pulled.engine.spectrum(left, right);
    EXPECT_NEAR(*std::max_element(left, left + 256), 104, 4);
    EXPECT_LE(*std::max_element(right, right + 256), 40);
}

} // namespace
