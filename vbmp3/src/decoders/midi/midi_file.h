// A Standard MIDI File read into one time-ordered list of events and its tempo map.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vbmp3 {

// Tick to time conversion: every tempo change of every track, or a fixed SMPTE rate.
class TempoMap {
public:
    struct Change {
        int64_t tick;
        uint32_t microsPerQuarter;
    };
    // `ticksPerQuarter` > 0; changes in tick order (later ones at the same tick win).
    static TempoMap metrical(int ticksPerQuarter, const std::vector<Change>& changes);
    static TempoMap smpte(double ticksPerSecond);

    double seconds(int64_t tick) const;

private:
    struct Segment {
        int64_t tick;
        double startSeconds;
        double secondsPerTick;
    };
    std::vector<Segment> segments_; // never empty, in tick order
};

struct MidiEvent {
    int64_t tick;
    uint8_t status; // a channel message (0x80..0xEF) or 0xF0 for a system exclusive message
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint32_t sysex = 0; // index into MidiFile::sysexData for 0xF0
};

struct MidiFile {
    int format = 0;
    int trackCount = 0;
    std::vector<MidiEvent> events;      // every track merged, by tick, then track, then file order
    std::vector<std::string> sysexData; // payloads without the leading 0xF0 and trailing 0xF7
    TempoMap tempo = TempoMap::smpte(1.0);
    int64_t endTick = 0; // the largest end of any track
    // Text of the first track's name (meta 3), the first text event (meta 1), the first
    // copyright notice (meta 2), raw bytes as stored.
    std::string firstTrackName, firstText, copyright;
};

// Reads what can be read: a damaged track ends where its data stops making sense. nullopt
// without the "MThd" header, with an unusable time division, or without any track.
std::optional<MidiFile> parseMidiFile(const std::vector<uint8_t>& bytes);
std::optional<MidiFile> loadMidiFile(const std::string& path);

} // namespace vbmp3
