// A decoder: one open music file rendered as the engine's output stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vbmp3 {

// Every source renders interleaved stereo float at this rate, whatever the file holds.
inline constexpr int kOutputRate = 48000;
inline constexpr int kOutputChannels = 2;

// Whole seconds that playback of `frames` output frames enters: the exact length rounded down,
// plus one.
inline int32_t secondsEntered(int64_t frames) {
    return static_cast<int32_t>(frames / kOutputRate) + 1;
}

struct StreamFacts {
    std::string formatName; // UTF-8
    std::string codecName;  // UTF-8
    int32_t fileKind = 0;   // VBMP3_KIND_*
    int32_t sampleRate = 0; // of the source
    int32_t channels = 0;
    int32_t bitsPerSample = 0;
    int32_t bitRateKbps = 0; // average over the exact length; 0 for MIDI
    bool variableBitRate = false;
    int32_t trackCount = 1;
    bool hasTag = false;
    bool hasPicture = false;
    bool seekable = true;
    int64_t totalFrames = 0; // exact length in output frames
};

class Source {
public:
    virtual ~Source() = default;
    virtual const StreamFacts& facts() const = 0;
    // Writes up to `frames` frames into `out` (frames * kOutputChannels floats) and returns how
    // many it wrote; 0 means the end of the stream. Called on the engine's decoder thread only.
    virtual size_t read(float* out, size_t frames) = 0;
    // Positions the stream so that the next read starts at output frame `frame` (sample-exact).
    // Returns false if the stream cannot go there; a frame at or past the end reads as the end.
    virtual bool seek(int64_t frame) = 0;
};

// Opens `path` with the decoder its content calls for (a Standard MIDI File goes to the MIDI
// source, everything else to FFmpeg; see decoders.cpp). Returns nullptr unless the file really
// decodes.
std::unique_ptr<Source> openSource(const std::string& path);

// Each decoder's own opener; nullptr when it cannot take the file.
std::unique_ptr<Source> openFfmpegSource(const std::string& path);
std::unique_ptr<Source> openMidiSource(const std::string& path);

} // namespace vbmp3
