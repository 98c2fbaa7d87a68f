#include "decoders/file_head.h"

#include <fstream>
#include <sys/stat.h>

namespace vbmp3 {

bool isRegularNonEmptyFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

std::optional<std::string> readFileHead(const std::string& path, size_t count) {
    if (!isRegularNonEmptyFile(path))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string head(count, '\0');
    in.read(head.data(), static_cast<std::streamsize>(count));
    if (in.bad() || in.gcount() == 0)
        return std::nullopt;
    head.resize(static_cast<size_t>(in.gcount()));
    return head;
}

} // namespace vbmp3
