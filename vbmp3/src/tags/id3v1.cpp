#include "tags/id3v1.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace vbmp3 {
namespace {

constexpr std::streamoff kTrailerSize = 128;

std::string field(const char* data, size_t n) {
    std::string out(data, std::find(data, data + n, '\0'));
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

void fillIfEmpty(std::string& field, const std::string& from) {
    if (field.empty())
        field = from;
}

} // namespace

std::optional<Tags> readId3v1(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file.seekg(-kTrailerSize, std::ios::end))
        return std::nullopt;
    std::array<char, kTrailerSize> raw{};
    if (!file.read(raw.data(), raw.size()) || raw[0] != 'T' || raw[1] != 'A' || raw[2] != 'G')
        return std::nullopt;
    Tags tags;
    tags.title = field(&raw[3], 30);
    tags.artist = field(&raw[33], 30);
    tags.album = field(&raw[63], 30);
    tags.year = field(&raw[93], 4);
    // ID3v1.1 keeps the track number in the comment's last byte after a NUL.
    tags.comment = field(&raw[97], 30);
    auto genre = static_cast<unsigned char>(raw[127]);
    tags.genreCode = genre == 255 ? -1 : genre;
    return tags;
}

void mergeId3v1(Tags& tags, const Tags& v1) {
    fillIfEmpty(tags.title, v1.title);
    fillIfEmpty(tags.artist, v1.artist);
    fillIfEmpty(tags.album, v1.album);
    fillIfEmpty(tags.year, v1.year);
    fillIfEmpty(tags.comment, v1.comment);
    tags.genreCode = v1.genreCode;
}

} // namespace vbmp3
