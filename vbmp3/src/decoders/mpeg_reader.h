// How the MP3 path has libmpg123 read a file: from the first frame on, so that a tag before it is
// never read; through a buffer, since libmpg123 asks for each header and body apart (and for each
// byte while it resyncs); with an optional stop that fails the next read. And the settings that
// playback and the background scan share, so that both count alike.
#pragma once

#include <atomic>
#include <sys/types.h>
#include <vector>

struct mpg123_handle_struct;

namespace vbmp3 {

class MpegReader {
public:
    // Reads the open file `fd` (not owned) from byte `start` on, which libmpg123 sees as byte 0,
    // `bufferBytes` at a time, by position (pread), so that the descriptor's offset is no matter.
    MpegReader(int fd, off_t start, size_t bufferBytes, const std::atomic<bool>* stop = nullptr);
    // Opens the stream on `handle` through this reader, which must outlive the handle's reads.
    bool openOn(mpg123_handle_struct* handle);

private:
    static ssize_t read(void* self, void* out, size_t count);
    static off_t seek(void* self, off_t offset, int whence);

    int fd_;
    off_t start_;
    off_t at_; // where the next read from the file starts: its descriptor may be shared
    const std::atomic<bool>* stop_;
    std::vector<char> buffer_;
    size_t next_ = 0; // the bytes from next_ to end_ are read from the file, not yet given out
    size_t end_ = 0;
};

struct MpegSettings {
    long flags = 0; // MPG123_FLAGS beside those every handle has
    long rate = 0;  // of the first frame: later frames at another rate are converted to it
};

// A handle that decodes float stereo (mono on both sides) at settings.rate whatever the frames
// change to midway, and resyncs past damage however far it goes; nullptr if libmpg123 refuses.
mpg123_handle_struct* newMpegHandle(const MpegSettings& settings);

// Whether reading goes on after a call that gave nothing: past a format change, and past damage
// while libmpg123 still moves on through the file; never at the end or on the spot.
class ReadingOn {
public:
    bool after(mpg123_handle_struct* handle, int result);

private:
    off_t furthest_ = -1;
    int inPlace_ = 0;
};

} // namespace vbmp3
