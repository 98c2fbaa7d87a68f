// The MP3 decoder: libmpg123, with the length and seek table that the file's own VBR header
// gives, a scan in the background where that header is missing or does not fit the file, and
// encoder delay and padding removed as libmpg123 reads them from the header.
#pragma once

#include "decoders/converted_source.h"
#include "decoders/mpeg_layout.h"
#include "decoders/mpeg_scan.h"

struct mpg123_handle_struct;

namespace vbmp3 {

class Mpg123Source : public ConvertedSource {
public:
    Mpg123Source() = default;
    ~Mpg123Source() override;

    // True once `path` has opened as MPEG audio with a format libmpg123 decodes.
    bool open(const std::string& path);

private:
    size_t readNative(float* out, size_t frames) override;
    bool seekNative(int64_t frame) override;
    void fillFacts(const MpegLayout& layout, HeaderFit fit, bool scanned, int rate, int channels);
    // Seek points every so many frames, computed, where every frame has the same size (on
    // average: padding adds a byte to some) and the frames end at `audioEnd`.
    void indexConstantFrames(int64_t audioEnd, double frameBytes);
    void adoptScannedIndex();

    mpg123_handle_struct* handle_ = nullptr;
    int fd_ = -1;
    int channels_ = 0;
    std::unique_ptr<MpegScan> scan_;
};

} // namespace vbmp3
