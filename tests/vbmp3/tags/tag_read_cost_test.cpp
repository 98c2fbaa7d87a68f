// What a tag read costs: the bytes it reads and its CPU time stay bounded whatever the file's size,
// and what a file's tags hold still comes back; the thread that calls the C function reads none of
// it. The big files are sparse, so the disk is left alone.
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

#include "decoders/source.h"
#include "fixtures/audio_writer.h"
#include "fixtures/id3v2_writer.h"
#include "tags/tags.h"
#include "temp_folder.h"
#include "vbmp3.h"

namespace {

constexpr uint64_t kKiB = 1024, kMiB = 1024 * kKiB, kGiB = 1024 * kMiB;
// What the look at a file's first bytes for its kind may read on top of the tags themselves.
constexpr uint64_t kKindLook = 256 * kKiB;

// What is less than any read of a file's tags (the first look at its head alone takes more): the
// count of the bytes read itself, and the odd read of the system's own (a code page's table).
constexpr uint64_t kNoneOfTheFile = 1 * kKiB;

// The bytes this thread has read through system calls.
uint64_t bytesReadByThisThread() {
    std::ifstream io("/proc/thread-self/io");
    std::string key;
    for (uint64_t value = 0; io >> key >> value;)
        if (key == "rchar:")
            return value;
    ADD_FAILURE() << "no rchar in /proc/thread-self/io";
    return 0;
}

double cpuSecondsOfThisThread() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string littleEndian(uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i, value >>= 8)
        out += static_cast<char>(value & 0xFF);
    return out;
}

// `head`, then a hole up to `size` bytes, then `tail`.
void writeSparse(const std::string& path, const std::string& head, uint64_t size,
                 const std::string& tail = {}) {
    std::ofstream(path, std::ios::binary) << head;
    std::filesystem::resize_file(path, size);
    std::ofstream(path, std::ios::binary | std::ios::app) << tail;
}

std::string riffChunk(const std::string& id, const std::string& body) {
    return id + littleEndian(body.size(), 4) + body + (body.size() % 2 ? "\0" : "");
}

// A 16-bit stereo WAV whose samples (a hole) run for `dataBytes`, with its INFO list after them.
void writeWaveWithInfoAtTheEnd(const std::string& path, uint64_t dataBytes) {
    const std::string format = littleEndian(1, 2) + littleEndian(2, 2) + littleEndian(44100, 4) +
                               littleEndian(44100 * 4, 4) + littleEndian(4, 2) +
                               littleEndian(16, 2);
    const std::string info = riffChunk("LIST", "INFO" + riffChunk("INAM", std::string("Far\0", 4)));
    const std::string head =
        "WAVE" + riffChunk("fmt ", format) + "data" + littleEndian(dataBytes, 4);
    const uint64_t size = 8 + head.size() + dataBytes + info.size();
    writeSparse(path, "RIFF" + littleEndian(size - 8, 4) + head, size - info.size(), info);
}

// A WAV whose samples are preceded by as many empty chunks as `bytes` hold.
void writeWaveOfEmptyChunks(const std::string& path, uint64_t bytes) {
    std::string chunks;
    for (uint64_t i = 0; i < bytes / 8; ++i)
        chunks += riffChunk("JUNK", "");
    std::ofstream(path, std::ios::binary)
        << "RIFF" + littleEndian(4 + chunks.size(), 4) + "WAVE" + chunks;
}

// A MIDI file whose one track names itself and then claims `trackBytes` of nothing.
void writeMidiWithLongTrack(const std::string& path, uint64_t trackBytes) {
    const std::string header = std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14);
    const std::string track =
        "MTrk" + std::string{static_cast<char>(trackBytes >> 24),
                             static_cast<char>(trackBytes >> 16),
                             static_cast<char>(trackBytes >> 8), static_cast<char>(trackBytes)};
    writeSparse(path, header + track + std::string("\0\xFF\x03\x03", 4) + "Far",
                header.size() + track.size() + trackBytes);
}

// An ASF header object whose one inner object claims to run to the end of `size` bytes.
void writeAsfWithHugeObject(const std::string& path, uint64_t size) {
    const std::string guid = "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
    const std::string unknown(16, '\x42');
    writeSparse(path,
                guid + littleEndian(size, 8) + littleEndian(1, 4) + std::string(2, '\0') + unknown +
                    littleEndian(size - 30, 8),
                size);
}

const fixtures::TrackTags kTags{"Near", "Artist", "Album", "Rock", "2026", "", -1};

void writeTaggedMp3(const std::string& path, double seconds, size_t pictureBytes) {
    fixtures::writeAudio(path, fixtures::sine(440, seconds), fixtures::Kind::Mp3Cbr);
    fixtures::replaceId3v2(path,
                           fixtures::id3v2Tag(kTags, {fixtures::Id3Text::Utf16, pictureBytes}));
}

struct Case {
    const char* name;
    const char* fileName;
    std::function<void(const std::string& path)> write;
    uint64_t maxBytesRead;
    std::string title;
};

class TagReadCost : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(vbmp3_init(), 0); }
    static void TearDownTestSuite() { vbmp3_free(); }
};

TEST_F(TagReadCost, BoundedForEveryFileWhateverItsSize) {
    const Case cases[] = {
        {"8 GiB of nothing", "nothing.mp3",
         [](const std::string& p) { writeSparse(p, "", 8 * kGiB); }, 4 * kKiB, ""},
        {"100 MiB of nothing", "zeros.mp3",
         [](const std::string& p) { writeSparse(p, "", 100 * kMiB); }, 4 * kKiB, ""},
        {"a FLAC named .mp3", "flac.mp3",
         [](const std::string& p) { writeSparse(p, "fLaC\0\0\0\x22", 7 * kMiB); }, 4 * kKiB, ""},
        {"one MPEG frame header, then nothing", "cut.mp3",
         [](const std::string& p) { writeSparse(p, "\xFF\xFB\x90\x64", 100 * kMiB); }, 4 * kKiB,
         ""},
        {"an ID3v2 tag in front of a FLAC", "tagged.flac",
         [](const std::string& p) {
             writeSparse(p, fixtures::id3v2Tag(kTags) + "fLaC\0\0\0\x22", 7 * kMiB);
         },
         16 * kKiB, "Near"},
        {"a real MP3 of two minutes", "long.mp3",
         [](const std::string& p) { writeTaggedMp3(p, 120, 0); }, 16 * kKiB, "Near"},
        {"a real MP3 with an 8 MiB picture", "picture.mp3",
         [](const std::string& p) { writeTaggedMp3(p, 1, 8 * kMiB); }, 8 * kMiB + 16 * kKiB,
         "Near"},
        {"a WAV with its INFO after 100 MiB of samples", "far.wav",
         [](const std::string& p) { writeWaveWithInfoAtTheEnd(p, 100 * kMiB); }, 4 * kKiB, "Far"},
        {"an ID3v2 tag that claims 200 MiB", "claims.mp3",
         [](const std::string& p) {
             writeSparse(p, fixtures::id3v2Tag(kTags, {fixtures::Id3Text::Utf16, 0, 200 * kMiB}),
                         201 * kMiB);
         },
         16 * kMiB + 4 * kKiB, "Near"},
        {"a WAV of a quarter million empty chunks", "chunks.wav",
         [](const std::string& p) { writeWaveOfEmptyChunks(p, 2 * kMiB); }, 64 * kKiB, ""},
        {"a MIDI track that claims 60 MiB", "far.mid",
         [](const std::string& p) { writeMidiWithLongTrack(p, 60 * kMiB); }, 1 * kMiB + 4 * kKiB,
         "Far"},
        {"an ASF header object that claims 100 MiB", "huge.wma",
         [](const std::string& p) { writeAsfWithHugeObject(p, 100 * kMiB); }, 16 * kMiB + 4 * kKiB,
         ""},
    };
    const test_support::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.fileName);
        c.write(path);
        // As the engine's file thread reads them.
        vbmp3::Tags tags;
        const uint64_t bytesBefore = bytesReadByThisThread();
        const double cpuBefore = cpuSecondsOfThisThread();
        EXPECT_TRUE(vbmp3::readTags(path, tags));
        const double cpuSeconds = cpuSecondsOfThisThread() - cpuBefore;
        const uint64_t bytesRead = bytesReadByThisThread() - bytesBefore;
        EXPECT_LE(bytesRead, c.maxBytesRead + kKindLook);
        EXPECT_LT(cpuSeconds, 1.0);
        EXPECT_EQ(tags.title, c.title);

        // Whatever it answers within its bound.
        vbmp3_TagInfo tag{};
        const uint64_t callerBefore = bytesReadByThisThread();
        vbmp3_getFileTagInfo(path.c_str(), &tag);
        EXPECT_LT(bytesReadByThisThread() - callerBefore, kNoneOfTheFile)
            << "the caller read the file";
        std::filesystem::remove(path);
    }
}

// A picture is read through the same windows as the tag text: the bytes it costs are bounded by
// the picture, never by the file.
TEST_F(TagReadCost, APictureReadIsBoundedToo) {
    const struct {
        const char* name;
        const char* fileName;
        std::function<void(const std::string& path)> write;
        uint64_t maxBytesRead;
        uint64_t pictureBytes;
    } cases[] = {
        {"8 GiB of nothing", "nothing.mp3",
         [](const std::string& p) { writeSparse(p, "", 8 * kGiB); }, 4 * kKiB, 0},
        {"a real MP3 with an 8 MiB picture", "picture.mp3",
         [](const std::string& p) { writeTaggedMp3(p, 1, 8 * kMiB); }, 8 * kMiB + 16 * kKiB,
         8 * kMiB},
        {"an ID3v2 tag that claims 200 MiB", "claims.mp3",
         [](const std::string& p) {
             writeSparse(p, fixtures::id3v2Tag(kTags, {fixtures::Id3Text::Utf16, kMiB, 200 * kMiB}),
                         201 * kMiB);
         },
         16 * kMiB + 4 * kKiB, kMiB},
        {"a WAV with its INFO after 100 MiB of samples", "far.wav",
         [](const std::string& p) { writeWaveWithInfoAtTheEnd(p, 100 * kMiB); }, 4 * kKiB, 0},
        {"an ASF header object that claims 100 MiB", "huge.wma",
         [](const std::string& p) { writeAsfWithHugeObject(p, 100 * kMiB); }, 16 * kMiB + 4 * kKiB,
         0},
        {"a MIDI track that claims 60 MiB", "far.mid",
         [](const std::string& p) { writeMidiWithLongTrack(p, 60 * kMiB); }, 0, 0},
    };
    const test_support::TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.fileName);
        c.write(path);
        int32_t size = -1;
        const uint64_t bytesBefore = bytesReadByThisThread();
        vbmp3_getFilePicture(path.c_str(), nullptr, 0, &size);
        EXPECT_LE(bytesReadByThisThread() - bytesBefore, c.maxBytesRead + kKindLook);
        EXPECT_EQ(size, static_cast<int32_t>(c.pictureBytes));
        std::filesystem::remove(path);
    }
}

} // namespace
