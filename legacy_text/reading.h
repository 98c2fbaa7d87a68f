// How plausible a reading of 8-bit text in some code page is, judged on its UTF-8.
#pragma once

#include <string>

namespace legacy_text {

// False where the code page has not read the bytes: controls, private-use or replacement
// characters, letters of two scripts inside one word, or a half-width katakana alone between
// Latin letters.
bool readsCleanly(const std::string& utf8);

// What tells the readings of Cyrillic text in its code pages apart: they read each other's
// letters as rarer ones and with their case turned ("яКЮДЙХ" for "Сладки" in CP1251 read as
// KOI8-R).
struct CyrillicLetters {
    size_t caseBreaks = 0; // capitals after a small letter inside a word
    double likelihood = 0; // the mean log frequency of the letters in Russian or Bulgarian
};
CyrillicLetters cyrillicLetters(const std::string& utf8);

} // namespace legacy_text
