// The one look at a file before any decoder touches it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vbmp3 {

// A regular file with content. Opening a FIFO or a device would block the caller, and a folder
// or an empty file holds no music.
bool isRegularNonEmptyFile(const std::string& path);

// The first `count` bytes (fewer in a shorter file), or nothing unless `path` is a regular,
// non-empty file that can be read.
std::optional<std::string> readFileHead(const std::string& path, size_t count);

} // namespace vbmp3
