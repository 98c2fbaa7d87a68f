#include "decoders/midi/fluidsynth_library.h"

#include <dlfcn.h>

#include <optional>

namespace vbmp3 {
namespace {

template <typename Function> bool find(void* handle, Function& function, const char* name) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

std::optional<FluidSynthLibrary> load() {
    // Never closed: synthesizers may live as long as the process.
    void* handle = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    FluidSynthLibrary f{};
    const bool found = find(handle, f.newSettings, "new_fluid_settings") &&
                       find(handle, f.deleteSettings, "delete_fluid_settings") &&
                       find(handle, f.settingsSetInt, "fluid_settings_setint") &&
                       find(handle, f.settingsSetNum, "fluid_settings_setnum") &&
                       find(handle, f.newSynth, "new_fluid_synth") &&
                       find(handle, f.deleteSynth, "delete_fluid_synth") &&
                       find(handle, f.sfload, "fluid_synth_sfload") &&
                       find(handle, f.systemReset, "fluid_synth_system_reset") &&
                       find(handle, f.allSoundsOff, "fluid_synth_all_sounds_off") &&
                       find(handle, f.writeFloat, "fluid_synth_write_float") &&
                       find(handle, f.activeVoiceCount, "fluid_synth_get_active_voice_count") &&
                       find(handle, f.noteOff, "fluid_synth_noteoff") &&
                       find(handle, f.noteOn, "fluid_synth_noteon") &&
                       find(handle, f.keyPressure, "fluid_synth_key_pressure") &&
                       find(handle, f.cc, "fluid_synth_cc") &&
                       find(handle, f.programChange, "fluid_synth_program_change") &&
                       find(handle, f.channelPressure, "fluid_synth_channel_pressure") &&
                       find(handle, f.pitchBend, "fluid_synth_pitch_bend") &&
                       find(handle, f.sysex, "fluid_synth_sysex");
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
