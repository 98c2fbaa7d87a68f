#include "decoders/mpeg_layout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unistd.h>

namespace vbmp3 {
namespace {

// Enough for the first frames of any bit rate.
constexpr size_t kProbeBytes = 16384;
constexpr int kFramesForBitRate = 8;

struct FrameHeader {
    bool mpeg1 = false;
    bool mono = false;
    int layer = 0;
    int bitRateKbps = 0;
    int sampleRate = 0;
    size_t length = 0;
};

uint32_t bigEndian(const unsigned char* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

std::optional<FrameHeader> frameHeaderAt(const unsigned char* p) {
    static constexpr std::array<std::array<int, 16>, 5> kRates{{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}, // 1, I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},    // 1, II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},     // 1, III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},    // 2, I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},         // 2, II/III
    }};
    static constexpr std::array<int, 3> kSampleRates{44100, 48000, 32000};
    const int version = (p[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layerBits = (p[1] >> 1) & 3;
    const int rateIndex = p[2] >> 4;
    const int sampleIndex = (p[2] >> 2) & 3;
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0 || version == 1 || layerBits == 0 || rateIndex == 0 ||
        rateIndex == 15 || sampleIndex == 3)
        return std::nullopt;
    FrameHeader h;
    h.mpeg1 = version == 3;
    h.layer = 4 - layerBits;
    h.mono = (p[3] >> 6) == 3;
    const int table = h.mpeg1 ? h.layer - 1 : (h.layer == 1 ? 3 : 4);
    h.bitRateKbps = kRates[static_cast<size_t>(table)][static_cast<size_t>(rateIndex)];
    h.sampleRate = kSampleRates[static_cast<size_t>(sampleIndex)] >> (h.mpeg1        ? 0
                                                                      : version == 2 ? 1
                                                                                     : 2);
    const int padding = (p[2] >> 1) & 1;
    const int perSlot = h.layer == 1 ? 12 : (h.layer == 3 && !h.mpeg1 ? 72 : 144);
    const int slots = perSlot * h.bitRateKbps * 1000 / h.sampleRate + padding;
    h.length = static_cast<size_t>(h.layer == 1 ? slots * 4 : slots);
    return h;
}

std::optional<VbrHeader> vbrHeaderIn(const unsigned char* frame, size_t available,
                                     const FrameHeader& h) {
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

} // namespace

std::optional<MpegLayout> readMpegLayout(int fd, int64_t size) {
    MpegLayout layout;
    layout.audioStart = id3v2Size(readAt(fd, 0, 10));
    const bool trailer = size >= 128 && readAt(fd, size - 128, 3) == "TAG";
    layout.tagged = layout.audioStart > 0 || trailer;
    layout.audioBytes = size - layout.audioStart - (trailer ? 128 : 0);
    const std::string probe = readAt(fd, layout.audioStart, kProbeBytes);
    const auto* bytes = reinterpret_cast<const unsigned char*>(probe.data());
    if (probe.size() < 4)
        return std::nullopt;
    const std::optional<FrameHeader> first = frameHeaderAt(bytes);
    if (!first)
        return std::nullopt;
    layout.header = vbrHeaderIn(bytes, probe.size(), *first);
    // The header's own frame carries no audio; the frames after it show the bit rate.
    size_t at = layout.header ? first->length : 0;
    int rate = 0, sum = 0, count = 0;
    for (; count < kFramesForBitRate && at + 4 <= probe.size(); ++count) {
        const std::optional<FrameHeader> h = frameHeaderAt(bytes + at);
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
    if (!layout.header || layout.header->bytes <= 0 || layout.header->frames <= 0)
        return HeaderFit::Missing;
    // Taggers put other trailers (APE, Lyrics3) after the audio; a few kilobytes are no sign.
    const int64_t claimed = layout.header->bytes;
    const int64_t margin = std::max<int64_t>(claimed / 200, 8192);
    if (layout.audioBytes < claimed - margin)
        return HeaderFit::Cut;
    if (layout.audioBytes > claimed + margin)
        return HeaderFit::Longer;
    return HeaderFit::Fits;
}

} // namespace vbmp3
