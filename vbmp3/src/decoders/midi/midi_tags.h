// The names and notices of a Standard MIDI File, as its tags.
#pragma once

#include "tags/tags.h"

#include <string>

namespace vbmp3 {

// The first track's name (or the first text) as the title, the copyright notice as the comment;
// false when the file is no Standard MIDI File that can be read.
bool readMidiTags(const std::string& path, Tags& out);

} // namespace vbmp3
