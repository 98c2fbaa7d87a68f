#include "decoders/midi/midi_synth.h"
#include "decoders/source.h"

#include <atomic>

namespace vbmp3 {

namespace {

std::atomic<int> loads{0};

// As loud as typical MP3s (the demo tune within a decibel of its own MP3); the MIDI source's
// limiter keeps dense arrangements from clipping.
constexpr double kSynthGain = 1.25;

} // namespace

MidiSynth::MidiSynth(fluid_settings_t* settings, fluid_synth_t* synth)
    : synth(synth), settings_(settings) {}

MidiSynth::~MidiSynth() {
    delete_fluid_synth(synth);
    delete_fluid_settings(settings_);
}

void silenceAndReset(fluid_synth_t* synth) {
    fluid_synth_system_reset(synth);
    fluid_synth_all_sounds_off(synth, -1);
    // The voices only stop in the next rendered block; render it here, so that a second reset
    // before any rendering cannot bring them back.
    float discarded[64 * 2];
    fluid_synth_write_float(synth, 64, discarded, 0, 2, discarded, 1, 2);
}

std::shared_ptr<MidiSynth> loadMidiSynth(const std::string& soundFontPath) {
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings)
        return nullptr;
    fluid_settings_setnum(settings, "synth.sample-rate", kOutputRate);
    fluid_settings_setnum(settings, "synth.gain", kSynthGain);
    // Every use is under MidiSynth::mutex already.
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    // Samples load when a preset is first chosen, not all at once: a player that never plays a
    // MIDI file keeps only the SoundFont's presets in memory. Loading happens on the decoder
    // thread, ahead of what is heard.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth) {
        delete_fluid_settings(settings);
        return nullptr;
    }
    auto shared = std::make_shared<MidiSynth>(settings, synth);
    if (fluid_synth_sfload(synth, soundFontPath.c_str(), 1) == FLUID_FAILED)
        return nullptr;
    ++loads;
    return shared;
}

int soundFontLoadCount() {
    return loads.load();
}

} // namespace vbmp3
