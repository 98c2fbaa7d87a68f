// UTF-8 checks on raw bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace legacy_text {

// Length of the well-formed UTF-8 sequence that starts at `at` (1 to 4), or 0 where the bytes
// there are no such sequence (a stray, overlong, surrogate or cut one).
size_t utf8SequenceAt(std::string_view text, size_t at);

// The code point of the well-formed sequence of `length` bytes at `at` (see utf8SequenceAt).
char32_t codePointAt(std::string_view utf8, size_t at, size_t length);

bool isUtf8(std::string_view text);

} // namespace legacy_text
