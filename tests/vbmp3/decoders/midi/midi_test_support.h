// Temporary MIDI files and rendering helpers for the MIDI tests.
#pragma once

#include "decoders/midi/midi_synth.h"
#include "decoders/source.h"
#include "fixtures/midi_writer.h"
#include "sample_levels.h"
#include "temp_folder.h"

#include <string>
#include <vector>

namespace midi_test {

using test_support::peakOf;
using test_support::rms;

// The small SoundFont, so each test process loads in a tenth of a second.
inline const std::string kSmallSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

inline std::string tempPath(const std::string& name) {
    return (test_support::processFolder() / name).string();
}

inline std::string writeSong(const std::string& name, const fixtures::MidiSong& song) {
    const std::string path = tempPath(name);
    fixtures::writeMidi(path, song);
    return path;
}

inline std::string writeRaw(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = tempPath(name);
    fixtures::writeBytes(path, bytes);
    return path;
}

// One track of notes at 120 beats per minute, 480 ticks per quarter (960 ticks a second).
inline fixtures::MidiSong songOf(std::vector<fixtures::MidiNote> notes, int program = 0) {
    fixtures::MidiSong song;
    fixtures::MidiTrack track;
    track.programs.push_back({0, 0, program});
    track.notes = std::move(notes);
    song.tracks.push_back(track);
    return song;
}

inline constexpr int64_t kTicksPerSecond = 960;

// Reads up to `frames` frames (less at the end), interleaved stereo.
inline std::vector<float> render(vbmp3::Source& source, int64_t frames) {
    std::vector<float> out(static_cast<size_t>(frames) * vbmp3::kOutputChannels);
    int64_t done = 0;
    while (done < frames) {
        const size_t got = source.read(out.data() + done * vbmp3::kOutputChannels,
                                       static_cast<size_t>(std::min<int64_t>(frames - done, 1000)));
        if (got == 0)
            break;
        done += static_cast<int64_t>(got);
    }
    out.resize(static_cast<size_t>(done) * vbmp3::kOutputChannels);
    return out;
}

inline int64_t seconds(double s) {
    return std::llround(s * vbmp3::kMidiRate);
}

} // namespace midi_test
