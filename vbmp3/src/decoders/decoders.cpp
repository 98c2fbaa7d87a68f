// The decoders in the order the engine asks them, each with the same say over playback and tags.
#include "decoders/file_head.h"
#include "decoders/source.h"
#include "tags/tags.h"

#include <string_view>

namespace vbmp3 {
namespace {

// Enough of a file's start for every decoder's signature.
constexpr size_t kHeadBytes = 4;

bool isStandardMidiFile(std::string_view head) {
    return head.starts_with("MThd");
}

// FFmpeg probes the content itself.
bool anyFile(std::string_view) {
    return true;
}

struct Decoder {
    bool (*accepts)(std::string_view head);
    std::unique_ptr<Source> (*openSource)(const std::string& path);
    bool (*readTags)(const std::string& path, Tags& out);
};

// FFmpeg takes whatever comes its way, so it ends the list.
constexpr Decoder kDecoders[] = {
    {isStandardMidiFile, openMidiSource, readMidiTags},
    {anyFile, openFfmpegSource, readFfmpegTags},
};

// The decoder the file's content calls for, or nullptr for a path that is no regular,
// non-empty file: reading a FIFO or a device would block the caller.
const Decoder* decoderFor(const std::string& path) {
    const std::optional<std::string> head = readFileHead(path, kHeadBytes);
    if (!head)
        return nullptr;
    for (const Decoder& decoder : kDecoders)
        if (decoder.accepts(*head))
            return &decoder;
    return nullptr;
}

} // namespace

std::unique_ptr<Source> openSource(const std::string& path) {
    const Decoder* decoder = decoderFor(path);
    return decoder ? decoder->openSource(path) : nullptr;
}

bool readTags(const std::string& path, Tags& out) {
    out = Tags{};
    const Decoder* decoder = decoderFor(path);
    return decoder && decoder->readTags(path, out);
}

} // namespace vbmp3
