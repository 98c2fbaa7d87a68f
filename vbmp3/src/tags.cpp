#include "tags.h"

#include "source.h"

namespace vbmp3 {

bool readTags(const std::string& path, Tags& out) {
    out = Tags{};
    return looksLikeMidi(path) ? readMidiTags(path, out) : readFfmpegTags(path, out);
}

} // namespace vbmp3
