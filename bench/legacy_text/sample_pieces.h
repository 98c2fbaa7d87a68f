// Real text in legacy encodings (one file per language and encoding, LANG/ENCODING.txt) cut into
// the pieces a tag holds.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace legacy_text_bench {

struct Sample {
    std::string language; // the folder's name: "bg", "zh"
    std::string encoding; // the file's stem, an iconv name: "windows-1251"
    std::string text;     // UTF-8
};

// The 8-bit samples of folder, by language and encoding: the UTF-16/32 and UTF-8 files are no
// legacy text, and the 7-bit ISO-2022 mail encodings are no tag text. Files that iconv cannot
// read are left out.
std::vector<Sample> readSamples(const std::filesystem::path& folder);

// utf8 cut at blanks, several times over, into pieces of 10 to 60 characters (their lengths
// spread over that range); a word longer than what is left, such as Chinese or Thai without
// blanks, is cut between its characters. Each piece once, and only those with a character outside
// ASCII, the ones a code page matters to.
std::vector<std::string> piecesOf(const std::string& utf8);

size_t charactersIn(const std::string& utf8);
bool hasNonAscii(const std::string& text);

} // namespace legacy_text_bench
