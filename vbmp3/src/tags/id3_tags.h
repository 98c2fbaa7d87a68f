// ID3v2 and ID3v1, where MP3 files keep them and WAV files (a chunk) sometimes too.
#pragma once

#include "tags/tags.h"

namespace TagLib::ID3v2 {
class Tag;
}
namespace TagLib::ID3v1 {
class Tag;
}

namespace vbmp3 {

// The fields of an ID3v2 tag: 8-bit frames as stored, the others as UTF-8.
Tags storedId3v2Fields(const TagLib::ID3v2::Tag& tag);
// The fields of an ID3v1 trailer as stored, with its genre code (-1 for 255, "no genre").
Tags storedId3v1Fields(const TagLib::ID3v1::Tag& tag);

} // namespace vbmp3
