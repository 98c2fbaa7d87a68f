#include "decoders/midi/midi_source.h"
#include "decoders/midi/midi_synth.h"
#include "midi_test_support.h"

#include "demo_tune.h"
#include "fixtures/real_world.h"

#include <vbmp3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

using namespace fixtures;
using namespace midi_test;
using vbmp3::kMidiRate;
using vbmp3::kOutputChannels;

namespace {

constexpr int kFlute = 73;
constexpr double kSilent = 2.5e-4; // -72 dBFS: well under the quietest note's level

class MidiSourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { synth_ = vbmp3::loadMidiSynth(kSmallSoundFont); }
    static void TearDownTestSuite() { synth_.reset(); }
    void SetUp() override { ASSERT_TRUE(synth_) << "needs " << kSmallSoundFont; }

    std::unique_ptr<vbmp3::Source> open(const std::string& name, const MidiSong& song) {
        return vbmp3::openMidiSourceWith(writeSong(name, song), synth_);
    }
    std::unique_ptr<vbmp3::Source> openRaw(const std::string& name, const std::vector<uint8_t>& b) {
        return vbmp3::openMidiSourceWith(writeRaw(name, b), synth_);
    }

    static std::shared_ptr<vbmp3::MidiSynth> synth_;
};
std::shared_ptr<vbmp3::MidiSynth> MidiSourceTest::synth_;

// The strongest frequency between 100 Hz and 2 kHz of the left channel, to 1 Hz.
double peakFrequency(const std::vector<float>& stereo) {
    const size_t n = std::min<size_t>(stereo.size() / 2, 16384);
    double best = 0, bestPower = -1;
    for (int f = 100; f <= 2000; ++f) {
        double re = 0, im = 0;
        const double step = 2 * std::numbers::pi * f / kMidiRate;
        for (size_t i = 0; i < n; ++i) {
            re += stereo[2 * i] * std::cos(step * i);
            im += stereo[2 * i] * std::sin(step * i);
        }
        if (re * re + im * im > bestPower) {
            bestPower = re * re + im * im;
            best = f;
        }
    }
    return best;
}

// The first frame whose level passes `threshold`, or -1.
int64_t firstSound(const std::vector<float>& stereo, float threshold = 1e-3f) {
    for (size_t i = 0; i < stereo.size(); ++i)
        if (std::abs(stereo[i]) > threshold)
            return static_cast<int64_t>(i / kOutputChannels);
    return -1;
}

std::vector<float> slice(const std::vector<float>& stereo, double from, double to) {
    return {stereo.begin() + seconds(from) * kOutputChannels,
            stereo.begin() + seconds(to) * kOutputChannels};
}

} // namespace

TEST_F(MidiSourceTest, FactsAndLengthFromTheTempoMap) {
    MidiSong song = songOf({{0, 480, 0, 60, 100}, {960, 480, 0, 64, 100}}, kFlute);
    song.tempos = {{0, 250000}, {960, 750000}}; // two quarters at 0.25 s, then 0.75 s
    auto source = open("facts.mid", song);
    ASSERT_TRUE(source);
    const vbmp3::StreamFacts& facts = source->facts();
    EXPECT_EQ(facts.fileKind, VBMP3_KIND_MIDI);
    EXPECT_EQ(facts.sampleRate, kMidiRate);
    EXPECT_EQ(facts.bitRateKbps, 0);
    EXPECT_EQ(facts.bitsPerSample, 0) << "a MIDI file holds no samples";
    EXPECT_EQ(facts.trackCount, 1);
    EXPECT_TRUE(facts.seekable);
    const double expected = 2 * 0.25 + 1 * 0.75; // the last note ends on beat 3
    EXPECT_NEAR(double(facts.totalFrames) / kMidiRate, expected, 0.1);

    // The stream plays the whole length and ends within the bounded tail after it.
    const std::vector<float> all = render(*source, seconds(expected + 10));
    const int64_t frames = static_cast<int64_t>(all.size() / kOutputChannels);
    EXPECT_GE(frames, facts.totalFrames);
    EXPECT_LE(frames, facts.totalFrames + seconds(vbmp3::kMaxTailSeconds) + 64);
    EXPECT_EQ(source->read(std::vector<float>(64).data(), 32), 0u);
}

TEST_F(MidiSourceTest, SustainedA4PeaksAt440Hz) {
    auto source = open("a4.mid", songOf({{0, 960 * 2, 0, 69, 110}}, kFlute));
    ASSERT_TRUE(source);
    const std::vector<float> out = render(*source, seconds(1.0));
    EXPECT_GT(rms(out), 0.005);
    EXPECT_NEAR(peakFrequency(slice(out, 0.2, 0.9)), 440.0, 3.0);
}

TEST_F(MidiSourceTest, SeekLandsOnTheMusicalPositionAcrossTempoChanges) {
    // A note on beat 4; the tempo halves after beat 2, so it starts at 2 * 0.5 + 2 * 1.0 = 3 s.
    MidiSong song = songOf({{480 * 4, 480, 0, 69, 110}}, kFlute);
    song.tempos = {{0, 500000}, {480 * 2, 1000000}};
    auto source = open("seek.mid", song);
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->seek(seconds(2.5)));
    const int64_t onset = firstSound(render(*source, seconds(1.0)));
    ASSERT_GE(onset, 0);
    EXPECT_NEAR(double(onset) / kMidiRate, 0.5, 0.01);
}

TEST_F(MidiSourceTest, NoNoteRingsOnAfterASeekOrAnotherStreamTakesTheSynthesizer) {
    // A long note for 2 s, then 3 s of nothing.
    MidiSong held = songOf({{0, 960 * 2, 0, 69, 110}}, kFlute);
    held.endTick = 960 * 5;
    auto source = open("held.mid", held);
    ASSERT_TRUE(source);
    EXPECT_GT(rms(render(*source, seconds(0.5))), 0.005);
    ASSERT_TRUE(source->seek(seconds(3.0)));
    EXPECT_LT(rms(render(*source, seconds(0.5))), kSilent);

    // Back into the note: seeking only restores state, the note is not sounding any more.
    ASSERT_TRUE(source->seek(seconds(1.0)));
    EXPECT_LT(rms(render(*source, seconds(0.5))), kSilent);

    // Two streams on the one synthesizer: each hears only its own notes.
    auto other = open("held2.mid", held);
    ASSERT_TRUE(other);
    EXPECT_GT(rms(render(*other, seconds(0.5))), 0.005);
    ASSERT_TRUE(source->seek(seconds(3.0)));
    EXPECT_LT(rms(render(*source, seconds(0.2))), kSilent);
    // A stream that closes takes its notes with it.
    other.reset();
    EXPECT_LT(rms(render(*source, seconds(0.2))), kSilent);
}

TEST_F(MidiSourceTest, SeekAtOrPastTheEndReadsAsTheEnd) {
    auto source = open("short.mid", songOf({{0, 960, 0, 60, 100}}));
    ASSERT_TRUE(source);
    float buffer[128];
    ASSERT_TRUE(source->seek(source->facts().totalFrames));
    EXPECT_EQ(source->read(buffer, 64), 0u);
    ASSERT_TRUE(source->seek(source->facts().totalFrames + 5000));
    EXPECT_EQ(source->read(buffer, 64), 0u);
    ASSERT_TRUE(source->seek(0));
    EXPECT_EQ(source->read(buffer, 64), 64u);
}

TEST_F(MidiSourceTest, BadFilesOpenNotOrPlayAndEnd) {
    // A text file, even with the right extension.
    const std::string text = "This is not music.\n";
    EXPECT_FALSE(openRaw("text.mid", std::vector<uint8_t>(text.begin(), text.end())));

    // No note at all: silent for its length, then the end.
    MidiSong empty = songOf({});
    empty.endTick = 960;
    auto silent = open("empty.mid", empty);
    ASSERT_TRUE(silent);
    const std::vector<float> out = render(*silent, seconds(5));
    EXPECT_EQ(static_cast<int64_t>(out.size() / kOutputChannels), silent->facts().totalFrames);
    EXPECT_LT(rms(out), kSilent);

    // A note never released and a chunk length past the end: ends within the bounded tail.
    std::vector<uint8_t> hanging = midiHeader(0, 1, 480);
    const auto track =
        chunk("MTrk", {0x00, 0xC0, kFlute, 0x00, 0x90, 69, 100, 0x83, 0x60, 0xB0, 7, 100}, 5000);
    hanging.insert(hanging.end(), track.begin(), track.end());
    auto ringing = openRaw("hanging.mid", hanging);
    ASSERT_TRUE(ringing);
    const int64_t frames =
        static_cast<int64_t>(render(*ringing, seconds(20)).size() / kOutputChannels);
    EXPECT_LE(frames, ringing->facts().totalFrames + seconds(vbmp3::kMaxTailSeconds) + 64);
}

TEST_F(MidiSourceTest, TenHourFileHasItsLengthAndEndsAfterASeek) {
    MidiSong song = songOf({{0, 960, 0, 60, 100}});
    song.endTick = 960 * 36000; // ten hours at 120 bpm
    auto source = open("tenhours.mid", song);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->facts().totalFrames, int64_t{36000} * kMidiRate);
    ASSERT_TRUE(source->seek(source->facts().totalFrames - seconds(1)));
    const std::vector<float> end = render(*source, seconds(5));
    EXPECT_EQ(end.size() / kOutputChannels, size_t(seconds(1)));
    EXPECT_LT(rms(end), kSilent);
}

namespace {

double decibels(double ratio) {
    return 20 * std::log10(ratio);
}

TEST_F(MidiSourceTest, AsLoudAsTheDemoMp3OfTheSameTuneAndNeverClipping) {
    auto demo = open("demo.mid", demo::lanternWalk());
    ASSERT_TRUE(demo);
    const std::vector<float> tune = render(*demo, seconds(60));
    // The demo MP3 is this rendering made to peak at 0.89 (make_demo_tracks).
    const double mp3Rms = rms(tune) * 0.89 / peakOf(tune);
    EXPECT_NEAR(decibels(rms(tune) / mp3Rms), 0.0, 3.0);

    auto dense = open("dense.mid", denseGeneralMidiSong());
    ASSERT_TRUE(dense);
    const std::vector<float> full = render(*dense, seconds(60));
    EXPECT_LT(peakOf(full), 1.0f);
    EXPECT_GT(rms(full), rms(tune)) << "limited, not made quiet";
}

TEST_F(MidiSourceTest, Format2AndUndefinedStatusPlayToTheirEnd) {
    auto sequences = open("format2.mid", format2Song(10));
    ASSERT_TRUE(sequences);
    EXPECT_EQ(sequences->facts().totalFrames, seconds(10));
    const std::vector<float> last = slice(render(*sequences, seconds(9.6)), 9.0, 9.3);
    EXPECT_GT(rms(last), kSilent) << "the tenth sequence sounds";

    auto undefined = openRaw("undefined.mid", midiWithUndefinedStatus());
    ASSERT_TRUE(undefined);
    EXPECT_EQ(undefined->facts().totalFrames, seconds(4));
}

} // namespace
