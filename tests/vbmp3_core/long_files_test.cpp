// MP3 and WAV files as downloads and rips leave them: hours long, joined from pieces, with and
// without a VBR header, with headers that lie. Each opens reading little, knows its length, and
// a seek far into it sounds the right place: every piece of a file plays its own pitch.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#include "file_bytes.h"
#include "pulled_engine.h"
#include "strongest_tone.h"

using fixtures::Kind;

namespace {

constexpr int kRate = 44100;
constexpr int kPieces = 6;
constexpr double kPieceSeconds = 5;
constexpr int kSamplesPerFrame = 1152;

double pitchOf(int piece) {
    return 400.0 + 150.0 * piece;
}

void putBigEndian(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
}

// The frames of a mono MPEG-1 layer III file at 44.1 kHz, its Info frame first.
std::vector<std::string> framesOf(const std::string& file) {
    const std::vector<uint8_t> raw = test_support::readBytes(file);
    const std::string bytes(raw.begin(), raw.end());
    size_t at = bytes.compare(0, 3, "ID3") == 0
                    ? 10 + ((bytes[6] & 0x7F) << 21 | (bytes[7] & 0x7F) << 14 |
                            (bytes[8] & 0x7F) << 7 | (bytes[9] & 0x7F))
                    : 0;
    std::vector<std::string> frames;
    while (at + 4 <= bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xFF) {
        constexpr int kKbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
        const int kbps = kKbps[(static_cast<unsigned char>(bytes[at + 2]) >> 4) % 15];
        const size_t length =
            static_cast<size_t>(144 * kbps * 1000 / kRate + ((bytes[at + 2] >> 1) & 1));
        frames.push_back(bytes.substr(at, length));
        at += length;
    }
    return frames;
}

struct Pieces {
    std::string info; // the first piece's Info frame, a whole file's header to patch
    std::vector<std::vector<std::string>> audio;
    int64_t slotSamples = 0; // each piece's length as it plays joined
};

const Pieces& pieces() {
    static const Pieces made = [] {
        Pieces p;
        for (int i = 0; i < kPieces; ++i) {
            const std::string path =
                (test_support::processFolder() / ("piece" + std::to_string(i) + ".mp3")).string();
            fixtures::writeAudio(path, fixtures::sine(pitchOf(i), kPieceSeconds, kRate, 1),
                                 Kind::Mp3Cbr, {}, 32);
            std::vector<std::string> frames = framesOf(path);
            std::filesystem::remove(path);
            p.info = frames.front();
            p.audio.emplace_back(frames.begin() + 1, frames.end());
        }
        p.slotSamples = static_cast<int64_t>(p.audio[0].size()) * kSamplesPerFrame;
        return p;
    }();
    return made;
}

// The piece that plays in slot `slot`: the order runs through all of them, then over again.
int pieceAt(int64_t slot) {
    return static_cast<int>(slot * 5 % kPieces);
}

enum class Header { None, Fitting, WrongByteCount };

// About `hours` of pieces joined frame by frame, as a cutter or `ffmpeg -c copy` joins them.
std::string writeJoined(const std::string& name, double hours, Header header) {
    const Pieces& p = pieces();
    const auto slots =
        static_cast<int64_t>(hours * 3600 * kRate / static_cast<double>(p.slotSamples));
    std::string audio;
    int64_t frames = 0;
    for (int64_t slot = 0; slot < slots; ++slot)
        for (const std::string& frame : p.audio[static_cast<size_t>(pieceAt(slot))]) {
            audio += frame;
            ++frames;
        }
    std::string info = p.info;
    constexpr size_t kXing = 4 + 17; // after a mono MPEG-1 frame's side information
    const uint32_t bytes = static_cast<uint32_t>(info.size() + audio.size());
    putBigEndian(info, kXing + 8, static_cast<uint32_t>(frames));
    putBigEndian(info, kXing + 12, header == Header::WrongByteCount ? bytes / 3 : bytes);
    const std::string path = (test_support::processFolder() / name).string();
    std::ofstream out(path, std::ios::binary);
    if (header != Header::None)
        out << info;
    out << audio;
    return path;
}

// Bytes this thread has read so far.
int64_t bytesReadByThisThread() {
    std::ifstream io("/proc/thread-self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

// The length once any background scan has ended.
double settledSeconds(const vbmp3::StreamFacts& facts) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (facts.laterLength && facts.laterLength->frames < 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return static_cast<double>(facts.framesNow()) / facts.sampleRate;
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
