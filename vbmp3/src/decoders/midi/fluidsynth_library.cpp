#include "decoders/midi/fluidsynth_library.h"

#include "shared/library_symbol.h"

#include <optional>

namespace vbmp3 {
namespace {

std::optional<FluidSynthLibrary> load() {
    // Never closed: synthesizers may live as long as the process.
    void* handle = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    FluidSynthLibrary f{};
    const bool found =
        findSymbol(handle, f.newSettings, "new_fluid_settings") &&
        findSymbol(handle, f.deleteSettings, "delete_fluid_settings") &&
        findSymbol(handle, f.settingsSetInt, "fluid_settings_setint") &&
        findSymbol(handle, f.settingsSetNum, "fluid_settings_setnum") &&
        findSymbol(handle, f.newSynth, "new_fluid_synth") &&
        findSymbol(handle, f.deleteSynth, "delete_fluid_synth") &&
        findSymbol(handle, f.sfload, "fluid_synth_sfload") &&
        findSymbol(handle, f.systemReset, "fluid_synth_system_reset") &&
        findSymbol(handle, f.allSoundsOff, "fluid_synth_all_sounds_off") &&
        findSymbol(handle, f.writeFloat, "fluid_synth_write_float") &&
        findSymbol(handle, f.activeVoiceCount, "fluid_synth_get_active_voice_count") &&
        findSymbol(handle, f.noteOff, "fluid_synth_noteoff") &&
        findSymbol(handle, f.noteOn, "fluid_synth_noteon") &&
        findSymbol(handle, f.keyPressure, "fluid_synth_key_pressure") &&
        findSymbol(handle, f.cc, "fluid_synth_cc") &&
        findSymbol(handle, f.programChange, "fluid_synth_program_change") &&
        findSymbol(handle, f.channelPressure, "fluid_synth_channel_pressure") &&
        findSymbol(handle, f.pitchBend, "fluid_synth_pitch_bend") &&
        findSymbol(handle, f.sysex, "fluid_synth_sysex");
    if (!found) {
        dlclose(handle);
        return std::nullopt;
    }
    return f;
}

} // namespace

const FluidSynthLibrary* fluidSynthLibrary() {
    static const std::optional<FluidSynthLibrary> library = load();
    return library ? &*library : nullptr;
}

} // namespace vbmp3
