// The one function of the FFmpeg module (libvbmp3_ffmpeg.so), which the decoder table loads with
// dlopen when the first file that only FFmpeg plays (WMA, odd codecs) opens: linked, libavcodec
// and libavformat would bring about a hundred libraries into every player's memory.
#pragma once

namespace vbmp3 {

class Source;

inline constexpr const char* kFfmpegModuleFile = "libvbmp3_ffmpeg.so";
inline constexpr const char* kFfmpegOpenFunction = "vbmp3_ffmpeg_open";

// Opens `path` with FFmpeg; a source for the caller to delete, or nullptr.
using FfmpegOpenFunction = Source* (*)(const char* path);

} // namespace vbmp3
