// A decoder: one open music file rendered as the engine's output stream, at the file's own rate.
#pragma once

#include "shared/file_kind.h"
#include "shared/output_format.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vbmp3 {

struct Tags;

// A length that a decoder learns after open (by scanning the file in the background), shared
// between the decoder and whoever holds the file's facts; -1 until then.
struct LaterLength {
    std::atomic<int64_t> frames{-1};
};

struct StreamFacts {
    std::string formatName; // UTF-8
    std::string codecName;  // UTF-8
    int32_t fileKind = 0;   // FileKind
    int32_t sampleRate = 0; // of the stream: the file's own (MIDI: the synthesizer's)
    int32_t channels = 0;
    int32_t bitsPerSample = 0;
    int32_t bitRateKbps = 0; // average over the exact length; 0 for MIDI
    bool variableBitRate = false;
    int32_t trackCount = 1;
    bool hasTag = false;
    bool hasPicture = false;
    bool seekable = true;
    int64_t totalFrames = 0; // length in frames at sampleRate: exact, or the best known at open
    std::shared_ptr<const LaterLength> laterLength; // set where a scan may correct totalFrames

    // totalFrames, or what the scan found once it has ended.
    int64_t framesNow() const {
        const int64_t later = laterLength ? laterLength->frames.load() : -1;
        return later >= 0 ? later : totalFrames;
    }
};

class Source {
public:
    virtual ~Source() = default;
    virtual const StreamFacts& facts() const = 0;
    // Writes up to `frames` frames into `out` (frames * kOutputChannels floats) and returns how
    // many it wrote; 0 means the end of the stream. Called on the engine's decoder thread only.
    virtual size_t read(float* out, size_t frames) = 0;
    // As read, but a source that holds the frames already (in memory shared with the decoder
    // process) hands back where they are instead of copying them into `scratch`; they stay there
    // until the next call. Sets `got` to what read would return.
    virtual const float* readFrames(float* scratch, size_t frames, size_t& got) {
        got = read(scratch, frames);
        return scratch;
    }
    // Positions the stream so that the next read starts at frame `frame` (sample-exact).
    // Returns false if the stream cannot go there; a frame at or past the end reads as the end.
    virtual bool seek(int64_t frame) = 0;
};

// Opens `path` with the decoder its content calls for (see the table in decoders.cpp). Returns
// nullptr unless the file really decodes.
std::unique_ptr<Source> openSource(const std::string& path);
// Reads the named file's tags with the reader of the decoder its content calls for, the one that
// would play it; false when the file cannot be read at all.
bool readTags(const std::string& path, Tags& out);
// The named file's picture, read likewise, as stored (JPEG, PNG or whatever the tagger put there,
// unchecked): the front cover where the file has several, else the first; empty without one, and
// for one above kMaxPictureBytes (tags/pictures.h).
std::string readPicture(const std::string& path);

// Each decoder's own opener; nullptr when it cannot take the file.
std::unique_ptr<Source> openMpg123Source(const std::string& path);
std::unique_ptr<Source> openSndfileSource(const std::string& path);
std::unique_ptr<Source> openFfmpegSource(const std::string& path); // the module, loaded once
// Loads the FFmpeg module now, where files could not be opened later; false if it cannot load.
bool loadFfmpegModule();
std::unique_ptr<Source> openMidiSource(const std::string& path);

} // namespace vbmp3
