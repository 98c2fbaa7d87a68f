#include "decoders/module_file.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vbmp3 {
namespace {

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path)
        : descriptor_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
        struct stat info {};
        if (descriptor_ >= 0 && ::fstat(descriptor_, &info) == 0 && S_ISREG(info.st_mode))
            size_ = static_cast<uint64_t>(info.st_size);
    }
    ~ReadOnlyFile() {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Whether [offset, offset + count) lies inside the file (0 for what is no regular file).
    bool holds(uint64_t offset, uint64_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    bool read(uint64_t offset, void* into, size_t count) const {
        return holds(offset, count) &&
               ::pread(descriptor_, into, count, static_cast<off_t>(offset)) ==
                   static_cast<ssize_t>(count);
    }

private:
    int descriptor_;
    uint64_t size_ = 0;
};

bool sameKind(const ElfW(Ehdr) & header, const ElfW(Ehdr) & self) {
    return std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
           header.e_ident[EI_CLASS] == self.e_ident[EI_CLASS] &&
           header.e_ident[EI_DATA] == self.e_ident[EI_DATA] && header.e_type == ET_DYN &&
           header.e_machine == self.e_machine && header.e_phentsize == sizeof(ElfW(Phdr));
}

} // namespace

bool isWholeModule(const std::string& path, const ElfW(Ehdr) & self) {
    const ReadOnlyFile file(path);
    ElfW(Ehdr) header{};
    if (!file.read(0, &header, sizeof header) || !sameKind(header, self) ||
        !file.holds(header.e_shoff, uint64_t{header.e_shnum} * header.e_shentsize))
        return false;
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    if (!file.read(header.e_phoff, segments.data(), segments.size() * sizeof(ElfW(Phdr))))
        return false;
    for (const ElfW(Phdr) & segment : segments)
        if (!file.holds(segment.p_offset, segment.p_filesz))
            return false;
    return true;
}

} // namespace vbmp3
