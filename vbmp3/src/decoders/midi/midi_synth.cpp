#include "decoders/midi/midi_synth.h"
#include "shared/output_format.h"

#include <atomic>

namespace vbmp3 {

namespace {

std::atomic<int> loads{0};

// As loud as typical MP3s (the demo tune within a decibel of its own MP3); the MIDI source's
// limiter keeps dense arrangements from clipping.
constexpr double kSynthGain = 1.25;

} // namespace

MidiSynth::MidiSynth(const FluidSynthLibrary& fluid, fluid_settings_t* settings,
                     fluid_synth_t* synth)
    : fluid(fluid), synth(synth), settings_(settings) {}

MidiSynth::~MidiSynth() {
    fluid.deleteSynth(synth);
    fluid.deleteSettings(settings_);
}

void silenceAndReset(const MidiSynth& synth) {
    synth.fluid.systemReset(synth.synth);
    synth.fluid.allSoundsOff(synth.synth, -1);
    // The voices only stop in the next rendered block; render it here, so that a second reset
    // before any rendering cannot bring them back.
    float discarded[64 * 2];
    synth.fluid.writeFloat(synth.synth, 64, discarded, 0, 2, discarded, 1, 2);
}

std::shared_ptr<MidiSynth> loadMidiSynth(const std::string& soundFontPath) {
    const FluidSynthLibrary* fluid = fluidSynthLibrary();
    if (!fluid)
        return nullptr;
    fluid_settings_t* settings = fluid->newSettings();
    if (!settings)
        return nullptr;
    fluid->settingsSetNum(settings, "synth.sample-rate", kMidiRate);
    fluid->settingsSetNum(settings, "synth.gain", kSynthGain);
    // Every use is under MidiSynth::mutex already.
    fluid->settingsSetInt(settings, "synth.threadsafe-api", 0);
    // Samples load when a preset is first chosen, not all at once: a player that never plays a
    // MIDI file keeps only the SoundFont's presets in memory. Loading happens on the decoder
    // thread, ahead of what is heard.
    fluid->settingsSetInt(settings, "synth.dynamic-sample-loading", 1);
    fluid_synth_t* synth = fluid->newSynth(settings);
    if (!synth) {
        fluid->deleteSettings(settings);
        return nullptr;
    }
    auto shared = std::make_shared<MidiSynth>(*fluid, settings, synth);
    if (fluid->sfload(synth, soundFontPath.c_str(), 1) == FLUID_FAILED)
        return nullptr;
    ++loads;
    return shared;
}

int soundFontLoadCount() {
    return loads.load();
}

} // namespace vbmp3
