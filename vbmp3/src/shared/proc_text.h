// The text of a small file of /proc (a task's stat or schedstat), read without the standard
// streams: a task that ends between the open and the read fails the read (ESRCH), which the
// streams throw for.
#pragma once

#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace vbmp3 {

// Empty where it cannot be read.
inline std::string readProcText(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char text[512];
    const ssize_t got = ::read(fd, text, sizeof text);
    ::close(fd);
    return got > 0 ? std::string(text, static_cast<size_t>(got)) : std::string();
}

// The state letter of a task's stat ("pid (name) S ..."; the name may hold any character), or 0.
inline char taskState(const std::string& stat) {
    const size_t nameEnd = stat.rfind(')');
    return nameEnd == std::string::npos || nameEnd + 2 >= stat.size() ? 0 : stat[nameEnd + 2];
}

} // namespace vbmp3
