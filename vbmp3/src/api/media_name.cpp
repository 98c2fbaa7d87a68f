#include "api/media_name.h"

#include <filesystem>

namespace vbmp3 {

std::string mediaName(const std::string& path, const std::optional<Tags>& tags) {
    if (!tags || tags->title.empty())
        return std::filesystem::path(path).filename().string();
    return tags->artist.empty() ? tags->title : tags->artist + " \u2013 " + tags->title;
}

} // namespace vbmp3
