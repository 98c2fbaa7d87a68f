// The raw bytes of an ID3v2 tag's text frames that declare ISO-8859-1. FFmpeg turns them into
// UTF-8 as Latin-1, but old taggers wrote their system's code page there (CP932, CP1251, ...),
// and modern ones UTF-8; only the bytes tell which.
#pragma once

#include <string>

#include "tags/tags.h"

namespace vbmp3 {

// The fields whose frame declares ISO-8859-1 and holds a byte above 0x7F, as stored; every other
// field empty. genreCode is left -1.
Tags readId3v2ByteFields(const std::string& path);

} // namespace vbmp3
