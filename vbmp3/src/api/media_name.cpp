#include "api/media_name.h"

#include "tags/tags.h"

#include <filesystem>

namespace vbmp3 {

std::string mediaName(const std::string& path) {
    Tags tags;
    if (!readTags(path, tags) || tags.title.empty())
        return std::filesystem::path(path).filename().string();
    return tags.artist.empty() ? tags.title : tags.artist + " \u2013 " + tags.title;
}

} // namespace vbmp3
