// Writes a test track whose pitch tells, at any moment, which track sounds and which second of it:
// an audio track steps up 40 Hz a second from its base frequency, a MIDI track one semitone a
// second from its base key. The end-to-end tests tell tracks and positions apart by it.
//
//   make_test_tone PATH wav|mp3|wma BASE_HZ SECONDS [KBPS]
//   make_test_tone PATH mid BASE_KEY SECONDS
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <numbers>
#include <string>

#include "fixtures/audio_writer.h"
#include "fixtures/midi_writer.h"

namespace {

constexpr double kStepHz = 40.0;

fixtures::Pcm steppedTone(double baseHz, double seconds) {
    fixtures::Pcm pcm;
    const auto frames = static_cast<size_t>(seconds * pcm.rate);
    pcm.samples.reserve(frames * 2);
    double phase = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double hz = baseHz + kStepHz * std::floor(double(i) / pcm.rate);
        phase += 2 * std::numbers::pi * hz / pcm.rate;
        const auto v = static_cast<float>(0.5 * std::sin(phase));
        pcm.samples.push_back(v);
        pcm.samples.push_back(v);
    }
    return pcm;
}

fixtures::MidiSong steppedNotes(int baseKey, double seconds) {
    fixtures::MidiSong song;
    song.format = 0;
    song.tempos.push_back({0, 500000}); // 120 beats a minute: a second is two quarters
    const int ticksPerSecond = 2 * song.ticksPerQuarter;
    fixtures::MidiTrack track;
    track.programs.push_back({0, 0, 73}); // a flute: close to a pure tone
    for (int s = 0; s < static_cast<int>(seconds); ++s)
        track.notes.push_back({int64_t(s) * ticksPerSecond, ticksPerSecond, 0, baseKey + s, 110});
    song.tracks.push_back(track);
    song.endTick = static_cast<int64_t>(seconds * ticksPerSecond);
    return song;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::cerr << "usage: make_test_tone PATH wav|mp3|wma|mid BASE SECONDS [KBPS]\n";
        return 2;
    }
    const std::string path = argv[1], kind = argv[2];
    const double base = std::atof(argv[3]), seconds = std::atof(argv[4]);
    const int kbps = argc == 6 ? std::atoi(argv[5]) : 128; // MP3 and WMA only
    try {
        if (kind == "mid")
            fixtures::writeMidi(path, steppedNotes(static_cast<int>(base), seconds));
        else if (kind == "wav")
            fixtures::writeAudio(path, steppedTone(base, seconds), fixtures::Kind::Wav16);
        else if (kind == "mp3")
            fixtures::writeAudio(path, steppedTone(base, seconds), fixtures::Kind::Mp3Cbr, {},
                                 kbps);
        else if (kind == "wma")
            fixtures::writeAudio(path, steppedTone(base, seconds), fixtures::Kind::WmaV2, {}, kbps);
        else {
            std::cerr << "make_test_tone: unknown kind " << kind << "\n";
            return 2;
        }
    } catch (const std::exception& e) {
        std::cerr << "make_test_tone: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
