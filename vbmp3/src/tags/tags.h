// A music file's tags as text, before they are put into the 8-bit record.
#pragma once

#include <cstdint>
#include <string>

namespace vbmp3 {

struct Tags {
    // UTF-8; empty where the file lacks the field.
    std::string title, artist, album, year, comment, genreName;
    int32_t genreCode = -1; // the ID3v1 genre number, or -1
};

// The readers of the kinds of file whose tags TagLib reads; false when the file cannot be read at
// all.
bool readMpegTags(const std::string& path, Tags& out); // ID3v2, ID3v1
bool readWaveTags(const std::string& path, Tags& out); // RIFF INFO, an ID3v2 chunk
bool readAsfTags(const std::string& path, Tags& out);  // WMA

} // namespace vbmp3
