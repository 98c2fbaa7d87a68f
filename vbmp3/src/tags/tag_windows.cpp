#include "tags/tag_windows.h"

#include <taglib/id3v2header.h>

namespace vbmp3 {
namespace {

// The ID3v1 trailer, and the 3 bytes before it where TagLib tells the end of an APE tag
// ("APETAGEX") from a trailer's "TAG".
constexpr uint64_t kTrailerBytes = 128 + 3;
// The ASF header object's GUID and size come first.
constexpr size_t kAsfSizeEnd = 24;
constexpr size_t kAsfSizeStart = 16;

// The whole ID3v2 tag at the file's start (header, frames, padding, footer) as its header states
// it; 0 without one.
uint64_t id3v2Bytes(const FileWindows& stream) {
    const std::string head = stream.firstBytes(TagLib::ID3v2::Header::size());
    if (head.size() < TagLib::ID3v2::Header::size() || !head.starts_with("ID3"))
        return 0;
    return TagLib::ID3v2::Header(TagLib::ByteVector(head.data(), head.size())).completeTagSize();
}

uint64_t asfHeaderBytes(const FileWindows& stream) {
    const std::string head = stream.firstBytes(kAsfSizeEnd);
    if (head.size() < kAsfSizeEnd)
        return 0;
    uint64_t size = 0; // little-endian
    for (size_t i = kAsfSizeEnd; i > kAsfSizeStart; --i)
        size = size << 8 | static_cast<unsigned char>(head[i - 1]);
    return size;
}

} // namespace

void openMpegTagWindows(FileWindows& stream) {
    stream.openHead(id3v2Bytes(stream));
    stream.openTail(kTrailerBytes);
}

void openWaveTagWindows(FileWindows& stream) {
    stream.openHead(kMaxTagWindow);
    stream.openTail(kMaxTagWindow);
}

void openAsfTagWindows(FileWindows& stream) {
    stream.openHead(asfHeaderBytes(stream));
}

} // namespace vbmp3
