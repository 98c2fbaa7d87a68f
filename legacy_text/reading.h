// How plausible a reading of 8-bit text in some code page is, judged on its UTF-8.
#pragma once

#include <string>

namespace legacy_text {

// False where the code page has not read the bytes: controls, private-use or replacement
// characters, letters of two scripts inside one word, or a half-width katakana alone between
// Latin letters.
bool readsCleanly(const std::string& utf8);

// How likely the Cyrillic letters of a reading are: the mean of each letter's log frequency in
// Russian or Bulgarian, with a penalty for a capital after a small letter inside a word: the
// two code pages of most Cyrillic text (CP1251 and KOI8-R) read each other's letters as
// rarer ones and with their case turned ("яКЮДЙХ" for "Сладки"). 0 without Cyrillic letters.
double cyrillicLikelihood(const std::string& utf8);

} // namespace legacy_text
