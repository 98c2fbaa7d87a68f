// One FluidSynth synthesizer with a SoundFont loaded, which MIDI streams take turns to drive.
#pragma once

#include "decoders/midi/fluidsynth_library.h"

#include <memory>
#include <mutex>
#include <string>

namespace vbmp3 {

struct MidiSynth {
    MidiSynth(const FluidSynthLibrary& fluid, fluid_settings_t* settings, fluid_synth_t* synth);
    ~MidiSynth();
    MidiSynth(const MidiSynth&) = delete;
    MidiSynth& operator=(const MidiSynth&) = delete;

    // Held by a stream for as long as it drives `synth`.
    std::mutex mutex;
    const FluidSynthLibrary& fluid;
    fluid_synth_t* const synth;
    // The stream whose channel state `synth` holds now (guarded by `mutex`); another stream
    // must rebuild its own state before it renders.
    const void* holder = nullptr;

private:
    fluid_settings_t* const settings_;
};

// Ends every voice at once, clears the effects and resets every channel. FluidSynth 2.3's
// system reset alone lets the voices release, so the reset goes first and the sounds-off after.
void silenceAndReset(const MidiSynth& synth);

// MIDI has no rate of its own; 48 kHz is what PipeWire mixes at and most sound hardware runs at,
// so the server plays it unconverted.
inline constexpr int kMidiRate = 48000;

// Creates a synthesizer at kMidiRate and loads `soundFontPath` into it;
// nullptr if FluidSynth or the file does not load.
std::shared_ptr<MidiSynth> loadMidiSynth(const std::string& soundFontPath);
// How many SoundFont files this process has loaded so far.
int soundFontLoadCount();

} // namespace vbmp3
