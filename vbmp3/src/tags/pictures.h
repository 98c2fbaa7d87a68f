// A music file's embedded picture (a cover), as the tag stores it.
#pragma once

#include <cstddef>
#include <string>

#include "tags/file_windows.h"

namespace vbmp3 {

// The largest picture handed on; a larger one counts as none. No tag window holds more.
inline constexpr size_t kMaxPictureBytes = kMaxTagWindow;

// Each kind of file's reader of its picture (see readPicture in decoders/source.h).
std::string readMpegPicture(const std::string& path); // ID3v2 APIC
std::string readWavePicture(const std::string& path); // APIC of an ID3v2 chunk
std::string readAsfPicture(const std::string& path);  // WM/Picture
std::string readNoPicture(const std::string& path);   // a format that has no pictures

} // namespace vbmp3
