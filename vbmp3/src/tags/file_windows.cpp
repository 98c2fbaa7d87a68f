#include "tags/file_windows.h"

#include "shared/readable_file.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vbmp3 {

FileWindows::FileWindows(const std::string& path) : path_(path) {
    // Not blocking: a FIFO put in the file's place since its kind was looked at is refused below.
    descriptor_ = openForReading(path, O_NONBLOCK);
    struct stat info {};
    if (descriptor_ >= 0 && (::fstat(descriptor_, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    size_ = descriptor_ >= 0 ? static_cast<long>(info.st_size) : 0;
    tailStart_ = size_;
}

FileWindows::~FileWindows() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

std::string FileWindows::firstBytes(size_t count) const {
    std::string bytes(std::min<size_t>(count, static_cast<size_t>(size_)), '\0');
    const ssize_t got = isOpen() ? ::pread(descriptor_, bytes.data(), bytes.size(), 0) : 0;
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return bytes;
}

void FileWindows::openHead(uint64_t bytes) {
    headEnd_ = static_cast<long>(std::min({bytes, kMaxTagWindow, static_cast<uint64_t>(size_)}));
}

void FileWindows::openTail(uint64_t bytes) {
    tailStart_ =
        size_ - static_cast<long>(std::min({bytes, kMaxTagWindow, static_cast<uint64_t>(size_)}));
}

TagLib::FileName FileWindows::name() const {
    return path_.c_str();
}

long FileWindows::windowEnd(long position) const {
    if (position >= 0 && position < headEnd_)
        return headEnd_;
    if (position >= tailStart_ && position < size_)
        return size_;
    return position;
}

TagLib::ByteVector FileWindows::readBlock(unsigned long length) {
    const auto count = static_cast<unsigned long>(windowEnd(position_) - position_);
    if (count == 0 || reads_ >= kMaxReads)
        return {};
    ++reads_;
    TagLib::ByteVector block(static_cast<unsigned int>(std::min(count, length)), '\0');
    const ssize_t got = ::pread(descriptor_, block.data(), block.size(), position_);
    block.resize(got > 0 ? static_cast<unsigned int>(got) : 0);
    position_ += static_cast<long>(block.size());
    return block;
}

void FileWindows::seek(long offset, Position from) {
    const long origin = from == Beginning ? 0 : from == Current ? position_ : size_;
    position_ = origin + offset;
}

} // namespace vbmp3
