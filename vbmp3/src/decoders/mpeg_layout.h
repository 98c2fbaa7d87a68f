// Where an MP3's audio lies and what its first frame's VBR header (Xing, Info or VBRI) claims,
// from a few kilobytes at its start and its last 128 bytes: enough to tell at open, without
// reading the file, whether the header describes the file that is really there.
#pragma once

#include <cstdint>
#include <optional>

namespace vbmp3 {

struct VbrHeader {
    int64_t frames = 0;    // 0 where the header leaves it out
    int64_t bytes = 0;     // of the audio from the header's frame on; 0 where left out
    bool constant = false; // LAME's "Info": a constant bit rate
    bool vbri = false;     // Fraunhofer's, which counts the frames after its own
};

struct MpegLayout {
    int64_t audioStart = 0; // after a leading ID3v2 tag
    int64_t audioBytes = 0; // from there to the end, without an ID3v1 trailer
    bool tagged = false;    // an ID3v2 tag or ID3v1 trailer is there
    std::optional<VbrHeader> header;
    bool bitRateVaries = false; // among the first frames
    int meanBitRateKbps = 0;    // of the first audio frames
};

// How the header's byte count fits the bytes that are there.
enum class HeaderFit {
    Fits,    // within a small margin: the header's length and seek table hold
    Cut,     // fewer bytes than it claims: a download cut short
    Longer,  // more: pieces joined after it was written, or a wrong count
    Missing, // no header, or none with a byte count
};

// The layout of the open file `fd` of `size` bytes; nothing unless an MPEG audio frame header
// is where the audio should begin.
std::optional<MpegLayout> readMpegLayout(int fd, int64_t size);

HeaderFit fitOf(const MpegLayout& layout);

} // namespace vbmp3
