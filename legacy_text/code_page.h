// 8-bit text whose code page nobody wrote down: tag fields in ID3v1, in ID3v2 frames marked
// ISO-8859-1, in RIFF INFO and MIDI, and file names. Old taggers wrote whatever code page their
// system used (CP932, CP1251, CP949, ...), modern ones UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace legacy_text {

// The iconv name of the code page that `bytes` (every text of one file, together) are in:
//  - uchardet's finding where the text is long enough for it (16 non-ASCII bytes or more),
//  - else the Windows code page of the user's language,
//  - never one in which the bytes are invalid, read as control or private-use characters, put
//    letters of two scripts into one word, or join a byte with the Latin letter after it into
//    one double-byte character inside a Latin word;
//    when neither reads them cleanly, CP1252; for long text then the code pages most legacy
//    text is in; at the last ISO-8859-1, which reads any byte.
//  - The user's own code page holds against another of its script (Latin or Cyrillic), and
//    against any where it reads plausible Cyrillic; a code page of that script whose letters
//    fit a language better (CP1250, CP1254, CP1257, CP1251, KOI8-R are tried too) overrules it.
//  - Between Cyrillic code pages, fewer capitals inside words, then clearly likelier letters.
std::string decideCodePage(const std::string& bytes);

// Bytes of text outside ASCII, the evidence uchardet has: bytes above 0x7F, each with the byte
// after it where that can be the second byte of a double-byte character (Big5 and Shift_JIS put
// many of those under 0x80).
size_t nonAsciiBytes(std::string_view bytes);

// Each text into UTF-8. Texts that are UTF-8 already (ASCII included) stay as they are; the
// others are converted from one code page, decided over all of them together, because a short
// field alone is easily guessed wrong.
void decodeTogether(const std::vector<std::string*>& texts);

// One text alone, such as a file name.
std::string decodeAlone(const std::string& bytes);

// text from one iconv code page into another; nothing where it is invalid in `from` or does not
// fit `to`.
std::optional<std::string> convert(const std::string& text, const char* from, const char* to);

} // namespace legacy_text
