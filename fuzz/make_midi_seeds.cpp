// Writes a few short MIDI files into a folder, as starting points for the fuzzer: between them
// they hold every kind of event the engine's parser knows.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <vector>

#include "fixtures/midi_writer.h"

namespace {

using fixtures::MidiNote;
using fixtures::MidiSong;

MidiSong oneTrack() {
    MidiSong song;
    song.format = 0;
    song.copyright = "(c) seed";
    song.tempos = {{0, 400000}, {120, 250000}};
    song.tracks = {{"Seed", "one track", {{0, 0, 19}}, {{0, 240, 0, 60, 100}, {60, 180, 0, 64}}}};
    return song;
}

MidiSong twoTracks() {
    MidiSong song;
    song.ticksPerQuarter = 96;
    song.tracks = {{"Melody", "", {{0, 1, 40}}, {{0, 48, 1, 72, 90}}},
                   {"Drums", "", {}, {{0, 24, 9, 36, 127}, {24, 24, 9, 42, 80}}}};
    return song;
}

// SMPTE time, running status, controller, pitch bend, pressure and a system exclusive message.
std::vector<uint8_t> smpteWithEverything() {
    const std::vector<uint8_t> body = {
        0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, // General MIDI on
        0x00, 0xB0, 0x07, 0x64,                         // volume
        0x00, 0x90, 0x3C, 0x60, 0x10, 0x40, 0x50,       // two notes, the second by running status
        0x08, 0xE0, 0x00, 0x50,                         // pitch bend
        0x08, 0xD0, 0x30, 0x04, 0xA0, 0x3C, 0x20,       // channel and key pressure
        0x20, 0x80, 0x3C, 0x00, 0x00, 0x40, 0x00,       // note-offs
        0x00, 0xFF, 0x2F, 0x00};
    std::vector<uint8_t> bytes = fixtures::midiHeader(0, 1, 0xE728); // 25 frames of 40 ticks
    const std::vector<uint8_t> track = fixtures::chunk("MTrk", body);
    bytes.insert(bytes.end(), track.begin(), track.end());
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    try {
        std::filesystem::create_directories(folder);
        fixtures::writeMidi((folder / "one_track.mid").string(), oneTrack());
        fixtures::writeMidi((folder / "two_tracks.mid").string(), twoTracks());
        fixtures::writeBytes((folder / "smpte.mid").string(), smpteWithEverything());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
