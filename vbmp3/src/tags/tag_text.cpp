#include "tags/tag_text.h"

#include <taglib/tstring.h>

namespace vbmp3 {

std::string storedBytes(const TagLib::String& text) {
    return text.to8Bit(false);
}

std::string utf8Of(const TagLib::String& text) {
    return text.to8Bit(true);
}

std::string yearOf(const std::string& date) {
    return date.size() > 4 && date[4] == '-' ? date.substr(0, 4) : date;
}

std::vector<std::string*> textFields(Tags& tags) {
    return {&tags.title, &tags.artist, &tags.album, &tags.year, &tags.comment, &tags.genreName};
}

void fillEmptyFields(Tags& tags, const Tags& other) {
    Tags from = other;
    const std::vector<std::string*> to = textFields(tags);
    const std::vector<std::string*> source = textFields(from);
    for (size_t i = 0; i < to.size(); ++i)
        if (to[i]->empty())
            *to[i] = *source[i];
}

} // namespace vbmp3
