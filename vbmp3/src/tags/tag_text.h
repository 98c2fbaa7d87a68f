// Tag fields as TagLib gives them, on their way into Tags: 8-bit text as the bytes stored, so
// that legacy_text decides their code page over all of a file's text together.
#pragma once

#include "tags/tags.h"

#include <string>
#include <vector>

namespace TagLib {
class String;
}

namespace vbmp3 {

// TagLib reads 8-bit fields (ID3v1, ID3v2 frames marked ISO-8859-1, RIFF INFO) one character per
// byte, so the bytes come back unchanged; old taggers wrote their system's code page there, and
// modern ones UTF-8.
std::string storedBytes(const TagLib::String& text);
std::string utf8Of(const TagLib::String& text);

// A year out of a date such as "2024-05-01"; other forms pass as they are.
std::string yearOf(const std::string& date);

// The text fields of tags, for the code-page decision over all of a file's text.
std::vector<std::string*> textFields(Tags& tags);

// Fills each empty text field of `tags` from `other`.
void fillEmptyFields(Tags& tags, const Tags& other);

} // namespace vbmp3
