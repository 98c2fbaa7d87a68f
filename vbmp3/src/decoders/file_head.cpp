#include "decoders/file_head.h"

#include "shared/readable_file.h"

#include <sys/stat.h>

namespace vbmp3 {

bool isRegularNonEmptyFile(const std::string& path) {
    const int fd = openRegularNonEmpty(path);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

std::optional<std::string> readFileHead(const std::string& path, size_t count) {
    const int fd = openRegularNonEmpty(path);
    if (fd < 0)
        return std::nullopt;
    std::string head(count, '\0');
    size_t got = 0;
    while (got < count) {
        const ssize_t read = ::pread(fd, head.data() + got, count - got, static_cast<off_t>(got));
        if (read <= 0)
            break;
        got += static_cast<size_t>(read);
    }
    ::close(fd);
    if (got == 0)
        return std::nullopt;
    head.resize(got);
    return head;
}

} // namespace vbmp3
