#include "api/boundary_text.h"

#include "legacy_text/eight_bit.h"
#include "legacy_text/locale_code_page.h"

namespace vbmp3 {

void putText(const std::string& utf8, char* slot, size_t n) {
    if (n == 0)
        return;
    // The last byte stays NUL, so a C string always ends inside the slot.
    slot[n - 1] = '\0';
    legacy_text::toSlot(utf8, legacy_text::boundaryCodeset(), slot, n - 1);
}

void fillTagInfo(const Tags& tags, vbmp3_TagInfo& out) {
    putText(tags.title, out.title, sizeof out.title);
    putText(tags.artist, out.artist, sizeof out.artist);
    putText(tags.album, out.album, sizeof out.album);
    putText(tags.year, out.year, sizeof out.year);
    putText(tags.comment, out.comment, sizeof out.comment);
    out.genreCode = tags.genreCode;
    putText(tags.genreName, out.genreName, sizeof out.genreName);
}

} // namespace vbmp3
