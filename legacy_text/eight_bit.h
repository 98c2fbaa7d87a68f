// Text at an 8-bit boundary (the engine's C interface, file names) in `codeset`, an iconv name
// (boundaryCodeset() for the engine's), against UTF-16 or UTF-8 on the program's side. The one
// place that writes text into 8-bit slots, for the engine and the program alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace legacy_text {

// In UTF-8, bytes that are no UTF-8 (a file name in a legacy code page) come in as the lone
// surrogates U+DC80..U+DCFF and go out as the same bytes, as Python's "surrogateescape" does, so
// a path survives the round trip byte for byte. Another code page reads what is invalid in it as
// U+FFFD and writes a character it cannot hold as '?'.
std::string toEightBit(std::u16string_view text, const std::string& codeset);
std::u16string fromEightBit(std::string_view bytes, const std::string& codeset);

// Writes utf8 into a slot of n bytes in codeset, a whole character at a time, so that a cut
// never splits one; a character the code page cannot hold becomes '?', bytes that are no UTF-8
// are left out, and the rest of the slot is NUL. Never writes past n.
void toSlot(std::string_view utf8, const std::string& codeset, char* slot, size_t n);

// All bytes of a slot as exactly as many UTF-16 characters: the text, then NUL fill. An invalid
// or cut sequence becomes U+FFFD.
std::u16string fromSlot(std::string_view slot, const std::string& codeset);

bool isUtf8Codeset(std::string_view codeset);

} // namespace legacy_text
