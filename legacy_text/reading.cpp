#include "legacy_text/reading.h"

#include <cmath>
#include <functional>
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

// Half-width katakana: what CP932 makes of an accented capital of Latin-1, and never found alone
// between two Latin letters.
bool isHalfWidthKana(char32_t c) {
    return c >= 0xFF61 && c <= 0xFF9F;
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
            (isAsciiLetter(beforePrevious) && isHalfWidthKana(previous) && isAsciiLetter(c));
        if (isControl(c) || mixedWord || (c >= 0xE000 && c <= 0xF8FF) || c == 0xFFFD)
            return false;
        beforePrevious = std::exchange(previous, c);
        return true;
    });
}

CyrillicLetters cyrillicLetters(const std::string& utf8) {
    // Per mille in Russian or Bulgarian text, whichever is higher, for а to я.
    static constexpr double kPerMille[] = {89, 16, 45, 17,  33, 85, 9,  17, 79, 12, 35,
                                           44, 32, 67, 110, 30, 48, 55, 70, 26, 3,  10,
                                           9,  15, 7,  6,   26, 19, 17, 3,  6,  22};
    constexpr double kOtherLetter = 0.5; // ё and the letters of other Cyrillic languages
    CyrillicLetters letters;
    double sum = 0;
    size_t count = 0;
    bool previousSmall = false;
    forEachCharacter(utf8, [&](char32_t c) {
        if (c < 0x400 || c > 0x45F) {
            previousSmall = false;
            return true;
        }
        const bool small = c >= 0x430;
        const char32_t lower = c < 0x410 ? c + 0x50 : (small ? c : c + 0x20);
        sum += std::log(
            (lower >= 0x430 && lower <= 0x44F ? kPerMille[lower - 0x430] : kOtherLetter) / 1000);
        letters.caseBreaks += previousSmall && !small;
        previousSmall = small;
        ++count;
        return true;
    });
    letters.likelihood = count == 0 ? 0.0 : sum / static_cast<double>(count);
    return letters;
}

} // namespace legacy_text
