// One piece of text stored as old taggers stored it, in a real file, and read back by the
// engine's tag reader.
#pragma once

#include <filesystem>
#include <string>

namespace legacy_text_bench {

enum class TagKind { Id3v1, Id3v2Bytes, RiffInfo };
inline constexpr TagKind kTagKinds[] = {TagKind::Id3v1, TagKind::Id3v2Bytes, TagKind::RiffInfo};

// The text that a reader should give back of utf8 written in encoding as the title of that tag
// kind: ID3v1 holds 30 bytes, so a longer title is cut before the character that does not fit,
// and the blanks that end the cut are dropped as readers drop them.
std::string storedTitle(const std::string& utf8, const std::string& encoding, TagKind kind);

// Files with one title each, in a folder of their own.
class TagFiles {
public:
    explicit TagFiles(const std::filesystem::path& folder);

    // Writes bytes (the title in its encoding) as the title of a file of that kind; its path.
    std::string write(const std::string& name, const std::string& bytes, TagKind kind) const;

private:
    std::filesystem::path folder_;
    std::string mp3_; // a short MP3 without tags
};

// The title that the engine's tag reader gives of path, UTF-8.
std::string readTitle(const std::string& path);

} // namespace legacy_text_bench
