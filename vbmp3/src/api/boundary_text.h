// Texts crossing the C interface: 8-bit, in the boundary code page (the locale's character set).
#pragma once

#include <cstddef>
#include <string>

#include "tags/tags.h"
#include "vbmp3.h"

namespace vbmp3 {

// Writes utf8 into a slot of n bytes in the boundary code page, cut at a character boundary so
// that a NUL always follows; the rest of the slot is NUL-filled. Never writes past the slot.
void putText(const std::string& utf8, char* slot, size_t n);

// Writes every field of out; genreCode as given.
void fillTagInfo(const Tags& tags, vbmp3_TagInfo& out);

} // namespace vbmp3
