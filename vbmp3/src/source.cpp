#include "source.h"

namespace vbmp3 {

std::unique_ptr<Source> openSource(const std::string& path) {
    if (looksLikeMidi(path))
        return openMidiSource(path);
    return openFfmpegSource(path);
}

} // namespace vbmp3
