// Which languages' alphabets a reading of 8-bit text could be written in: two code pages of one
// script mostly read the same bytes as letters of that script, but only the right one gives
// letters that some language writes together ("Hoøící" mixes Danish ø with Czech í).
#pragma once

#include <string>

namespace legacy_text {

enum class Script { Latin, Cyrillic, Other };

// The script of most of the letters outside ASCII; Latin where there are none.
Script scriptOf(const std::string& utf8);

// How well the letters outside ASCII of a reading fit one language (Latin and Cyrillic; others
// always fit):
//   2: a language has them all,
//   1: only a language rarely met in 8-bit tags outside its own locale does, or they are only
//      letters that CP1252 makes of other code pages' (Icelandic ð, þ and ý of Turkish ğ, ş, ı),
//   0: none does, or a sign stands between two letters ("Mê¿czyzna" for "Mężczyzna").
int languageFit(const std::string& utf8);

} // namespace legacy_text
