// "Lantern Walk": the short original tune of the demo tracks, as note data.
#pragma once

#include "fixtures/audio_writer.h"
#include "fixtures/midi_writer.h"

namespace demo {

fixtures::MidiSong lanternWalk();
// The tags every rendering of the tune carries.
fixtures::TrackTags lanternWalkTags();

} // namespace demo
