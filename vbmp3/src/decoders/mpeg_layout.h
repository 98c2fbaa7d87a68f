// Where an MP3's audio lies and what its first frame's VBR header (Xing, Info or VBRI) claims,
// from the first tens of kilobytes of its audio and its last 128 bytes: enough to tell at open,
// without reading the file, whether the header describes the file that is really there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vbmp3 {

struct VbrHeader {
    int64_t frames = 0;    // of audio, after the header's own; 0 where the header leaves it out
    int64_t bytes = 0;     // of the audio from the header's frame on; 0 where left out
    bool constant = false; // LAME's "Info": a constant bit rate
    bool vbri = false;     // Fraunhofer's
};

struct MpegLayout {
    int64_t audioStart = 0; // the first frame: after a leading ID3v2 tag and any junk
    int64_t audioBytes = 0; // from there to the end, without an ID3v1 trailer
    bool tagged = false;    // an ID3v2 tag or ID3v1 trailer is there
    std::optional<VbrHeader> header;
    int64_t headerFrameBytes = 0; // the header's own frame, which holds no audio
    int sampleRate = 0;           // of the first frame
    int channels = 0;
    bool bitRateVaries = false; // among the first frames
    int meanBitRateKbps = 0;    // of the first audio frames
    // What one frame at this version, layer and rate can take: the lowest and highest bit rate
    // (a free-format stream's frames are all of its one size).
    int64_t minFrameBytes = 0;
    int64_t maxFrameBytes = 0;
};

// How the header fits the bytes that are there.
enum class HeaderFit {
    Fits,        // within a small margin: the header's length and seek table hold
    Cut,         // fewer bytes than it claims: a download cut short
    Longer,      // more: pieces joined after it was written, or a wrong count
    Contradicts, // frames too many or too few for the bytes: a damaged or made-up header
    Missing,     // no header, or none with a byte count
};

// Where MPEG audio frames begin in `bytes` (a file's start, or what follows its ID3v2 tag) as
// libmpg123 finds them: a run of frame headers alike, each where the one before ends, at the
// start or within the first 64 KiB (free format only at the start). Nothing when there is none.
std::optional<size_t> firstMpegFrame(std::string_view bytes);

// The layout of the open file `fd` of `size` bytes; nothing unless MPEG audio frames are where
// the audio should begin.
std::optional<MpegLayout> readMpegLayout(int fd, int64_t size);

HeaderFit fitOf(const MpegLayout& layout);

} // namespace vbmp3
