// What a file is called where the desktop lists what plays (the sound server's panels).
#pragma once

#include "tags/tags.h"

#include <optional>
#include <string>

namespace vbmp3 {

// "artist – title" from the file's tags, the title alone without an artist, else the file's name.
// UTF-8, as far as the file's name is.
std::string mediaName(const std::string& path, const std::optional<Tags>& tags);

} // namespace vbmp3
