#include "decoders/ffmpeg/ffmpeg_input.h"

#include "shared/readable_file.h"

#include <cerrno>
#include <sys/stat.h>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vbmp3 {
namespace {

constexpr int kBufferBytes = 32768;

} // namespace

FfmpegInput::~FfmpegInput() {
    avformat_close_input(&format_);
    if (io_)
        av_freep(&io_->buffer); // ours: the format context was given it, not opened with it
    avio_context_free(&io_);
    if (fd_ >= 0)
        ::close(fd_);
}

int FfmpegInput::readPacket(void* self, uint8_t* into, int size) {
    auto* input = static_cast<FfmpegInput*>(self);
    const ssize_t got = ::pread(input->fd_, into, static_cast<size_t>(size), input->at_);
    if (got < 0)
        return AVERROR(errno);
    if (got == 0)
        return AVERROR_EOF;
    input->at_ += got;
    return static_cast<int>(got);
}

int64_t FfmpegInput::seekTo(void* self, int64_t offset, int whence) {
    auto* input = static_cast<FfmpegInput*>(self);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return input->size_;
    const int64_t origin = whence == SEEK_CUR ? input->at_ : whence == SEEK_END ? input->size_ : 0;
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END)
        return AVERROR(EINVAL);
    if (origin + offset < 0)
        return AVERROR(EINVAL);
    input->at_ = origin + offset;
    return input->at_;
}

bool FfmpegInput::open(const std::string& path) {
    // Not blocking: what is no regular file is refused before anything reads it. A descriptor,
    // not a name, so that no protocol but the file's own bytes is ever involved.
    fd_ = openForReading(path, O_NONBLOCK);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return false;
    size_ = info.st_size;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    io_ = buffer ? avio_alloc_context(buffer, kBufferBytes, 0, this, readPacket, nullptr, seekTo)
                 : nullptr;
    if (!io_) {
        av_free(buffer);
        return false;
    }
    // Probed without the name, so that the content alone decides the format.
    const AVInputFormat* input = nullptr;
    if (av_probe_input_buffer2(io_, &input, "", nullptr, 0, 0) < 0 || !input)
        return false;
    format_ = avformat_alloc_context();
    if (!format_)
        return false;
    format_->pb = io_;
    // An MP3's table of contents places a seek only roughly; the index of its packets is exact.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "usetoc", "0", 0);
    const int opened = avformat_open_input(&format_, "", input, &options);
    av_dict_free(&options);
    return opened >= 0; // on failure it frees format_ and sets it to null
}

} // namespace vbmp3
