// Opening a music file for reading. The decoder process may open nothing: it is handed each file
// already open and names it by its descriptor's path, which is duplicated here instead of opened.
// Duplicates share one file offset, so whoever reads a file beside another reader uses pread.
#pragma once

#include <charconv>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vbmp3 {

inline constexpr std::string_view kDescriptorPathPrefix = "/proc/self/fd/";

// The path that names this process's open descriptor `fd`.
inline std::string descriptorPath(int fd) {
    return std::string(kDescriptorPathPrefix) + std::to_string(fd);
}

// A new read-only descriptor of `path` (close-on-exec, with `flags` added), or -1.
inline int openForReading(const std::string& path, int flags = 0) {
    if (path.starts_with(kDescriptorPathPrefix)) {
        const char* digits = path.data() + kDescriptorPathPrefix.size();
        int fd = -1;
        const auto [end, error] = std::from_chars(digits, path.data() + path.size(), fd);
        if (error == std::errc{} && end == path.data() + path.size())
            return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    }
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | flags);
}

// A descriptor of `path` where it is a regular file with bytes in it, or -1. Not blocking: what
// is no regular file (a FIFO or a device would block, a folder holds no music) is refused before
// anything reads it.
inline int openRegularNonEmpty(const std::string& path) {
    const int fd = openForReading(path, O_NONBLOCK);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace vbmp3
