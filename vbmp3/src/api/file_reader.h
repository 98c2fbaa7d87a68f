// How the C functions read the files they are named: the opening of a file to play and the reading
// of a file's tags each run on a thread of their own, which the caller waits for no longer than a
// bound (core/errands.h). A file is read once per open: its tags are read on the opening's thread
// right after it has opened, for the stream's name and for the next tag read of the same file. A
// file's picture is read on a thread of its own likewise.
#pragma once

#include "core/errands.h"
#include "decoders/source.h"
#include "tags/tags.h"

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>

namespace vbmp3 {

// What a path named when it was looked at: the same path, node, size and modification time are
// taken for the same content without reading it again.
struct FileStamp {
    std::string path;
    uint64_t device = 0;
    uint64_t node = 0;
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

// A file's tags, once read: nullopt where it has none that can be read.
using LaterTags = std::shared_future<std::optional<Tags>>;

// The file that an open last read: which it was and its tags.
struct ReadFile {
    FileStamp stamp;
    LaterTags tags;
};

struct OpenedFile {
    std::unique_ptr<Source> source;
    ReadFile file;
};

class FileReader {
public:
    // Each call waits for its file up to `bound` while the reading is stalled, and up to `cap` in
    // all (see Errands).
    FileReader(std::chrono::milliseconds bound, std::chrono::milliseconds cap)
        : errands_(bound, cap) {}

    // The named file opened with the decoder its content calls for; nullopt unless it decodes
    // within the bound.
    std::optional<OpenedFile> open(const std::string& path);
    // The named file's tags: those of `last` where it is the same file, unchanged; nullopt when
    // they cannot be read within the bound.
    std::optional<Tags> tags(const std::string& path, const std::optional<ReadFile>& last);
    // The named file's embedded picture; nullopt where it has none or its reading stalls for
    // `bound`: a picture may take up to 16 MiB of the file.
    std::optional<std::string> picture(const std::string& path, std::chrono::milliseconds bound);

    // Waits up to `bound` for the files' threads: see Errands::waitFor.
    bool waitFor(std::chrono::milliseconds bound) { return errands_.waitFor(bound); }

private:
    Errands errands_;
};

} // namespace vbmp3
