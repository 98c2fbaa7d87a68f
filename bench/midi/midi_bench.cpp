// MIDI rendering speed against the fluidsynth command line on the same file and SoundFont, and
// the time of the first MIDI open including the SoundFont load.
#include "decoders/midi/midi_source.h"
#include "decoders/midi/midi_synth.h"
#include "decoders/midi/soundfont.h"
#include "demo_tune.h"
#include "read_to_end.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

const std::string kSmallSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int kRepeats = 4; // the demo tune four times over: about a minute and a half

std::string benchPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("tonalisk_midi_bench_" + name)).string();
}

// The demo tune played `repeats` times in a row.
fixtures::MidiSong repeated(int repeats) {
    const fixtures::MidiSong once = demo::lanternWalk();
    fixtures::MidiSong song = once;
    song.tempos.clear();
    for (auto& track : song.tracks)
        track.notes.clear();
    for (int r = 0; r < repeats; ++r) {
        const int64_t offset = r * once.endTick;
        for (auto tempo : once.tempos)
            song.tempos.push_back({tempo.tick + offset, tempo.microsPerQuarter});
        for (size_t t = 0; t < once.tracks.size(); ++t)
            for (auto note : once.tracks[t].notes) {
                note.tick += offset;
                song.tracks[t].notes.push_back(note);
            }
    }
    song.endTick = repeats * once.endTick;
    return song;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Renders the whole file; returns the audio seconds.
double renderAll(const std::string& path, const std::shared_ptr<vbmp3::MidiSynth>& synth) {
    auto source = vbmp3::openMidiSourceWith(path, synth);
    return readToEnd(*source);
}

double runFluidsynth(const std::string& midiPath) {
    const std::string command = "fluidsynth -q -n -i -r " + std::to_string(vbmp3::kMidiRate) +
                                " -F '" + benchPath("cli.wav") + "' '" + kSmallSoundFont + "' '" +
                                midiPath + "' > /dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        return -1;
    return secondsSince(start);
}

// Our rendering time against fluidsynth -F's (less its start-up and SoundFont load, measured on
// a file with no notes); "ratio" is theirs over ours, so above 1 means faster than fluidsynth.
void BM_RenderAgainstFluidsynthCli(benchmark::State& state) {
    const std::string tune = benchPath("tune.mid");
    fixtures::writeMidi(tune, repeated(kRepeats));
    fixtures::MidiSong empty = repeated(1);
    for (auto& track : empty.tracks)
        track.notes.clear();
    empty.endTick = 1;
    const std::string nothing = benchPath("empty.mid");
    fixtures::writeMidi(nothing, empty);
    auto synth = vbmp3::loadMidiSynth(kSmallSoundFont);
    if (!synth) {
        state.SkipWithError("no TimGM6mb SoundFont");
        return;
    }
    double ours = 0, theirs = 0, audio = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        audio = renderAll(tune, synth);
        const double elapsed = secondsSince(start);
        state.SetIterationTime(elapsed);
        ours += elapsed;
        const double cli = runFluidsynth(tune), startup = runFluidsynth(nothing);
        if (cli < 0 || startup < 0) {
            state.SkipWithError("fluidsynth -F failed");
            return;
        }
        theirs += cli - startup;
    }
    state.counters["audio_s"] = audio;
    state.counters["realtime_x"] = audio * double(state.iterations()) / ours;
    state.counters["ratio"] = theirs / ours;
}
BENCHMARK(BM_RenderAgainstFluidsynthCli)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// From nothing loaded to the first rendered block, with the small SoundFont.
void BM_FirstOpenWithSmallSoundFont(benchmark::State& state) {
    const std::string tune = benchPath("open.mid");
    fixtures::writeMidi(tune, demo::lanternWalk());
    float block[64 * vbmp3::kOutputChannels];
    for (auto _ : state) {
        auto source = vbmp3::openMidiSourceWith(tune, vbmp3::loadMidiSynth(kSmallSoundFont));
        benchmark::DoNotOptimize(source->read(block, 64));
    }
}
BENCHMARK(BM_FirstOpenWithSmallSoundFont)->Unit(benchmark::kMillisecond)->Iterations(10);

// The same through the engine's own search and background load (Debian's default-GM choice).
void BM_FirstOpenWithEngineSoundFont(benchmark::State& state) {
    const std::string tune = benchPath("open.mid");
    fixtures::writeMidi(tune, demo::lanternWalk());
    float block[64 * vbmp3::kOutputChannels];
    for (auto _ : state) {
        vbmp3::startSoundFontLoad();
        auto source = vbmp3::openMidiSource(tune);
        if (!source) {
            state.SkipWithError("no SoundFont");
            return;
        }
        benchmark::DoNotOptimize(source->read(block, 64));
        state.PauseTiming();
        source.reset();
        vbmp3::releaseSoundFont();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstOpenWithEngineSoundFont)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
