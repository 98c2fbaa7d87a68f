// The General MIDI SoundFont: found and loaded once per engine, shared by every MIDI stream.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vbmp3 {

struct MidiSynth;

// Begins loading the SoundFont in the background, so that no call has to wait for it unless a
// MIDI file is opened at once; further calls do nothing until releaseSoundFont.
void startSoundFontLoad();
// Waits for the load (starting it if nobody did) and returns the engine's synthesizer, or
// nullptr when no SoundFont could be loaded (stderr has said why, once per load).
std::shared_ptr<MidiSynth> engineMidiSynth();
// Drops the engine's hold on the SoundFont; streams still open keep theirs until they close.
void releaseSoundFont();

// The folders that SoundFonts are looked for in.
const std::vector<std::string>& soundFontFolders();

// SoundFont files to try, best first: each existing `preferred` path, then every .sf2 or .sf3
// in `folders`, by name.
std::vector<std::string> soundFontCandidates(const std::vector<std::string>& preferred,
                                             const std::vector<std::string>& folders);

} // namespace vbmp3
