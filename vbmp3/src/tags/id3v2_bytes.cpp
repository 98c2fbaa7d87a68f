#include "tags/id3v2_bytes.h"

#include <algorithm>
#include <fstream>
#include <string_view>

namespace vbmp3 {
namespace {

// Text frames come first in the tags that taggers write; pictures follow. Reading no further
// keeps a tag with large pictures cheap.
constexpr size_t kMostBytesRead = 1 << 20;

uint32_t sizeOf(const unsigned char* p, bool syncsafe) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = syncsafe ? value << 7 | (p[i] & 0x7F) : value << 8 | p[i];
    return value;
}

// Undoes unsynchronisation: every 0xFF 0x00 was 0xFF.
std::string resynchronised(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() &&
            bytes[i + 1] == '\0')
            ++i;
    }
    return out;
}

std::string* fieldOf(Tags& tags, std::string_view id) {
    if (id == "TIT2" || id == "TT2")
        return &tags.title;
    if (id == "TPE1" || id == "TP1")
        return &tags.artist;
    if (id == "TALB" || id == "TAL")
        return &tags.album;
    if (id == "TYER" || id == "TDRC" || id == "TYE")
        return &tags.year;
    if (id == "TCON" || id == "TCO")
        return &tags.genreName;
    if (id == "COMM" || id == "COM")
        return &tags.comment;
    return nullptr;
}

// The first value of an ISO-8859-1 text frame's body; of a comment, the text after its language
// and description.
std::string_view textOf(std::string_view id, std::string_view body) {
    body.remove_prefix(1); // the encoding byte
    if (id == "COMM" || id == "COM") {
        if (body.size() < 3)
            return {};
        body.remove_prefix(3);
        const size_t description = body.find('\0');
        body.remove_prefix(description == std::string_view::npos ? body.size() : description + 1);
    }
    return body.substr(0, body.find('\0'));
}

bool hasHighByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

} // namespace

Tags readId3v2ByteFields(const std::string& path) {
    Tags tags;
    std::ifstream file(path, std::ios::binary);
    unsigned char header[10] = {};
    if (!file.read(reinterpret_cast<char*>(header), sizeof header) ||
        std::string_view(reinterpret_cast<char*>(header), 3) != "ID3")
        return tags;
    const int version = header[3];
    if (version < 2 || version > 4)
        return tags;
    const bool unsynchronised = (header[5] & 0x80) != 0;
    std::string body(std::min<size_t>(sizeOf(header + 6, true), kMostBytesRead), '\0');
    file.read(body.data(), static_cast<std::streamsize>(body.size()));
    body.resize(static_cast<size_t>(file.gcount()));
    // Version 2.4 unsynchronises frame by frame; the tag's flag only says that all of them are.
    if (unsynchronised && version < 4)
        body = resynchronised(body);

    size_t at = 0;
    if ((header[5] & 0x40) != 0 && version > 2 && body.size() >= 4) // an extended header
        at = version == 3 ? 4 + sizeOf(reinterpret_cast<unsigned char*>(body.data()), false)
                          : sizeOf(reinterpret_cast<unsigned char*>(body.data()), true);
    const size_t idLength = version == 2 ? 3 : 4;
    const size_t headerLength = version == 2 ? 6 : 10;
    while (at + headerLength <= body.size() && body[at] != '\0') {
        const auto* frame = reinterpret_cast<const unsigned char*>(body.data() + at);
        const std::string_view id(body.data() + at, idLength);
        const size_t size = version == 2 ? (frame[3] << 16 | frame[4] << 8 | frame[5])
                                         : sizeOf(frame + 4, version == 4);
        if (size > body.size() - at - headerLength)
            break;
        std::string content = body.substr(at + headerLength, size);
        at += headerLength + size;
        const unsigned flags = version == 2 ? 0 : frame[9];
        // Compressed or encrypted frames (2.3: 0x80, 0x40; 2.4: 0x08, 0x04) are left to FFmpeg.
        if (version == 3 ? (flags & 0xC0) != 0 : (flags & 0x0C) != 0)
            continue;
        if (version == 3 && (flags & 0x20) != 0) // a grouping byte
            content.erase(0, 1);
        if (version == 4 && (flags & 0x01) != 0) // a data length indicator
            content.erase(0, std::min<size_t>(4, content.size()));
        if (version == 4 && ((flags & 0x02) != 0 || unsynchronised))
            content = resynchronised(content);
        std::string* field = fieldOf(tags, id);
        if (field == nullptr || content.empty() || content[0] != '\0' || !field->empty())
            continue;
        const std::string_view text = textOf(id, content);
        if (hasHighByte(text))
            *field = std::string(text);
    }
    return tags;
}

} // namespace vbmp3
