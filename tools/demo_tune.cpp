#include "demo_tune.h"

#include <array>
#include <initializer_list>

namespace demo {

namespace {

constexpr int kTicksPerBeat = 480;
constexpr int kBeatsPerBar = 4;
constexpr int kBars = 9; // eight bars of tune and a held final chord

enum Channel { Melody = 0, Chords = 1, Bass = 2, Drums = 9 };
enum Program { Flute = 73, ElectricPiano = 4, FingeredBass = 33 };
enum Drum { Kick = 36, Snare = 38, ClosedHat = 42, Crash = 49 };

int64_t at(int bar, double beat) {
    return static_cast<int64_t>((bar * kBeatsPerBar + beat) * kTicksPerBeat);
}

int64_t beats(double count) {
    return static_cast<int64_t>(count * kTicksPerBeat);
}

struct Step {
    int key;
    double beats;
};

// The tune, bar by bar, each bar's steps filling its four beats.
const std::array<std::initializer_list<Step>, kBars> kMelody = {{
    {{64, 1}, {67, 1}, {72, 1.5}, {71, 0.5}},
    {{69, 1}, {67, 1}, {64, 2}},
    {{65, 1}, {69, 1}, {72, 1}, {74, 1}},
    {{71, 1.5}, {69, 0.5}, {67, 2}},
    {{64, 1}, {67, 1}, {72, 1}, {76, 1}},
    {{74, 1}, {72, 1}, {69, 2}},
    {{65, 1}, {69, 1}, {71, 1}, {74, 1}},
    {{76, 1}, {74, 1}, {71, 2}},
    {{72, 4}},
}};

// Two chords a bar (root position triads around middle C), the last one held.
struct Chord {
    int root; // the bass note
    std::array<int, 3> keys;
};
constexpr Chord kC{36, {60, 64, 67}}, kAm{33, {57, 60, 64}}, kF{41, {57, 60, 65}},
    kG{43, {55, 59, 62}};
const std::array<std::array<Chord, 2>, kBars> kHarmony = {{
    {kC, kC},
    {kAm, kAm},
    {kF, kF},
    {kG, kG},
    {kC, kC},
    {kAm, kAm},
    {kF, kG},
    {kG, kG},
    {kC, kC},
}};

fixtures::MidiTrack melody() {
    fixtures::MidiTrack track;
    track.name = "Lantern Walk";
    track.programs = {{0, Melody, Flute}};
    for (int bar = 0; bar < kBars; ++bar) {
        double beat = 0;
        for (const Step& step : kMelody[bar]) {
            track.notes.push_back({at(bar, beat), beats(step.beats * 0.95), Melody, step.key, 100});
            beat += step.beats;
        }
    }
    return track;
}

fixtures::MidiTrack chords() {
    fixtures::MidiTrack track;
    track.name = "Chords";
    track.programs = {{0, Chords, ElectricPiano}};
    for (int bar = 0; bar < kBars; ++bar) {
        const bool last = bar == kBars - 1;
        for (int half = 0; half < (last ? 1 : 2); ++half)
            for (int key : kHarmony[bar][half].keys)
                track.notes.push_back({at(bar, half * 2), beats(last ? 4 : 1.9), Chords, key, 70});
    }
    return track;
}

fixtures::MidiTrack bass() {
    fixtures::MidiTrack track;
    track.name = "Bass";
    track.programs = {{0, Bass, FingeredBass}};
    for (int bar = 0; bar < kBars; ++bar) {
        if (bar == kBars - 1) {
            track.notes.push_back({at(bar, 0), beats(4), Bass, kC.root, 95});
            break;
        }
        for (int half = 0; half < 2; ++half) {
            const int root = kHarmony[bar][half].root;
            track.notes.push_back({at(bar, half * 2), beats(1.4), Bass, root, 95});
            track.notes.push_back({at(bar, half * 2 + 1.5), beats(0.45), Bass, root + 7, 80});
        }
    }
    return track;
}

fixtures::MidiTrack drums() {
    fixtures::MidiTrack track;
    track.name = "Drums";
    for (int bar = 0; bar < kBars - 1; ++bar) {
        for (int eighth = 0; eighth < 8; ++eighth)
            track.notes.push_back(
                {at(bar, eighth * 0.5), beats(0.25), Drums, ClosedHat, eighth % 2 ? 45 : 65});
        for (int beat : {0, 2})
            track.notes.push_back({at(bar, beat), beats(0.5), Drums, Kick, 105});
        for (int beat : {1, 3})
            track.notes.push_back({at(bar, beat), beats(0.5), Drums, Snare, 85});
    }
    track.notes.push_back({at(kBars - 1, 0), beats(2), Drums, Crash, 90});
    track.notes.push_back({at(kBars - 1, 0), beats(0.5), Drums, Kick, 105});
    return track;
}

} // namespace

fixtures::MidiSong lanternWalk() {
    fixtures::MidiSong song;
    song.ticksPerQuarter = kTicksPerBeat;
    song.copyright = "Copyright (c) 2026 the Tonalisk authors; free to copy and share";
    // 100 beats a minute, slowing over the last bar and a half.
    song.tempos = {{0, 600000}, {at(kBars - 2, 2), 666667}, {at(kBars - 1, 0), 800000}};
    song.tracks = {melody(), chords(), bass(), drums()};
    song.endTick = at(kBars, 0);
    return song;
}

fixtures::TrackTags lanternWalkTags() {
    fixtures::TrackTags tags;
    tags.title = "Lantern Walk";
    tags.artist = "Tonalisk";
    tags.album = "Tonalisk Demo Tracks";
    tags.genre = "Instrumental";
    tags.id3v1Genre = 33; // Instrumental
    tags.year = "2026";
    tags.comment = "Original demo tune";
    return tags;
}

} // namespace demo
