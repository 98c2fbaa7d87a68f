// A Standard MIDI File played through FluidSynth, sequenced from the parsed events so that the
// length, the position and every seek follow the file's own tempo map.
//
// The stream lasts the tempo map's length (to the largest end-of-track tick) and then, while
// notes still ring out, at most kMaxTailSeconds more. bitRateKbps is 0: a MIDI file has no
// audio bit rate.
#pragma once

#include "decoders/source.h"

#include <memory>
#include <string>

namespace vbmp3 {

struct MidiSynth;

inline constexpr double kMaxTailSeconds = 3.0;

// nullptr when the file is not a usable Standard MIDI File or `synth` is null.
std::unique_ptr<Source> openMidiSourceWith(const std::string& path,
                                           std::shared_ptr<MidiSynth> synth);

} // namespace vbmp3
