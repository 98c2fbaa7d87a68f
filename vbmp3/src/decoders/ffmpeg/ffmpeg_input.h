// A music file opened for libavformat, the one way both playback and tag reading open it.
#pragma once

#include <cstdint>
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
    // libavformat reads the file through these, by position: its descriptor may be shared.
    static int readPacket(void* self, uint8_t* into, int size);
    static int64_t seekTo(void* self, int64_t offset, int whence);

    int fd_ = -1;
    int64_t size_ = 0;
    int64_t at_ = 0;
    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
};

} // namespace vbmp3
