// Writes the demo tracks into the folder given as the only argument: the tune as a MIDI file,
// and the same tune rendered through the engine's MIDI source as WAV, MP3 and WMA.
#include "decoders/midi/midi_source.h"
#include "decoders/midi/soundfont.h"
#include "demo_tune.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>

namespace {

// Every rendering peaks here, a decibel under full scale.
constexpr float kPeak = 0.89f;

fixtures::Pcm renderThroughEngine(const std::string& midiPath) {
    std::unique_ptr<vbmp3::Source> source = vbmp3::openMidiSource(midiPath);
    if (!source)
        throw std::runtime_error("the MIDI source cannot open " + midiPath);
    fixtures::Pcm pcm;
    pcm.rate = source->facts().sampleRate;
    pcm.channels = vbmp3::kOutputChannels;
    std::vector<float> block(4096 * vbmp3::kOutputChannels);
    while (size_t frames = source->read(block.data(), 4096))
        pcm.samples.insert(pcm.samples.end(), block.begin(),
                           block.begin() + static_cast<std::ptrdiff_t>(frames) * pcm.channels);
    float peak = 0;
    for (float s : pcm.samples)
        peak = std::max(peak, std::abs(s));
    if (peak > 0)
        for (float& s : pcm.samples)
            s *= kPeak / peak;
    return pcm;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_tracks OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        const std::string base = "Lantern Walk";
        const std::string midi = (folder / (base + " (MIDI).mid")).string();
        fixtures::writeMidi(midi, demo::lanternWalk());

        const fixtures::Pcm pcm = renderThroughEngine(midi);
        vbmp3::releaseSoundFont();
        const fixtures::TrackTags tags = demo::lanternWalkTags();
        fixtures::writeAudio((folder / (base + " (WAV).wav")).string(), pcm, fixtures::Kind::Wav16,
                             tags);
        fixtures::writeAudio((folder / (base + " (MP3).mp3")).string(), pcm, fixtures::Kind::Mp3Cbr,
                             tags, 192);
        fixtures::writeAudio((folder / (base + " (WMA).wma")).string(), pcm, fixtures::Kind::WmaV2,
                             tags, 128);
        std::printf("demo tracks: %.1f s each in %s\n", pcm.seconds(), folder.string().c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_demo_tracks: %s\n", error.what());
        return 1;
    }
    return 0;
}
