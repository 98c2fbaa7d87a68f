#include "decoders/mpeg_scan.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <mpg123.h>
#include <unistd.h>
#include <utility>

namespace vbmp3 {
namespace {

// libmpg123 reads a frame's header and its body apart: unbuffered, a ten-hour file would take
// millions of reads.
constexpr size_t kScanBufferBytes = 1 << 16;

// The scan reads through these, so that a stop ends it at its next read.
struct ScanInput {
    int fd;
    const std::atomic<bool>* stop;
    std::vector<char> buffer = std::vector<char>(kScanBufferBytes);
    size_t next = 0; // the bytes from next to end are read from the file, not yet given out
    size_t end = 0;
};

ssize_t readInput(void* handle, void* out, size_t count) {
    auto* input = static_cast<ScanInput*>(handle);
    if (input->stop->load())
        return -1;
    if (input->next == input->end) {
        const ssize_t got = ::read(input->fd, input->buffer.data(), input->buffer.size());
        if (got <= 0)
            return got;
        input->next = 0;
        input->end = static_cast<size_t>(got);
    }
    const size_t given = std::min(count, input->end - input->next);
    std::memcpy(out, input->buffer.data() + input->next, given);
    input->next += given;
    return static_cast<ssize_t>(given);
}

off_t seekInput(void* handle, off_t offset, int whence) {
    auto* input = static_cast<ScanInput*>(handle);
    // The file is ahead of the reader by what the buffer still holds.
    if (whence == SEEK_CUR)
        offset -= static_cast<off_t>(input->end - input->next);
    input->next = input->end = 0;
    return ::lseek(input->fd, offset, whence);
}

} // namespace

MpegScan::MpegScan(const std::string& path, long flags, std::shared_ptr<LaterLength> length)
    : length_(std::move(length)) {
    thread_ = std::thread([this, path, flags] { run(path, flags); });
}

MpegScan::~MpegScan() {
    stop_ = true;
    thread_.join();
}

std::optional<FrameIndex> MpegScan::takeIndex() {
    std::lock_guard lock(mutex_);
    return std::exchange(index_, std::nullopt);
}

void MpegScan::run(const std::string& path, long flags) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    mpg123_handle* handle = fd < 0 ? nullptr : mpg123_new(nullptr, nullptr);
    ScanInput input{fd, &stop_};
    off_t* offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    if (handle && mpg123_param(handle, MPG123_FLAGS, flags, 0) == MPG123_OK &&
        mpg123_replace_reader_handle(handle, readInput, seekInput, nullptr) == MPG123_OK &&
        mpg123_open_handle(handle, &input) == MPG123_OK && mpg123_scan(handle) == MPG123_OK &&
        !stop_) {
        const off_t samples = mpg123_length(handle);
        if (samples > 0)
            length_->frames = static_cast<int64_t>(samples);
        if (mpg123_index(handle, &offsets, &step, &fill) == MPG123_OK && fill > 0) {
            std::lock_guard lock(mutex_);
            index_ = FrameIndex{{offsets, offsets + fill}, step};
        }
    }
    mpg123_delete(handle);
    if (fd >= 0)
        ::close(fd);
}

} // namespace vbmp3
