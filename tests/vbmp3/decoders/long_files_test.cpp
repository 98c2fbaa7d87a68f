// MP3 and WAV files as downloads and rips leave them: hours long, joined from pieces, with and
// without a VBR header, with headers that lie. Each opens reading little, knows its length, and
// a seek far into it sounds the right place: every piece of a file plays its own pitch.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

#include "file_bytes.h"
#include "fixtures/vbri_writer.h"
#include "pulled_engine.h"
#include "stream_checks.h"
#include "strongest_tone.h"

using core_test::bytesReadByThisThread;
using core_test::putBigEndian;
using core_test::settledSeconds;
using fixtures::Kind;

namespace {

constexpr int kRate = 44100;
constexpr int kPieces = 6;
constexpr double kPieceSeconds = 5;
constexpr int kSamplesPerFrame = 1152;

double pitchOf(int piece) {
    return 400.0 + 150.0 * piece;
}

struct Pieces {
    std::string info; // the first piece's Info frame, a whole file's header to patch
    std::vector<std::vector<std::string>> audio;
    int64_t slotSamples = 0; // each piece's length as it plays joined
};

// All pieces at one bit rate, or each at its own: a file whose bit rate changes every piece.
enum class Rates { Constant, Varied };

Pieces makePieces(Rates rates) {
    Pieces p;
    for (int i = 0; i < kPieces; ++i) {
        const std::string path =
            (test_support::processFolder() / ("piece" + std::to_string(i) + ".mp3")).string();
        const int kbps = rates == Rates::Constant ? 32 : 32 + 16 * i;
        fixtures::writeAudio(path, fixtures::sine(pitchOf(i), kPieceSeconds, kRate, 1),
                             Kind::Mp3Cbr, {}, kbps);
        const std::vector<uint8_t> bytes = test_support::readBytes(path);
        std::vector<std::string> frames =
            fixtures::splitMp3(std::string(bytes.begin(), bytes.end())).frames;
        std::filesystem::remove(path);
        p.info = frames.front();
        p.audio.emplace_back(frames.begin() + 1, frames.end());
    }
    p.slotSamples = static_cast<int64_t>(p.audio[0].size()) * kSamplesPerFrame;
    return p;
}

const Pieces& pieces(Rates rates = Rates::Constant) {
    static std::map<Rates, Pieces> made;
    auto [it, fresh] = made.try_emplace(rates);
    if (fresh)
        it->second = makePieces(rates);
    return it->second;
}

// The piece that plays in slot `slot`: the order runs through all of them, then over again.
int pieceAt(int64_t slot) {
    return static_cast<int>(slot * 5 % kPieces);
}

// LAME's Info frame with a fitting or a wrong byte count, or Fraunhofer's VBRI frame.
enum class Header { None, Fitting, WrongByteCount, Vbri };

// About `hours` of pieces joined frame by frame, as a cutter or `ffmpeg -c copy` joins them.
std::string writeJoined(const std::string& name, double hours, Header header,
                        Rates rates = Rates::Constant) {
    const Pieces& p = pieces(rates);
    const auto slots =
        static_cast<int64_t>(hours * 3600 * kRate / static_cast<double>(p.slotSamples));
    std::string audio;
    std::vector<size_t> frameBytes;
    for (int64_t slot = 0; slot < slots; ++slot)
        for (const std::string& frame : p.audio[static_cast<size_t>(pieceAt(slot))]) {
            audio += frame;
            frameBytes.push_back(frame.size());
        }
    std::string info = p.info;
    constexpr size_t kXing = 4 + 17; // after a mono MPEG-1 frame's side information
    const uint32_t bytes = static_cast<uint32_t>(info.size() + audio.size());
    putBigEndian(info, kXing + 8, static_cast<uint32_t>(frameBytes.size()));
    putBigEndian(info, kXing + 12, header == Header::WrongByteCount ? bytes / 3 : bytes);
    const std::string path = (test_support::processFolder() / name).string();
    std::ofstream out(path, std::ios::binary);
    if (header == Header::Vbri)
        out << fixtures::vbriFrame(p.audio[0][0], frameBytes);
    else if (header != Header::None)
        out << info;
    out << audio;
    return path;
}

// Seeks near `second` to a whole second well inside a piece and checks that piece is heard.
void expectHeardAfterSeek(const std::string& path, int64_t second, int64_t slotSamples,
                          int64_t startTrimmed, bool waitForScan = true) {
    auto slotOf = [&](double t) {
        return static_cast<int64_t>((t * kRate + static_cast<double>(startTrimmed)) /
                                    static_cast<double>(slotSamples));
    };
    while (slotOf(static_cast<double>(second) - 0.2) != slotOf(static_cast<double>(second) + 0.8))
        ++second;
    core_test::PulledEngine pulled;
    ASSERT_TRUE(pulled.playFile(path));
    // A seek past the length estimated at open would end the track: a far one waits for the scan.
    if (waitForScan)
        settledSeconds(*pulled.engine.facts());
    pulled.engine.setVolume(100, 100);
    pulled.pullSeconds(0.2);
    pulled.engine.seek(static_cast<int32_t>(second));
    const std::vector<float> heard = pulled.pullSeconds(0.5);
    const std::vector<float> settled(heard.begin() + pulled.rate() / 5, heard.end());
    EXPECT_EQ(core_test::strongestTone(settled, pulled.rate(), kPieces, pitchOf),
              pieceAt(slotOf(static_cast<double>(second))))
        << "at " << second << " s";
    EXPECT_EQ(pulled.engine.status().seconds, second);
}

TEST(LongFiles, TenHoursJoinedOpenReadingLittleAndSeekToTheRightPiece) {
    const struct {
        const char* name;
        Header header;
    } rows[] = {{"ten_hours_info.mp3", Header::Fitting},
                {"ten_hours_no_header.mp3", Header::None},
                {"ten_hours_wrong_byte_count.mp3", Header::WrongByteCount}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = writeJoined(row.name, 10, row.header);
        const int64_t before = bytesReadByThisThread();
        const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
        const int64_t readAtOpen = bytesReadByThisThread() - before;
        ASSERT_TRUE(source);
        EXPECT_LT(readAtOpen, 1 << 20) << "bytes read while opening";
        const double atOpen =
            static_cast<double>(source->facts().totalFrames) / source->facts().sampleRate;
        EXPECT_NEAR(atOpen, 36000, 36000 * 0.02) << "the best length known at open";
        // A constant bit rate without a header has seek points at once, before the scan's.
        if (row.header == Header::None)
            expectHeardAfterSeek(path, 6600, pieces().slotSamples, 0, false);
        EXPECT_NEAR(settledSeconds(source->facts()), 36000, 60);
        // LAME's Info frame gives the encoder delay, which playback leaves out.
        const int64_t trimmed = row.header == Header::Fitting ? 1105 : 0;
        expectHeardAfterSeek(path, 6600, pieces().slotSamples, trimmed);
        expectHeardAfterSeek(path, 35000, pieces().slotSamples, trimmed);
        std::filesystem::remove(path);
    }
}

// Fraunhofer's encoder writes VBRI where LAME writes Xing; libmpg123 reads no length from it.
// Its own frame plays as silence before the audio.
TEST(LongFiles, AnHourUnderAVbriHeaderKnowsItsLengthAtOpenAndSeeks) {
    for (const Rates rates : {Rates::Constant, Rates::Varied}) {
        SCOPED_TRACE(rates == Rates::Constant ? "constant bit rate" : "varied bit rate");
        const std::string path = writeJoined("hour_vbri.mp3", 1, Header::Vbri, rates);
        const int64_t slotSamples = pieces(rates).slotSamples;
        const auto slots = static_cast<int64_t>(3600.0 * kRate / static_cast<double>(slotSamples));
        const double seconds = static_cast<double>(slots * slotSamples + kSamplesPerFrame) / kRate;
        const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
        ASSERT_TRUE(source);
        EXPECT_NEAR(static_cast<double>(source->facts().totalFrames) / kRate, seconds, 0.01)
            << "the length at open";
        EXPECT_NEAR(settledSeconds(source->facts()), seconds, 0.01);
        expectHeardAfterSeek(path, 1234, slotSamples, -kSamplesPerFrame, false);
        expectHeardAfterSeek(path, 3500, slotSamples, -kSamplesPerFrame);
        std::filesystem::remove(path);
    }
}

// A WAV whose data is MP3 frames: libsndfile refuses it, FFmpeg plays it.
std::string writeMp3InWave(const std::string& name) {
    std::string audio;
    for (int64_t slot = 0; slot < 8; ++slot)
        for (const std::string& frame : pieces().audio[static_cast<size_t>(pieceAt(slot))])
            audio += frame;
    auto le = [](uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i)
            s += static_cast<char>(v >> (8 * i));
        return s;
    };
    // MPEGLAYER3WAVEFORMAT: format 0x55, mono, 44.1 kHz, 4000 bytes a second.
    const std::string format = le(0x55, 2) + le(1, 2) + le(kRate, 4) + le(4000, 4) + le(1, 2) +
                               le(0, 2) + le(12, 2) + le(1, 2) + le(2, 4) + le(104, 2) + le(1, 2) +
                               le(1393, 2);
    std::string body = "WAVEfmt " + le(static_cast<uint32_t>(format.size()), 4) + format + "data" +
                       le(static_cast<uint32_t>(audio.size()), 4) + audio;
    const std::string path = (test_support::processFolder() / name).string();
    std::ofstream(path, std::ios::binary)
        << "RIFF" << le(static_cast<uint32_t>(body.size()), 4) << body;
    return path;
}

TEST(LongFiles, Mp3InWaveAndAWaveCutShortKnowTheirLengthAndSeek) {
    const std::string inWave = writeMp3InWave("mp3_in.wav");
    const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(inWave);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->facts().fileKind, vbmp3::kKindWave);
    const double slotSeconds = static_cast<double>(pieces().slotSamples) / kRate;
    EXPECT_NEAR(settledSeconds(source->facts()), 8 * slotSeconds, 0.2);
    expectHeardAfterSeek(inWave, 27, pieces().slotSamples, 0);

    // Six pieces as 16-bit PCM, the file then cut inside its fourth: the data chunk's size runs
    // past the end.
    fixtures::Pcm pcm = fixtures::silence(0, kRate, 1);
    for (int slot = 0; slot < 6; ++slot) {
        const fixtures::Pcm piece = fixtures::sine(pitchOf(pieceAt(slot)), slotSeconds, kRate, 1);
        pcm.samples.insert(pcm.samples.end(), piece.samples.begin(), piece.samples.end());
    }
    const std::string cut = core_test::writeTrack("cut.wav", pcm);
    const auto whole = std::filesystem::file_size(cut);
    std::filesystem::resize_file(cut, whole / 2 + 1);
    const std::unique_ptr<vbmp3::Source> wave = vbmp3::openSource(cut);
    ASSERT_TRUE(wave);
    EXPECT_NEAR(settledSeconds(wave->facts()), 3 * slotSeconds, 0.1);
    expectHeardAfterSeek(cut, 12, pieces().slotSamples, 0);
}

} // namespace

namespace {

// A header's length stands unless the file holds fewer bytes than it needs: the packets of a
// whole file are not read at open (some codecs' packet durations come out short, WMA Pro's).
TEST(LongFiles, AWholeWmaKeepsItsHeaderLengthWithoutReadingItsPackets) {
    const std::string path =
        core_test::writeTrack("whole.wma", fixtures::sine(440, 60), Kind::WmaV2);
    vbmp3::openSource(path); // FFmpeg's module loads once, outside the count
    const int64_t before = bytesReadByThisThread();
    const std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
    const int64_t readAtOpen = bytesReadByThisThread() - before;
    ASSERT_TRUE(source);
    EXPECT_NEAR(static_cast<double>(source->facts().totalFrames) / source->facts().sampleRate, 60,
                0.1);
    EXPECT_LT(readAtOpen, static_cast<int64_t>(std::filesystem::file_size(path) / 4));
}

} // namespace
