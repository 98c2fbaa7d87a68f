// FFmpeg's libraries come into the engine's decoder process only with the first file that nothing
// lighter plays, and what only decoding uses never comes into the engine's own process.
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

#include "fixtures/audio_writer.h"
#include "fixtures/midi_writer.h"
#include "temp_folder.h"

namespace {

// The libraries mapped after the probe played `files`, one a line, each after where it is mapped.
std::string librariesAfterPlaying(const std::vector<std::string>& files) {
    std::string command = MAPPED_LIBRARIES_PROBE;
    for (const std::string& file : files)
        command += " '" + file + "'";
    const std::unique_ptr<FILE, int (*)(FILE*)> probe(popen(command.c_str(), "r"), pclose);
    std::string out;
    std::array<char, 4096> buffer{};
    for (size_t got; probe && (got = fread(buffer.data(), 1, buffer.size(), probe.get())) > 0;)
        out.append(buffer.data(), got);
    return out;
}

TEST(MappedLibraries, FfmpegOnlyAfterAFileThatNeedsIt) {
    const test_support::TempFolder folder;
    const std::string mp3 = folder.file("a.mp3"), wav = folder.file("b.wav"),
                      mid = folder.file("c.mid"), wma = folder.file("d.wma");
    fixtures::writeAudio(mp3, fixtures::sine(440, 1), fixtures::Kind::Mp3Vbr);
    fixtures::writeAudio(wav, fixtures::sine(440, 1), fixtures::Kind::WavAdpcmMs);
    fixtures::writeAudio(wma, fixtures::sine(440, 1), fixtures::Kind::WmaV2);
    fixtures::MidiTrack track;
    track.notes = {{0, 480, 0, 60, 100}};
    fixtures::MidiSong song;
    song.tracks = {track};
    fixtures::writeMidi(mid, song);

    // Decoding happens in the decoder process: the engine's own process maps none of the
    // libraries that only decoding uses (libmpg123 comes with the sound server's client library,
    // through libsndfile), whatever it played.
    const std::string light = librariesAfterPlaying({mp3, wav, mid});
    ASSERT_NE(light.find("engine libvbmp3.so"), std::string::npos) << "the probe ran";
    EXPECT_NE(light.find("decoder libmpg123"), std::string::npos) << light;
    for (const char* decoding : {"engine libtag", "engine libfluidsynth"})
        EXPECT_EQ(light.find(decoding), std::string::npos) << light;
    EXPECT_EQ(light.find("libavcodec"), std::string::npos) << light;
    EXPECT_EQ(light.find("libavformat"), std::string::npos) << light;

    const std::string withWma = librariesAfterPlaying({mp3, wma});
    EXPECT_NE(withWma.find("decoder libavcodec"), std::string::npos) << withWma;
    EXPECT_NE(withWma.find("decoder libavformat"), std::string::npos) << withWma;
    EXPECT_EQ(withWma.find("engine libavcodec"), std::string::npos) << withWma;
}

} // namespace
