// MP3 streams as encoders, cutters, downloads and damage leave them: channels or rate that change
// midway, free format, bytes before the first frame, VBR headers that lie, damage, a huge tag.
// Where the rate stays one, the engine plays each sample as libmpg123 decodes the same file alone.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <malloc.h>
#include <mpg123.h>
#include <random>

#include "file_bytes.h"
#include "fixtures/lame_writer.h"
#include "fixtures/vbri_writer.h"
#include "frames_read.h"
#include "pulled_engine.h"
#include "stream_checks.h"
#include "strongest_tone.h"

using core_test::bytesReadByThisThread;
using core_test::putBigEndian;
using core_test::settledSeconds;
using fixtures::Kind;
using fixtures::Pcm;

namespace {

constexpr int kRate = 44100;

std::string pathOf(const std::string& name) {
    return (test_support::processFolder() / name).string();
}

std::string bytesOf(const std::string& path) {
    const std::vector<uint8_t> bytes = test_support::readBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::string writeBytes(const std::string& name, const std::string& bytes) {
    const std::string path = pathOf(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// One tone on the left and another on the right, so that a side swapped or lost shows.
Pcm twoTones(double left, double right, double seconds, int rate = kRate, int channels = 2) {
    Pcm pcm = fixtures::sine(left, seconds, rate, channels);
    if (channels == 2) {
        const Pcm other = fixtures::sine(right, seconds, rate, 1);
        for (size_t i = 0; i < other.samples.size(); ++i)
            pcm.samples[2 * i + 1] = other.samples[i];
    }
    return pcm;
}

// The bytes of pcm as the build's encoder writes it (an ID3v2 tag, LAME's Info frame, frames).
std::string encoded(const Pcm& pcm, Kind kind = Kind::Mp3Cbr, int kbps = 128) {
    const std::string path = pathOf("piece.mp3");
    fixtures::writeAudio(path, pcm, kind, {}, kbps);
    std::string bytes = bytesOf(path);
    std::filesystem::remove(path);
    return bytes;
}

std::string lameEncoded(const Pcm& pcm, const std::vector<std::string>& options) {
    const std::string path = pathOf("lame.mp3");
    fixtures::writeWithLame(path, pcm, options);
    std::string bytes = bytesOf(path);
    std::filesystem::remove(path);
    return bytes;
}

// Bytes that hold no sync word, as a broken tag or a web page's start would.
std::string junk(size_t count, unsigned seed = 5) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0x7F);
    return bytes;
}

// The frames of a mono and a stereo encoding of one length in turns of `run` frames: an encoder
// that switches mode as the sound asks, or a radio cut. (libmpg123 takes a stream whose first two
// frames differ for a one-frame stream: runs are of two frames at least.)
std::string modeSwitches(size_t run) {
    const fixtures::Mp3Parts mono = fixtures::splitMp3(encoded(twoTones(440, 440, 3, kRate, 1)));
    const fixtures::Mp3Parts stereo = fixtures::splitMp3(encoded(twoTones(440, 660, 3)));
    std::string bytes;
    // The first frame of each is its Info frame.
    for (size_t i = 1; i < std::min(mono.frames.size(), stereo.frames.size()); ++i)
        bytes += (((i - 1) / run) % 2 ? mono : stereo).frames[i];
    return bytes;
}

struct Decoded {
    std::vector<float> stereo; // interleaved, mono put on both sides
    int rates = 0;             // one, or more where pieces at others follow
    double seconds = 0;        // every frame at its own rate
};

// Pieces joined: the first one's LAME header describes that piece alone, and the engine heeds no
// header that the bytes contradict.
enum class FirstHeader { Heeded, Ignored };

// What libmpg123 decodes of the file alone, every frame in its own format.
Decoded decodeAlone(const std::string& path, FirstHeader header = FirstHeader::Heeded) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_FLAGS,
                 MPG123_GAPLESS | MPG123_QUIET |
                     (header == FirstHeader::Ignored ? MPG123_IGNORE_INFOFRAME : 0),
                 0);
    mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0);
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    Decoded decoded;
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open(handle, path.c_str()) == MPG123_OK &&
        mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK) {
        std::vector<float> block(1 << 14);
        int result = MPG123_OK;
        decoded.rates = 1;
        while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
            size_t done = 0;
            result = mpg123_read(handle, block.data(), block.size() * sizeof(float), &done);
            const size_t frames = done / sizeof(float) / static_cast<size_t>(channels);
            for (size_t i = 0; i < frames; ++i)
                for (int side = 0; side < 2; ++side)
                    decoded.stereo.push_back(block[i * channels + (channels == 2 ? side : 0)]);
            decoded.seconds += static_cast<double>(frames) / static_cast<double>(rate);
            const long before = rate;
            if (result == MPG123_NEW_FORMAT &&
                mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK)
                decoded.rates += rate != before ? 1 : 0;
        }
    }
    mpg123_delete(handle);
    return decoded;
}

double snrDb(const std::vector<float>& reference, const std::vector<float>& heard) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < std::min(reference.size(), heard.size()); ++i) {
        const double error = double{reference[i]} - heard[i];
        signal += double{reference[i]} * reference[i];
        noise += error * error;
    }
    return noise > 0 ? 10 * std::log10(signal / noise) : 400;
}

// The whole file as the engine plays it at volume 100, from the pull output.
std::vector<float> playedThroughEngine(const std::string& path, size_t frames) {
    core_test::PulledEngine pulled;
    pulled.engine.setVolume(100, 100);
    if (!pulled.playFile(path))
        return {};
    return pulled.output->pull(frames);
}

struct StreamCase {
    const char* name;
    std::function<std::string()> bytes;
    FirstHeader header = FirstHeader::Heeded;
};

// An encoding without its ID3v2 tag.
std::string framesOf(const std::string& bytes) {
    return bytes.substr(fixtures::splitMp3(bytes).head.size());
}

// Streams whose rate stays one: the engine plays them sample for sample as libmpg123 decodes
// them alone, to their end, and knows that length.
TEST(MpegStreams, PlayAsLibmpg123DecodesThemAlone) {
    const std::string stereo = encoded(twoTones(440, 660, 2));
    const std::string mono = encoded(twoTones(550, 550, 2, kRate, 1));
    const Pcm tone = twoTones(440, 660, 4);
    const StreamCase rows[] = {
        {"stereo then mono", [&] { return stereo + mono; }, FirstHeader::Ignored},
        {"mono then stereo", [&] { return mono + stereo; }, FirstHeader::Ignored},
        {"mode switches every 2 frames", [] { return modeSwitches(2); }},
        {"mode switches every 7 frames", [] { return modeSwitches(7); }},
        {"free format with an Info frame",
         [&] {
             return lameEncoded(tone, {"--freeformat", "-b", "200"});
         }},
        {"free format without a header",
         [&] {
             return lameEncoded(tone, {"--freeformat", "-t", "-b", "96"});
         }},
        {"215 bytes before the first frame", [&] { return junk(215) + framesOf(stereo); }},
        {"5000 bytes before the first frame", [&] { return junk(5000) + framesOf(stereo); }},
        {"junk after the ID3v2 tag",
         [&] { return fixtures::splitMp3(stereo).head + junk(3000) + framesOf(stereo); }},
    };
    for (const StreamCase& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = writeBytes("stream.mp3", row.bytes());
        const Decoded alone = decodeAlone(path, row.header);
        ASSERT_EQ(alone.rates, 1);
        const size_t frames = alone.stereo.size() / 2;
        const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
        if (!source) {
            ADD_FAILURE() << "does not open";
            continue;
        }
        EXPECT_NE(source->facts().codecName.find("libmpg123"), std::string::npos);
        EXPECT_EQ(test_support::framesRead(*source), static_cast<int64_t>(frames));
        EXPECT_NEAR(settledSeconds(source->facts()), alone.seconds, 0.03);
        const std::vector<float> heard = playedThroughEngine(path, frames + kRate / 10);
        ASSERT_EQ(heard.size(), 2 * (frames + kRate / 10));
        EXPECT_GE(snrDb(alone.stereo, heard), 96);
        // Silence after the end, not more of the stream.
        EXPECT_EQ(*std::max_element(heard.begin() + 2 * frames, heard.end()), 0.0f);
    }
}

// The power-strongest of two tones in a stretch of `seconds` from `from`.
double pitchAt(const std::vector<float>& heard, int rate, double from, double candidates[2]) {
    const auto begin = heard.begin() + 2 * static_cast<ptrdiff_t>(from * rate);
    const std::vector<float> stretch(begin, begin + 2 * rate / 4);
    return candidates[core_test::strongestTone(stretch, rate, 2,
                                               [&](int i) { return candidates[i]; })];
}

// A rate that changes midway (pieces joined): the first piece's rate plays throughout, each
// piece at its own pitch, the time runs true and the length is what plays.
TEST(MpegStreams, ARateChangeMidwayKeepsEachPiecesPitchAndTheLength) {
    const struct {
        const char* name;
        int firstRate, secondRate, secondChannels;
    } rows[] = {
        {"44.1 then 48 kHz", 44100, 48000, 2},
        {"48 then 44.1 kHz", 48000, 44100, 2},
        {"44.1 kHz stereo then 22.05 kHz mono", 44100, 22050, 1},
        {"32 kHz mono then 44.1 kHz stereo", 32000, 44100, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const int firstChannels = row.secondChannels == 1 ? 2 : 1;
        const std::string path = writeBytes(
            "rates.mp3", encoded(twoTones(440, 440, 2, row.firstRate, firstChannels)) +
                             encoded(twoTones(880, 880, 2, row.secondRate, row.secondChannels),
                                     Kind::Mp3Cbr, 64));
        const Decoded alone = decodeAlone(path, FirstHeader::Ignored);
        ASSERT_EQ(alone.rates, 2);
        const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->facts().sampleRate, row.firstRate);
        const double played =
            static_cast<double>(test_support::framesRead(*source)) / row.firstRate;
        EXPECT_NEAR(played, alone.seconds, 0.005);
        EXPECT_NEAR(settledSeconds(source->facts()), alone.seconds, 0.05);
        const std::vector<float> heard =
            playedThroughEngine(path, static_cast<size_t>(alone.seconds * row.firstRate));
        double tones[2] = {440, 880};
        EXPECT_EQ(pitchAt(heard, row.firstRate, 1.0, tones), 440);
        EXPECT_EQ(pitchAt(heard, row.firstRate, 3.0, tones), 880);
    }
}

// A seek in free format lands where libmpg123 alone decodes that second.
TEST(MpegStreams, FreeFormatSeeksToTheSecond) {
    for (const char* header : {"--freeformat", "-t"}) {
        SCOPED_TRACE(header);
        const std::string path = writeBytes(
            "free.mp3", lameEncoded(twoTones(440, 660, 6), {"--freeformat", header, "-b", "160"}));
        const Decoded alone = decodeAlone(path);
        core_test::PulledEngine pulled;
        pulled.engine.setVolume(100, 100);
        ASSERT_TRUE(pulled.playFile(path));
        pulled.pullSeconds(0.2);
        pulled.engine.seek(4);
        const std::vector<float> heard = pulled.pullSeconds(1);
        EXPECT_EQ(pulled.engine.status().seconds, 5);
        const auto from = alone.stereo.begin() + 2 * 4 * kRate;
        EXPECT_GE(snrDb({from, from + static_cast<ptrdiff_t>(heard.size())}, heard), 60);
    }
}

size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// A VBR header whose frame count the bytes cannot hold: the bytes decide the length, and the
// header cannot make the engine allocate beyond what the file could hold.
TEST(MpegStreams, AVbrHeaderFrameCountThatTheBytesContradictLosesToThem) {
    for (const Kind kind : {Kind::Mp3Cbr, Kind::Mp3Vbr}) { // LAME's Info, LAME's Xing
        const std::string bytes = encoded(twoTones(440, 660, 6), kind);
        const fixtures::Mp3Parts parts = fixtures::splitMp3(bytes);
        const size_t header = parts.head.size() + 4 + 32;
        ASSERT_EQ(bytes.substr(header, 4), kind == Kind::Mp3Cbr ? "Info" : "Xing");
        const auto frames = static_cast<uint32_t>(parts.frames.size() - 1);
        for (const uint32_t claimed : {0xFFFFFFFFu, 1u, frames * 10, frames / 10}) {
            SCOPED_TRACE(bytes.substr(header, 4) + " claiming " + std::to_string(claimed));
            std::string lying = bytes;
            putBigEndian(lying, header + 8, claimed);
            const std::string path = writeBytes("lying.mp3", lying);
            const size_t before = heapInUse();
            const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
            ASSERT_TRUE(source);
            EXPECT_LT(heapInUse() - before, size_t{4} << 20) << "bytes allocated at open";
            EXPECT_NEAR(static_cast<double>(source->facts().totalFrames) / kRate, 6, 0.1);
            EXPECT_NEAR(settledSeconds(source->facts()), 6, 0.1);
            EXPECT_NEAR(static_cast<double>(test_support::framesRead(*source)) / kRate, 6, 0.1);
        }
    }
}

// A constant bit rate reads as the frames' own, whatever tags and header come with the frames.
TEST(MpegStreams, AConstantBitRateIsTheFramesOwn) {
    const fixtures::TrackTags tags{"Title", "Artist", "Album", "Genre", "2001", "Comment", 12};
    for (const auto& [kbps, tagged] : {std::pair{32, false}, {128, true}, {320, true}}) {
        SCOPED_TRACE(kbps);
        const std::string path = pathOf("cbr.mp3");
        fixtures::writeAudio(path, twoTones(440, 660, 5), Kind::Mp3Cbr,
                             tagged ? tags : fixtures::TrackTags{}, kbps);
        const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->facts().bitRateKbps, kbps);
    }
    const std::string free =
        writeBytes("free.mp3", lameEncoded(twoTones(440, 660, 5), {"--freeformat", "-b", "200"}));
    const std::unique_ptr<vbmp3::Source> freeFormat = vbmp3::openSource(free);
    ASSERT_TRUE(freeFormat);
    EXPECT_EQ(freeFormat->facts().bitRateKbps, 200) << "free format";
}

// A 100 MB ID3v2 tag (a picture gallery) is stepped over, not read, at open.
TEST(MpegStreams, AHugeTagIsNotReadAtOpen) {
    constexpr uint32_t kTagBytes = 100 << 20;
    std::string header("ID3\x03\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        header += static_cast<char>((kTagBytes >> shift) & 0x7F);
    const std::string path = pathOf("huge_tag.mp3");
    {
        std::ofstream out(path, std::ios::binary);
        out << header;
        out.seekp(10 + kTagBytes);
        out << framesOf(encoded(twoTones(440, 660, 3)));
    }
    const int64_t before = bytesReadByThisThread();
    const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
    const int64_t readAtOpen = bytesReadByThisThread() - before;
    ASSERT_TRUE(source);
    EXPECT_LT(readAtOpen, 1 << 20);
    EXPECT_NEAR(static_cast<double>(source->facts().totalFrames) / kRate, 3, 0.05);
    EXPECT_NEAR(static_cast<double>(test_support::framesRead(*source)) / kRate, 3, 0.05);
    std::filesystem::remove(path);
}

// Random bytes hold sync words and headers by chance, never a run of them: no decoder plays them,
// whatever their first bytes are.
TEST(MpegStreams, RandomBytesAreNoMpegAudio) {
    for (unsigned seed = 1; seed <= 64; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::string bytes(16384, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        bytes.replace(0, 4, "\xFF\xFB\x90\x64"); // a valid header at the start
        EXPECT_FALSE(vbmp3::openSource(writeBytes("random.mp3", bytes)));
    }
}

// Damage: random bytes over a stretch of a file, or all of it after a valid start. The stream
// plays on past the damage as libmpg123 alone finds its way, and ends.
TEST(MpegStreams, DamagedStreamsPlayOnPastTheDamageAndEnd) {
    const std::string whole = encoded(twoTones(440, 660, 20));
    const struct {
        const char* name;
        size_t keep, damage; // bytes kept at the start, then random bytes over the rest
        double seconds;      // at least this much plays
    } rows[] = {
        {"8 KB of damage 40 KB into 20 s", 40960, 8192, 19},
        {"3 MB of noise after 2000 bytes", 2000, 3 << 20, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string bytes = whole.substr(0, row.keep);
        std::mt19937 random(3);
        for (size_t i = 0; i < row.damage; ++i)
            bytes += static_cast<char>(random());
        if (row.keep + row.damage < whole.size())
            bytes += whole.substr(row.keep + row.damage);
        const std::string path = writeBytes("damaged.mp3", bytes);
        const Decoded alone = decodeAlone(path);
        const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
        ASSERT_TRUE(source);
        // Rates that false syncs in the damage claim play at the file's rate.
        const double played = static_cast<double>(test_support::framesRead(*source)) / kRate;
        EXPECT_NEAR(played, alone.seconds, 0.5);
        EXPECT_GE(played, row.seconds);
    }
}

} // namespace
