#include "track_folder.h"

#include "file_bytes.h"
#include "fixtures/audio_writer.h"
#include "fixtures/midi_writer.h"

#include <random>

namespace soak {
namespace {

using fixtures::Kind;
using test_support::readBytes;

std::vector<uint8_t> randomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes)
        hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

fixtures::MidiSong shortSong() {
    fixtures::MidiSong song;
    fixtures::MidiTrack track;
    track.name = "Soak";
    track.programs = {{0, 0, 0}};
    for (int i = 0; i < 4; ++i)
        track.notes.push_back({i * 240, 200, 0, 60 + 2 * i, 100});
    song.tracks = {track};
    return song;
}

} // namespace

TrackFolder::TrackFolder() {
    // Short tracks, so that playing one to its end costs little.
    const fixtures::Pcm tone = fixtures::sine(440, 1.1);
    const fixtures::TrackTags tags{"Soak", "Tonalisk", "Tests", "Rock", "2026", "", 17};
    const std::pair<const char*, Kind> kinds[] = {
        {"pcm16.wav", Kind::Wav16},
        {"pcm8.wav", Kind::Wav8},
        {"pcm24.wav", Kind::Wav24},
        {"float.wav", Kind::Wav32Float},
        {"ima.wav", Kind::WavAdpcmIma},
        {"ms.wav", Kind::WavAdpcmMs},
        {"cbr.mp3", Kind::Mp3Cbr},
        {"vbr.mp3", Kind::Mp3Vbr},
        {"vbr-noxing.mp3", Kind::Mp3VbrNoXing},
        {"v1.wma", Kind::WmaV1},
        {"v2.wma", Kind::WmaV2},
    };
    for (const auto& [name, kind] : kinds) {
        fixtures::writeAudio(pathFor(name), tone, kind, tags);
        music_.push_back(pathFor(name));
    }
    fixtures::writeMidi(pathFor("song.mid"), shortSong());
    music_.push_back(pathFor("song.mid"));

    // Cut audio still decodes the part it holds, so it counts as music that must end cleanly.
    const std::vector<uint8_t> mp3 = readBytes(pathFor("cbr.mp3"));
    fixtures::writeBytes(pathFor("cut.mp3"), {mp3.begin(), mp3.begin() + mp3.size() / 2});
    const std::vector<uint8_t> wav = readBytes(pathFor("pcm16.wav"));
    fixtures::writeBytes(pathFor("cut.wav"), {wav.begin(), wav.begin() + wav.size() / 3});
    music_.push_back(pathFor("cut.mp3"));
    music_.push_back(pathFor("cut.wav"));

    const std::vector<uint8_t> midi = fixtures::encodeMidi(shortSong());
    fixtures::writeBytes(pathFor("cut.mid"), {midi.begin(), midi.begin() + 30});
    fixtures::writeBytes(pathFor("empty.mp3"), {});
    fixtures::writeBytes(pathFor("noise.mp3"), randomBytes(48 * 1024, 1));
    fixtures::writeBytes(pathFor("noise.mid"), randomBytes(4 * 1024, 2));
    damaged_ = {pathFor("cut.mid"),   pathFor("empty.mp3"),   pathFor("noise.mp3"),
                pathFor("noise.mid"), pathFor("missing.wav"), root_.path().string()};
}

std::map<std::string, uint64_t> TrackFolder::checksums() const {
    std::map<std::string, uint64_t> sums;
    for (const auto& entry : std::filesystem::directory_iterator(root_.path()))
        sums[entry.path().string()] = fnv1a(readBytes(entry.path().string()));
    return sums;
}

} // namespace soak
