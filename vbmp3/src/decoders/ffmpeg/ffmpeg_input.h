// A music file opened for libavformat, the one way both playback and tag reading open it.
#pragma once

#include <string>

struct AVFormatContext;
struct AVIOContext;

namespace vbmp3 {

class FfmpegInput {
public:
    FfmpegInput() = default;
    ~FfmpegInput();
    FfmpegInput(const FfmpegInput&) = delete;
    FfmpegInput& operator=(const FfmpegInput&) = delete;

    // Opens `path` read-only as a local file whose content alone decides the format, and reads
    // the container's header; false when it is no regular, non-empty file or no format takes it.
    bool open(const std::string& path);

    AVFormatContext* format() const { return format_; }
    AVIOContext* io() const { return io_; }

private:
    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
};

} // namespace vbmp3
