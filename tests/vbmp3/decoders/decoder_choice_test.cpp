// Which decoder takes a file: its content decides, for playback and tags alike, and only a
// regular file reaches one, whatever its name looks like.
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vbmp3.h>

#include "decoders/source.h"
#include "fixtures/audio_writer.h"
#include "fixtures/midi_writer.h"
#include "tags/tags.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

const fixtures::TrackTags kWaveTags{"Wave Title", "", "", "", "", "", -1};

fixtures::MidiSong namedSong() {
    fixtures::MidiTrack track;
    track.name = "Midi Title";
    track.notes = {{0, 480, 0, 60, 100}};
    fixtures::MidiSong song;
    song.tracks = {track};
    return song;
}

// The kind of file the chosen decoder plays and the title its tag reader finds.
using Reading = std::pair<int32_t, std::string>;
const Reading kRefused{-1, "(refused)"};

Reading readAsTheEngineDoes(const std::string& path) {
    std::unique_ptr<vbmp3::Source> source = vbmp3::openSource(path);
    vbmp3::Tags tags;
    const bool tagged = vbmp3::readTags(path, tags);
    return {source ? source->facts().fileKind : -1, tagged ? tags.title : "(refused)"};
}

// Works in `folder` for as long as it lives, so that relative names resolve there.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder) : before_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~WorkingFolder() { fs::current_path(before_); }

private:
    fs::path before_;
};

// Reads on its own thread; if it blocks on the FIFO, writers that come and go end its
// wait, so that the failure is reported rather than hanging the run.
void expectRefusedWithoutBlocking(const std::string& fifo) {
    auto result = std::async(std::launch::async, [&] { return readAsTheEngineDoes(fifo); });
    if (result.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "reading a FIFO blocked";
        while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
            if (const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); writer >= 0)
                ::close(writer);
    }
    EXPECT_EQ(result.get(), kRefused);
}

TEST(DecoderChoice, TheContentDecidesWhateverTheNameSays) {
    const test_support::TempFolder folder;
    const std::string midiAsMp3 = folder.file("song.mp3");
    fixtures::writeMidi(midiAsMp3, namedSong());
    const std::string waveAsMidi = folder.file("tone.mid");
    fixtures::writeAudio(waveAsMidi, fixtures::sine(440, 0.5), fixtures::Kind::Wav16, kWaveTags);

    EXPECT_EQ(readAsTheEngineDoes(midiAsMp3), Reading(VBMP3_KIND_MIDI, "Midi Title"));
    EXPECT_EQ(readAsTheEngineDoes(waveAsMidi), Reading(VBMP3_KIND_WAVE, "Wave Title"));
}

TEST(DecoderChoice, OnlyRegularFilesReachADecoder) {
    const test_support::TempFolder folder;
    const std::string fifo = folder.file("stream.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    expectRefusedWithoutBlocking(fifo);
    EXPECT_EQ(readAsTheEngineDoes(folder.path().string()), kRefused);
}

// A file that ends inside a decoder's signature plays nothing and takes nothing down.
TEST(DecoderChoice, AFileCutShortInsideASignatureIsRefused) {
    const test_support::TempFolder folder;
    const std::string heads[] = {"RIFF",
                                 "RIFFx",
                                 std::string("RIFF\0\0\0\0WAV", 11),
                                 "MThd",
                                 "ID3",
                                 "\xFF\xFB",
                                 "\x30\x26\xB2\x75\x8E"};
    for (const std::string& head : heads) {
        SCOPED_TRACE(testing::PrintToString(head));
        const std::string path = folder.file("short.wav");
        std::ofstream(path, std::ios::binary) << head;
        EXPECT_EQ(readAsTheEngineDoes(path).first, -1);
    }
}

// FFmpeg would read "pipe:0" from standard input and "http:..." from the network.
TEST(DecoderChoice, NamesThatLookLikeAnotherProtocolAreLocalFiles) {
    const test_support::TempFolder folder;
    const WorkingFolder inside(folder.path());
    EXPECT_EQ(readAsTheEngineDoes("pipe:0"), kRefused);
    fixtures::writeAudio("tone.wav", fixtures::sine(440, 0.5), fixtures::Kind::Wav16, kWaveTags);
    fs::rename("tone.wav", "pipe:0");
    EXPECT_EQ(readAsTheEngineDoes("pipe:0"), Reading(VBMP3_KIND_WAVE, "Wave Title"));
}

} // namespace
