#include "decoders/ffmpeg/ffmpeg_input.h"

#include "decoders/file_head.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace vbmp3 {

FfmpegInput::~FfmpegInput() {
    avformat_close_input(&format_);
    avio_closep(&io_); // ours: the format context was given it, not opened with it
}

bool FfmpegInput::open(const std::string& path) {
    if (!isRegularNonEmptyFile(path))
        return false;
    // "file:" keeps a name such as "http://x.mp3" or "pipe:0" from reaching another protocol.
    if (avio_open(&io_, ("file:" + path).c_str(), AVIO_FLAG_READ) < 0)
        return false;
    // Probed without the name, so that the content alone decides the format.
    const AVInputFormat* input = nullptr;
    if (av_probe_input_buffer2(io_, &input, "", nullptr, 0, 0) < 0 || !input)
        return false;
    format_ = avformat_alloc_context();
    if (!format_)
        return false;
    format_->pb = io_;
    // An MP3's table of contents places a seek only roughly; the index of its packets is exact.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "usetoc", "0", 0);
    const int opened = avformat_open_input(&format_, "", input, &options);
    av_dict_free(&options);
    return opened >= 0; // on failure it frees format_ and sets it to null
}

} // namespace vbmp3
