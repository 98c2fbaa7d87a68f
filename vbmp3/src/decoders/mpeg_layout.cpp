#include "decoders/mpeg_layout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unistd.h>

namespace vbmp3 {
namespace {

// Junk before the first frame is searched this far; then enough for the first frames of any
// bit rate.
constexpr size_t kSearchBytes = 65536;
constexpr size_t kProbeBytes = kSearchBytes + 16384;
constexpr int kFramesForBitRate = 8;
// Headers in a row, each where the one before ends, that tell frames from a chance sync word.
constexpr int kFramesInARun = 4;
// The largest free-format frame libmpg123 takes.
constexpr size_t kMaxFreeFrameBytes = 3456;

struct FrameHeader {
    bool mpeg1 = false;
    bool mono = false;
    int version = 0; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    int layer = 0;
    int rateIndex = 0; // 0: free format
    int bitRateKbps = 0;
    int sampleRate = 0;
    int padding = 0;
    size_t length = 0;
};

constexpr std::array<std::array<int, 16>, 5> kRates{{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}, // 1, I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},    // 1, II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},     // 1, III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},    // 2, I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},         // 2, II/III
}};

uint32_t bigEndian(const unsigned char* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

const std::array<int, 16>& ratesOf(const FrameHeader& h) {
    return kRates[static_cast<size_t>(h.mpeg1 ? h.layer - 1 : (h.layer == 1 ? 3 : 4))];
}

// Bytes in a frame at `kbps`, without padding.
size_t lengthAt(const FrameHeader& h, int kbps) {
    const int perSlot = h.layer == 1 ? 12 : (h.layer == 3 && !h.mpeg1 ? 72 : 144);
    const int slots = perSlot * kbps * 1000 / h.sampleRate;
    return static_cast<size_t>(h.layer == 1 ? slots * 4 : slots);
}

// The header's fields; a free-format frame's length stays 0 here.
std::optional<FrameHeader> headerAt(const unsigned char* p) {
    static constexpr std::array<int, 3> kSampleRates{44100, 48000, 32000};
    FrameHeader h;
    h.version = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    h.rateIndex = p[2] >> 4;
    const int sampleIndex = (p[2] >> 2) & 3;
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0 || h.version == 1 || layerBits == 0 ||
        h.rateIndex == 15 || sampleIndex == 3)
        return std::nullopt;
    h.mpeg1 = h.version == 3;
    h.layer = 4 - layerBits;
    h.mono = (p[3] >> 6) == 3;
    h.sampleRate = kSampleRates[static_cast<size_t>(sampleIndex)] >> (h.mpeg1          ? 0
                                                                      : h.version == 2 ? 1
                                                                                       : 2);
    h.padding = (p[2] >> 1) & 1;
    h.bitRateKbps = ratesOf(h)[static_cast<size_t>(h.rateIndex)];
    if (h.rateIndex != 0)
        h.length =
            lengthAt(h, h.bitRateKbps) + static_cast<size_t>(h.padding * (h.layer == 1 ? 4 : 1));
    return h;
}

// Frames of one stream: the same version, layer and rate, free format or not.
bool alike(const FrameHeader& a, const FrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate &&
           (a.rateIndex == 0) == (b.rateIndex == 0);
}

// The frame whose header is at `at`, with a free-format frame's length found where the next
// header alike begins (and its bit rate from that).
std::optional<FrameHeader> frameAt(std::string_view bytes, size_t at) {
    if (at + 4 > bytes.size())
        return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::optional<FrameHeader> h = headerAt(p + at);
    if (!h || h->rateIndex != 0)
        return h;
    const size_t end = std::min(bytes.size(), at + kMaxFreeFrameBytes);
    // No frame is shorter than one at the lowest bit rate in the table.
    for (size_t next = at + lengthAt(*h, ratesOf(*h)[1]); next + 4 <= end; ++next) {
        const std::optional<FrameHeader> following = headerAt(p + next);
        if (following && alike(*h, *following)) {
            h->length = next - at;
            const size_t slotBytes = h->layer == 1 ? 4 : 1;
            const size_t perSlot = h->layer == 1 ? 12 : (h->layer == 3 && !h->mpeg1 ? 72 : 144);
            const size_t bits = (h->length / slotBytes - static_cast<size_t>(h->padding)) *
                                static_cast<size_t>(h->sampleRate);
            h->bitRateKbps = static_cast<int>((bits + perSlot * 500) / (perSlot * 1000));
            return h;
        }
    }
    return std::nullopt;
}

// Where the search for the first frame takes free-format frames: only at the start of the audio,
// since finding each one's length means searching for the next.
enum class FreeFormat { Taken, Refused };

// Whether a run of frames alike begins at `at`: kFramesInARun of them, or as many as there are
// before the bytes end.
bool runAt(std::string_view bytes, size_t at, FreeFormat freeFormat) {
    if (at + 4 > bytes.size())
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::optional<FrameHeader> start = headerAt(p + at);
    if (!start || (start->rateIndex == 0 && freeFormat == FreeFormat::Refused))
        return false;
    size_t next = at;
    for (int count = 0; count < kFramesInARun; ++count) {
        if (count > 0 && next + 4 > bytes.size())
            return true;
        const std::optional<FrameHeader> h = frameAt(bytes, next);
        if (!h || !alike(*start, *h))
            return false;
        next += h->length;
    }
    return true;
}

std::optional<VbrHeader> vbrHeaderIn(std::string_view bytes, const FrameHeader& h) {
    const auto* frame = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t available = bytes.size();
    const size_t sideInfo = h.mpeg1 ? (h.mono ? 17 : 32) : (h.mono ? 9 : 17);
    const size_t xing = 4 + sideInfo;
    if (xing + 16 <= available &&
        (std::memcmp(frame + xing, "Xing", 4) == 0 || std::memcmp(frame + xing, "Info", 4) == 0)) {
        VbrHeader header;
        header.constant = frame[xing] == 'I';
        const uint32_t flags = bigEndian(frame + xing + 4);
        size_t at = xing + 8;
        if (flags & 1) {
            header.frames = bigEndian(frame + at);
            at += 4;
        }
        if (flags & 2)
            header.bytes = bigEndian(frame + at);
        return header;
    }
    constexpr size_t vbri = 4 + 32;
    if (vbri + 18 <= available && std::memcmp(frame + vbri, "VBRI", 4) == 0)
        return VbrHeader{bigEndian(frame + vbri + 14), bigEndian(frame + vbri + 10), false, true};
    return std::nullopt;
}

std::string readAt(int fd, int64_t at, size_t count) {
    std::string bytes(count, '\0');
    const ssize_t got = pread(fd, bytes.data(), count, at);
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return bytes;
}

// The size of an ID3v2 tag at the start, header and footer included; 0 without one.
int64_t id3v2Size(const std::string& head) {
    if (head.size() < 10 || head.compare(0, 3, "ID3") != 0)
        return 0;
    int64_t size = 0;
    for (int i = 6; i < 10; ++i)
        size = size << 7 | (static_cast<unsigned char>(head[static_cast<size_t>(i)]) & 0x7F);
    const bool footer = (static_cast<unsigned char>(head[5]) & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

// The bounds of one frame's size at the first frame's version, layer and rate.
void boundFrames(MpegLayout& layout, const FrameHeader& first) {
    if (first.rateIndex == 0) {
        layout.minFrameBytes = static_cast<int64_t>(first.length) - 1;
        layout.maxFrameBytes = static_cast<int64_t>(first.length) + 1;
        return;
    }
    layout.minFrameBytes = static_cast<int64_t>(lengthAt(first, ratesOf(first)[1]));
    layout.maxFrameBytes = static_cast<int64_t>(lengthAt(first, ratesOf(first)[14]) + 4);
}

} // namespace

std::optional<size_t> firstMpegFrame(std::string_view bytes) {
    if (runAt(bytes, 0, FreeFormat::Taken))
        return 0;
    for (size_t at = 1; at < std::min(bytes.size(), kSearchBytes); ++at)
        if (static_cast<unsigned char>(bytes[at]) == 0xFF && runAt(bytes, at, FreeFormat::Refused))
            return at;
    return std::nullopt;
}

std::optional<MpegLayout> readMpegLayout(int fd, int64_t size) {
    MpegLayout layout;
    const int64_t tag = id3v2Size(readAt(fd, 0, 10));
    const bool trailer = size >= 128 && readAt(fd, size - 128, 3) == "TAG";
    layout.tagged = tag > 0 || trailer;
    const std::string probe = readAt(fd, tag, kProbeBytes);
    const std::optional<size_t> start = firstMpegFrame(probe);
    if (!start)
        return std::nullopt;
    const std::string_view audio = std::string_view(probe).substr(*start);
    layout.audioStart = tag + static_cast<int64_t>(*start);
    layout.audioBytes = size - layout.audioStart - (trailer ? 128 : 0);
    const std::optional<FrameHeader> first = frameAt(audio, 0);
    if (!first)
        return std::nullopt;
    layout.sampleRate = first->sampleRate;
    layout.channels = first->mono ? 1 : 2;
    boundFrames(layout, *first);
    layout.header = vbrHeaderIn(audio, *first);
    // The header's own frame carries no audio; the frames after it show the bit rate.
    layout.headerFrameBytes = layout.header ? static_cast<int64_t>(first->length) : 0;
    auto at = static_cast<size_t>(layout.headerFrameBytes);
    int rate = 0, sum = 0, count = 0;
    for (; count < kFramesForBitRate; ++count) {
        const std::optional<FrameHeader> h = frameAt(audio, at);
        if (!h)
            break;
        layout.bitRateVaries = layout.bitRateVaries || (rate != 0 && h->bitRateKbps != rate);
        rate = h->bitRateKbps;
        sum += rate;
        at += h->length;
    }
    layout.meanBitRateKbps = count > 0 ? sum / count : first->bitRateKbps;
    return layout;
}

HeaderFit fitOf(const MpegLayout& layout) {
    if (!layout.header)
        return HeaderFit::Missing;
    const VbrHeader& header = *layout.header;
    // Frames each of a size that no frame of this kind has: the count is wrong, and so are the
    // length and seek points that would follow from it.
    if (header.frames > 0) {
        const int64_t bytes =
            (header.bytes > 0 ? header.bytes : layout.audioBytes) - layout.headerFrameBytes;
        if (bytes < header.frames * layout.minFrameBytes * 19 / 20 ||
            bytes > header.frames * layout.maxFrameBytes * 21 / 20)
            return HeaderFit::Contradicts;
    }
    if (header.bytes <= 0 || header.frames <= 0)
        return HeaderFit::Missing;
    // Taggers put other trailers (APE, Lyrics3) after the audio; a few kilobytes are no sign.
    const int64_t claimed = header.bytes;
    const int64_t margin = std::max<int64_t>(claimed / 200, 8192);
    if (layout.audioBytes < claimed - margin)
        return HeaderFit::Cut;
    if (layout.audioBytes > claimed + margin)
        return HeaderFit::Longer;
    return HeaderFit::Fits;
}

} // namespace vbmp3
