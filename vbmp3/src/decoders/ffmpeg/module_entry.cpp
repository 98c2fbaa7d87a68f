#include "decoders/ffmpeg/module_entry.h"

#include "decoders/ffmpeg/ffmpeg_source.h"

extern "C" {
#include <libavutil/log.h>
}

extern "C" __attribute__((visibility("default"))) vbmp3::Source*
vbmp3_ffmpeg_open(const char* path) {
    // A damaged file is refused or played as far as it goes; FFmpeg's complaints about it on
    // the host's standard error would help nobody (libmpg123 runs quiet too).
    av_log_set_level(AV_LOG_QUIET);
    auto source = std::make_unique<vbmp3::FfmpegSource>();
    return source->open(path) ? source.release() : nullptr;
}

// The declared type and the definition must agree.
static_assert(std::is_same_v<decltype(&vbmp3_ffmpeg_open), vbmp3::FfmpegOpenFunction>);
