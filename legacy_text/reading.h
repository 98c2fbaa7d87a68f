// How plausible a reading of 8-bit text in some code page is, judged on its UTF-8.
#pragma once

#include <string>

namespace legacy_text {

// False where the code page has not read the bytes: controls, private-use or replacement
// characters, or letters of two scripts inside one word.
bool readsCleanly(const std::string& utf8);

// The share of vowels among the Cyrillic letters (0 without any), about 0.4 in Russian text and
// far less in Cyrillic read in the wrong Cyrillic code page.
double cyrillicVowelShare(const std::string& utf8);

} // namespace legacy_text
