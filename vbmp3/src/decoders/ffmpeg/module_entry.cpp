#include "decoders/ffmpeg/module_entry.h"

#include "decoders/ffmpeg/ffmpeg_source.h"

extern "C" __attribute__((visibility("default"))) vbmp3::Source*
vbmp3_ffmpeg_open(const char* path) {
    auto source = std::make_unique<vbmp3::FfmpegSource>();
    return source->open(path) ? source.release() : nullptr;
}

// The declared type and the definition must agree.
static_assert(std::is_same_v<decltype(&vbmp3_ffmpeg_open), vbmp3::FfmpegOpenFunction>);
