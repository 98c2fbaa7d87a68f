#include "legacy_text/reading.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>

#include "legacy_text/utf8.h"

namespace legacy_text {
namespace {

// Calls each(c) for every character of well-formed UTF-8; false at the first malformed one.
bool forEachCharacter(const std::string& utf8, const std::function<bool(char32_t)>& each) {
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = utf8SequenceAt(utf8, at);
        if (length == 0 || !each(codePointAt(utf8, at, length)))
            return false;
        at += length;
    }
    return true;
}

bool isAsciiLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Letters of Greek, Cyrillic, Hebrew, Arabic and Thai, which never share a word with Latin ones.
bool isOtherAlphabetLetter(char32_t c) {
    return (c >= 0x370 && c <= 0x52F) || (c >= 0x590 && c <= 0x6FF) || (c >= 0xE00 && c <= 0xE7F);
}

// Kanji and half-width katakana: what CP932 makes of an accented Latin-1 letter (with the letter
// after it), and never found alone between two Latin letters.
bool isKanjiOrHalfWidthKana(char32_t c) {
    return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF61 && c <= 0xFF9F);
}

bool isControl(char32_t c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || (c >= 0x7F && c < 0xA0);
}

} // namespace

bool readsCleanly(const std::string& utf8) {
    char32_t beforePrevious = ' ', previous = ' ';
    return forEachCharacter(utf8, [&](char32_t c) {
        const bool mixedWord =
            (isAsciiLetter(previous) && isOtherAlphabetLetter(c)) ||
            (isOtherAlphabetLetter(previous) && isAsciiLetter(c)) ||
            (isAsciiLetter(beforePrevious) && isKanjiOrHalfWidthKana(previous) && isAsciiLetter(c));
        if (isControl(c) || mixedWord || (c >= 0xE000 && c <= 0xF8FF) || c == 0xFFFD)
            return false;
        beforePrevious = std::exchange(previous, c);
        return true;
    });
}

double cyrillicVowelShare(const std::string& utf8) {
    // Lower case; capitals are 0x20 below (0x50 below for U+0450..U+045F).
    static constexpr char32_t kVowels[] = {0x430, 0x435, 0x438, 0x43E, 0x443, 0x44B, 0x44D,
                                           0x44E, 0x44F, 0x451, 0x454, 0x456, 0x457};
    size_t letters = 0, vowels = 0;
    forEachCharacter(utf8, [&](char32_t c) {
        if (c < 0x400 || c > 0x45F)
            return true;
        ++letters;
        const char32_t lower = c < 0x410 ? c + 0x50 : (c < 0x430 ? c + 0x20 : c);
        vowels += std::find(std::begin(kVowels), std::end(kVowels), lower) != std::end(kVowels);
        return true;
    });
    return letters == 0 ? 0.0 : static_cast<double>(vowels) / static_cast<double>(letters);
}

} // namespace legacy_text
