// FluidSynth, loaded when the first MIDI file opens: linked, it and what it links (SDL2, JACK,
// libinstpatch, readline, ...) would sit in every player's memory, MIDI or not.
#pragma once

#include <fluidsynth.h>

namespace vbmp3 {

// The FluidSynth functions the engine calls.
struct FluidSynthLibrary {
    decltype(&new_fluid_settings) newSettings;
    decltype(&delete_fluid_settings) deleteSettings;
    decltype(&fluid_settings_setint) settingsSetInt;
    decltype(&fluid_settings_setnum) settingsSetNum;
    decltype(&new_fluid_synth) newSynth;
    decltype(&delete_fluid_synth) deleteSynth;
    decltype(&fluid_synth_sfload) sfload;
    decltype(&fluid_synth_system_reset) systemReset;
    decltype(&fluid_synth_all_sounds_off) allSoundsOff;
    decltype(&fluid_synth_write_float) writeFloat;
    decltype(&fluid_synth_get_active_voice_count) activeVoiceCount;
    decltype(&fluid_synth_noteoff) noteOff;
    decltype(&fluid_synth_noteon) noteOn;
    decltype(&fluid_synth_key_pressure) keyPressure;
    decltype(&fluid_synth_cc) cc;
    decltype(&fluid_synth_program_change) programChange;
    decltype(&fluid_synth_channel_pressure) channelPressure;
    decltype(&fluid_synth_pitch_bend) pitchBend;
    decltype(&fluid_synth_sysex) sysex;
};

// Loads the library on the first call (thread-safe) and keeps it for the process's life;
// nullptr if it or one of its functions is missing.
const FluidSynthLibrary* fluidSynthLibrary();

} // namespace vbmp3
