// The user's locale as the code pages of the engine's boundary and of legacy text.
#pragma once

#include <string>
#include <string_view>

namespace legacy_text {

// The code page Windows uses for the language of `locale` ("ja_JP.UTF-8" gives "CP932");
// "CP1252" for languages without one of their own, and for "C" and "POSIX".
std::string windowsCodePageOf(std::string_view locale);

// windowsCodePageOf the user's locale: LC_ALL, else LC_CTYPE, else LANG.
std::string userWindowsCodePage();

// The character set of 8-bit text at the engine's boundary: the locale's, except that the C and
// POSIX locales (plain ASCII) count as UTF-8, as they do for Qt and Python.
std::string boundaryCodeset();
bool boundaryIsUtf8();

} // namespace legacy_text
