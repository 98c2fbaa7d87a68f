#include "api/boundary_text.h"

#include <cstring>
#include <iconv.h>

#include "legacy_text/locale_code_page.h"
#include "legacy_text/utf8.h"

namespace vbmp3 {
namespace {

// Characters of utf8 in the locale's character set, one at a time, so the cut falls between two.
// A character the code page cannot hold becomes '?'.
std::string toCodePage(const std::string& utf8, const char* codeset, size_t limit) {
    iconv_t cd = iconv_open(codeset, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out;
    for (size_t at = 0; at < utf8.size();) {
        // A stray byte is skipped alone.
        size_t len = std::max<size_t>(legacy_text::utf8SequenceAt(utf8, at), 1);
        char in[4];
        std::memcpy(in, utf8.data() + at, len);
        char converted[16];
        char* inPtr = in;
        char* outPtr = converted;
        size_t inLeft = len;
        size_t outLeft = sizeof converted;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        size_t got = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        std::string piece =
            got == static_cast<size_t>(-1) ? std::string("?") : std::string(converted, outPtr);
        if (out.size() + piece.size() > limit)
            break;
        out += piece;
        at += len;
    }
    iconv_close(cd);
    return out;
}

// The longest prefix of utf8 of at most limit bytes that ends on a character boundary.
std::string cutUtf8(const std::string& utf8, size_t limit) {
    size_t end = 0;
    while (end < utf8.size()) {
        size_t len = legacy_text::utf8SequenceAt(utf8, end);
        if (len == 0 || end + len > limit)
            break;
        end += len;
    }
    return utf8.substr(0, end);
}

} // namespace

void putText(const std::string& utf8, char* slot, size_t n) {
    if (n == 0)
        return;
    std::memset(slot, 0, n);
    std::string text = legacy_text::boundaryIsUtf8()
                           ? cutUtf8(utf8, n - 1)
                           : toCodePage(utf8, legacy_text::boundaryCodeset().c_str(), n - 1);
    std::memcpy(slot, text.data(), text.size());
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
