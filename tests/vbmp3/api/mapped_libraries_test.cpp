// FFmpeg's libraries come into the process only with the first file that nothing lighter plays.
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

#include "fixtures/audio_writer.h"
#include "fixtures/midi_writer.h"
#include "temp_folder.h"

namespace {

// The libraries mapped after the probe played `files`, one a line.
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

    const std::string light = librariesAfterPlaying({mp3, wav, mid});
    ASSERT_NE(light.find("libvbmp3.so"), std::string::npos) << "the probe ran";
    EXPECT_NE(light.find("libmpg123"), std::string::npos);
    EXPECT_EQ(light.find("libavcodec"), std::string::npos) << light;
    EXPECT_EQ(light.find("libavformat"), std::string::npos) << light;

    const std::string withWma = librariesAfterPlaying({mp3, wma});
    EXPECT_NE(withWma.find("libavcodec"), std::string::npos);
    EXPECT_NE(withWma.find("libavformat"), std::string::npos);
}

} // namespace
