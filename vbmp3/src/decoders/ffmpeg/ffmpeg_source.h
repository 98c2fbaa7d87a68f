// The FFmpeg decoder's state, inside the FFmpeg module.
#pragma once

#include "decoders/ffmpeg/ffmpeg_input.h"
#include "decoders/source.h"

#include <vector>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/rational.h>
}

struct AVCodec;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace vbmp3 {

class FfmpegSource : public Source {
public:
    FfmpegSource() = default;
    ~FfmpegSource() override;
    FfmpegSource(const FfmpegSource&) = delete;
    FfmpegSource& operator=(const FfmpegSource&) = delete;

    // Opens `path` read-only; true once its first packets have decoded.
    bool open(const std::string& path);

    const StreamFacts& facts() const override { return facts_; }
    size_t read(float* out, size_t frames) override;
    bool seek(int64_t frame) override;

private:
    AVFormatContext* format() const { return input_.format(); }
    void fillFacts(const AVCodec* codec);

    // The length and bit rate (ffmpeg_length.cpp).
    struct PacketSum {
        int64_t duration = 0, bytes = 0;
        int64_t firstPts = AV_NOPTS_VALUE, lastEnd = 0;
        bool varying = false; // sizes differ: a variable bit rate
    };
    PacketSum sumPackets();
    bool claimsMoreThanHeld(int64_t claimedFrames) const;
    bool measureLength();
    void boundByBytesHeld();
    // Whether two packets' sizes tell a variable bit rate.
    static bool sizesVary(int first, int other);

    // Decoding and seeking.
    bool decodeFirstPackets();
    bool decodeMore(); // one step of demuxing or decoding; false at the end
    void drain();      // the decoder's and resampler's last frames
    bool convertFrame();
    bool appendConverted(int capacity, const uint8_t** in, int inCount);
    bool seekToBlock(int64_t frame);
    void placeAfterSeek(); // from the first frame decoded after a seek
    // Drops what was decoded for the old position; frames before `target` will be dropped too.
    void resetDecoding(int64_t target);

    FfmpegInput input_;
    AVCodecContext* decoder_ = nullptr;
    SwrContext* swr_ = nullptr;
    int swrFormat_ = -1; // the frames' sample format and channels that swr_ was made for
    int swrChannels_ = 0;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    int stream_ = -1;
    AVRational timeBase_{1, 1};
    int64_t origin_ = 0; // timestamp of the first sample, in timeBase_
    bool mono_ = false;
    bool lengthMeasured_ = false;
    bool ended_ = false;

    std::vector<float> converted_;
    std::vector<float> pending_; // decoded stereo frames not yet read
    size_t pendingRead_ = 0;     // frames of pending_ already read
    int64_t nextFrame_ = 0;      // stream frame of the resampler's next sample
    int64_t discardUntil_ = 0;   // a seek's target: earlier frames are dropped
    bool positionUnknown_ = false;
    int64_t blockSamples_ = 0;   // samples in each fixed-size block of a WAV's compressed data
    int64_t dataStart_ = -1;     // file position of the first packet
    int64_t restartSample_ = -1; // source sample a seek resumes at, where known without timestamps

    StreamFacts facts_;
};

} // namespace vbmp3
