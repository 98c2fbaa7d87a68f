#include "decoders/mpeg_reader.h"

#include <algorithm>
#include <cstring>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbmp3 {
namespace {

// Calls in a row that give nothing and read nothing further: a stream stuck, not damage.
constexpr int kMaxCallsInPlace = 64;

} // namespace

MpegReader::MpegReader(int fd, off_t start, size_t bufferBytes, const std::atomic<bool>* stop)
    : fd_(fd), start_(start), at_(start), stop_(stop), buffer_(bufferBytes) {}

bool MpegReader::openOn(mpg123_handle* handle) {
    return mpg123_replace_reader_handle(handle, read, seek, nullptr) == MPG123_OK &&
           mpg123_open_handle(handle, this) == MPG123_OK;
}

ssize_t MpegReader::read(void* self, void* out, size_t count) {
    auto* reader = static_cast<MpegReader*>(self);
    if (reader->stop_ && reader->stop_->load())
        return -1;
    if (reader->next_ == reader->end_) {
        const ssize_t got =
            ::pread(reader->fd_, reader->buffer_.data(), reader->buffer_.size(), reader->at_);
        if (got <= 0)
            return got;
        reader->at_ += got;
        reader->next_ = 0;
        reader->end_ = static_cast<size_t>(got);
    }
    const size_t given = std::min(count, reader->end_ - reader->next_);
    std::memcpy(out, reader->buffer_.data() + reader->next_, given);
    reader->next_ += given;
    return static_cast<ssize_t>(given);
}

off_t MpegReader::seek(void* self, off_t offset, int whence) {
    auto* reader = static_cast<MpegReader*>(self);
    // The file is ahead of the reader by what the buffer still holds.
    off_t at = -1;
    struct stat info {};
    if (whence == SEEK_CUR)
        at = reader->at_ - static_cast<off_t>(reader->end_ - reader->next_) + offset;
    else if (whence == SEEK_SET)
        at = reader->start_ + offset;
    else if (whence == SEEK_END && ::fstat(reader->fd_, &info) == 0)
        at = info.st_size + offset;
    if (at < reader->start_)
        return -1;
    reader->next_ = reader->end_ = 0;
    reader->at_ = at;
    return at - reader->start_;
}

mpg123_handle* newMpegHandle(const MpegSettings& settings) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    const long flags = settings.flags | MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO;
    bool set = handle && mpg123_param(handle, MPG123_FLAGS, flags, 0) == MPG123_OK &&
               mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0) == MPG123_OK &&
               mpg123_param(handle, MPG123_FORCE_RATE, settings.rate, 0) == MPG123_OK &&
               mpg123_format_none(handle) == MPG123_OK;
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; set && i < count; ++i)
        set = mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32) == MPG123_OK;
    if (set)
        return handle;
    mpg123_delete(handle);
    return nullptr;
}

bool ReadingOn::after(mpg123_handle* handle, int result) {
    if (result == MPG123_DONE)
        return false;
    const off_t at = mpg123_tell_stream(handle);
    inPlace_ = at > furthest_ ? 0 : inPlace_ + 1;
    furthest_ = std::max(furthest_, at);
    return inPlace_ < kMaxCallsInPlace;
}

} // namespace vbmp3
