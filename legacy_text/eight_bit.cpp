#include "legacy_text/eight_bit.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "legacy_text/iconv_converter.h"
#include "legacy_text/utf8.h"

namespace legacy_text {
namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + a byte 0x80..0xFF that is no UTF-8
constexpr char16_t kReplacement = 0xFFFD;

// A byte that is no UTF-8 becomes its escape, or U+FFFD.
std::u16string utf16Of(std::string_view utf8, bool escape) {
    std::u16string out;
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = utf8SequenceAt(utf8, at);
        if (length == 0) {
            const auto byte = static_cast<unsigned char>(utf8[at++]);
            out += escape ? static_cast<char16_t>(kEscapeBase + byte) : kReplacement;
            continue;
        }
        const char32_t c = codePointAt(utf8, at, length);
        if (c > 0xFFFF) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        at += length;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// An escaped byte goes out as itself where `unescape`, else as '?', as does any other lone
// surrogate.
std::string utf8Of(std::u16string_view text, bool unescape) {
    std::string out;
    for (size_t at = 0; at < text.size(); ++at) {
        const char16_t c = text[at];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[at + 1] - 0xDC00));
            ++at;
        } else if (unescape && c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            out += static_cast<char>(c - kEscapeBase);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += '?';
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

// utf8 in codeset, whole characters while they fit in `limit` bytes.
std::string encoded(std::string_view utf8, const std::string& codeset, size_t limit) {
    IconvConverter converter(codeset.c_str(), "UTF-8");
    // A code page iconv does not know is taken for UTF-8.
    const bool same = isUtf8Codeset(codeset) || !converter.valid();
    std::string out;
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = utf8SequenceAt(utf8, at);
        if (length == 0) {
            ++at;
            continue;
        }
        const std::string_view character = utf8.substr(at, length);
        const std::string piece =
            same ? std::string(character) : converter.character(character).value_or("?");
        if (out.size() + piece.size() > limit)
            break;
        out += piece;
        at += length;
    }
    return out;
}

} // namespace

bool isUtf8Codeset(std::string_view codeset) {
    std::string name;
    for (const char c : codeset)
        if (c != '-' && c != '_')
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name == "UTF8";
}

std::string toEightBit(std::u16string_view text, const std::string& codeset) {
    if (isUtf8Codeset(codeset))
        return utf8Of(text, true);
    return encoded(utf8Of(text, false), codeset, std::string::npos);
}

std::u16string fromEightBit(std::string_view bytes, const std::string& codeset) {
    if (isUtf8Codeset(codeset))
        return utf16Of(bytes, true);
    return utf16Of(IconvConverter("UTF-8", codeset.c_str()).readable(bytes), false);
}

void toSlot(std::string_view utf8, const std::string& codeset, char* slot, size_t n) {
    std::memset(slot, 0, n);
    const std::string text = encoded(utf8, codeset, n);
    std::memcpy(slot, text.data(), text.size());
}

std::u16string fromSlot(std::string_view slot, const std::string& codeset) {
    std::u16string text =
        isUtf8Codeset(codeset)
            ? utf16Of(slot, false)
            : utf16Of(IconvConverter("UTF-8", codeset.c_str()).readable(slot), false);
    text.resize(slot.size(), u'\0');
    return text;
}

} // namespace legacy_text
