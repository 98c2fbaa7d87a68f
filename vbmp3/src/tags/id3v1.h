// The 128-byte ID3v1 trailer, read directly: FFmpeg skips it whenever an ID3v2 tag exists.
#pragma once

#include <optional>
#include <string>

#include "tags/tags.h"

namespace vbmp3 {

// The trailer's fields as stored (8-bit text of unknown code page, trailing blanks removed), or
// nothing when the file ends without "TAG". genreCode is -1 for 255, the trailer's "no genre".
std::optional<Tags> readId3v1(const std::string& path);

// Fills each empty text field of tags from v1 and takes v1's genre code.
void mergeId3v1(Tags& tags, const Tags& v1);

} // namespace vbmp3
