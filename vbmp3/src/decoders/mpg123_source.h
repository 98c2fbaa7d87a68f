// The MP3 decoder: libmpg123, reading from the first frame on, with the length and seek table
// that the file's own VBR header gives, a scan in the background where that header is missing or
// does not fit the file, and encoder delay and padding removed as libmpg123 reads them from the
// header. Pieces at another rate or channel count play at the first frame's rate, in stereo.
#pragma once

#include "decoders/converted_source.h"
#include "decoders/mpeg_layout.h"
#include "decoders/mpeg_reader.h"
#include "decoders/mpeg_scan.h"

#include <optional>

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
    // The length is the scan's where the file was scanned at open.
    void fillFacts(const MpegLayout& layout, HeaderFit fit, std::optional<int64_t> scannedLength,
                   int rate);
    // Seek points every so many frames, computed, where every frame has `frameBytes` (on
    // average: padding adds a byte to some) up to the end of the audio. None for a size that no
    // frame of the layout's kind has.
    void indexConstantFrames(const MpegLayout& layout, double frameBytes);
    void adoptScannedIndex();

    mpg123_handle_struct* handle_ = nullptr;
    int fd_ = -1;
    std::optional<MpegReader> reader_;
    std::unique_ptr<MpegScan> scan_;
};

} // namespace vbmp3
