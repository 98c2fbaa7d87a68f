// The FFmpeg decoder: whatever libavformat recognises by content and libavcodec decodes (MP3,
// WAV of any PCM width, float and ADPCM, WMA and more), turned into stereo float at the stream's
// own rate by libswresample. Opening, decoding and seeking; the length and bit rate are
// ffmpeg_length.cpp's.
#include "decoders/ffmpeg/ffmpeg_source.h"
#include "decoders/pending_frames.h"

#include <algorithm>
#include <array>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace vbmp3 {
namespace {

// A file whose first packets all fail is not music, however many of them it has; nor one whose
// first packets decode, but to no sound.
constexpr int kMaxBadPackets = 64;
constexpr int kMaxPacketsWithoutSound = 4 * kMaxBadPackets;
// Packets looked at while opening to tell a constant bit rate from a variable one.
constexpr int kPacketsForBitRate = 8;
// How far before a seek's target decoding resumes.
constexpr double kSeekRunUpSeconds = 1.0 / 3;
// The frames a drained resampler is asked for at a time, until it has none left.
constexpr int kDrainFrames = 4096;
// Far above any recording's: a damaged header's rate in the millions is no music, and the sound
// server would refuse the stream.
constexpr int kMaxSampleRate = 768000;

// FFmpeg numbers each family of audio codecs in a block of its own that grows at its end: PCM's
// block runs up to ADPCM's first, ADPCM's up to the next family's first.
bool isPcm(AVCodecID id) {
    return id >= AV_CODEC_ID_PCM_S16LE && id < AV_CODEC_ID_ADPCM_IMA_QT;
}

bool isAdpcm(AVCodecID id) {
    return id >= AV_CODEC_ID_ADPCM_IMA_QT && id < AV_CODEC_ID_AMR_NB;
}

int32_t kindOf(const char* formatName) {
    std::string name = formatName;
    if (name == "mp3")
        return kKindMpeg;
    if (name == "wav")
        return kKindWave;
    if (name == "asf")
        return kKindWma;
    return kKindOther;
}

} // namespace

FfmpegSource::~FfmpegSource() {
    swr_free(&swr_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&decoder_);
}

bool FfmpegSource::open(const std::string& path) {
    if (!input_.open(path))
        return false;
    if (avformat_find_stream_info(format(), nullptr) < 0)
        return false;
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(format(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ < 0 || !codec)
        return false;
    AVStream* st = format()->streams[stream_];
    decoder_ = avcodec_alloc_context3(codec);
    if (!decoder_ || avcodec_parameters_to_context(decoder_, st->codecpar) < 0)
        return false;
    decoder_->pkt_timebase = st->time_base;
    if (avcodec_open2(decoder_, codec, nullptr) < 0)
        return false;
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!packet_ || !frame_)
        return false;
    timeBase_ = st->time_base;

    fillFacts(codec);
    if (facts_.sampleRate <= 0 || facts_.sampleRate > kMaxSampleRate || !measureLength() ||
        !decodeFirstPackets())
        return false;
    boundByBytesHeld();
    return true;
}

void FfmpegSource::fillFacts(const AVCodec* codec) {
    const AVCodecParameters* par = format()->streams[stream_]->codecpar;
    facts_.formatName = format()->iformat->long_name ? format()->iformat->long_name : "";
    facts_.codecName = codec->long_name ? codec->long_name : codec->name;
    facts_.fileKind = kindOf(format()->iformat->name);
    facts_.sampleRate = par->sample_rate;
    facts_.channels = par->ch_layout.nb_channels;
    facts_.bitsPerSample = isPcm(par->codec_id) ? par->bits_per_coded_sample : 0;
    // WAV's own seek guesses the position of compressed blocks (ADPCM) from the byte rate, which
    // lands far off; blocks of fixed size and sample count can be found exactly instead.
    if (facts_.fileKind == kKindWave && isAdpcm(par->codec_id) && par->block_align > 0)
        blockSamples_ =
            av_get_audio_frame_duration2(const_cast<AVCodecParameters*>(par), par->block_align);
    facts_.seekable = (input_.io()->seekable & AVIO_SEEKABLE_NORMAL) != 0;
    for (const char* key : {"title", "artist", "album", "genre", "date", "comment"})
        facts_.hasTag = facts_.hasTag || av_dict_get(format()->metadata, key, nullptr, 0);
    for (unsigned i = 0; i < format()->nb_streams; ++i)
        facts_.hasPicture =
            facts_.hasPicture || (format()->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

bool FfmpegSource::decodeFirstPackets() {
    int sizes[kPacketsForBitRate];
    int packets = 0, bad = 0;
    bool decoded = false;
    while (!(decoded && packets >= kPacketsForBitRate)) {
        int r = av_read_frame(format(), packet_);
        if (r < 0)
            break;
        if (packet_->stream_index != stream_) {
            av_packet_unref(packet_);
            continue;
        }
        if (packets < kPacketsForBitRate)
            sizes[packets] = packet_->size;
        if (packets == 0)
            dataStart_ = packet_->pos;
        ++packets;
        bool ok = avcodec_send_packet(decoder_, packet_) >= 0;
        av_packet_unref(packet_);
        while (ok && avcodec_receive_frame(decoder_, frame_) >= 0) {
            if (!decoded)
                origin_ = frame_->best_effort_timestamp == AV_NOPTS_VALUE
                              ? 0
                              : frame_->best_effort_timestamp;
            if (frame_->nb_samples > 0 && convertFrame())
                decoded = true;
            av_frame_unref(frame_);
        }
        bad += ok ? 0 : 1;
        if (!decoded && (bad > kMaxBadPackets || packets > kMaxPacketsWithoutSound))
            return false;
    }
    if (!decoded) { // a file of one packet
        drain();
        decoded = !pending_.empty();
    }
    if (decoded && !lengthMeasured_ && facts_.fileKind == kKindMpeg) {
        for (int i = 1; i < std::min(packets, kPacketsForBitRate); ++i)
            facts_.variableBitRate = facts_.variableBitRate || sizesVary(sizes[0], sizes[i]);
    }
    return decoded;
}

bool FfmpegSource::convertFrame() {
    // A stream whose frames change sample format or channels midway gets a converter for the new
    // ones: the old one would read planes that the frame does not have.
    if (swr_ && (frame_->format != swrFormat_ || frame_->ch_layout.nb_channels != swrChannels_))
        swr_free(&swr_);
    if (!swr_) {
        if (frame_->sample_rate <= 0 || frame_->sample_rate > kMaxSampleRate)
            return false;
        AVChannelLayout in{};
        if (frame_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&in, frame_->ch_layout.nb_channels);
        else if (av_channel_layout_copy(&in, &frame_->ch_layout) < 0)
            return false;
        // A mono file plays at its own level on both sides instead of being panned to the middle.
        mono_ = in.nb_channels == 1;
        AVChannelLayout out{};
        av_channel_layout_default(&out, mono_ ? 1 : kOutputChannels);
        // A stream whose frames change rate midway keeps the rate it opened with.
        int r = swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_FLT, facts_.sampleRate, &in,
                                    static_cast<AVSampleFormat>(frame_->format),
                                    frame_->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        if (r < 0 || swr_init(swr_) < 0) {
            swr_free(&swr_);
            return false;
        }
        swrFormat_ = frame_->format;
        swrChannels_ = frame_->ch_layout.nb_channels;
        if (positionUnknown_)
            placeAfterSeek();
    }
    const auto format = static_cast<AVSampleFormat>(frame_->format);
    const bool planar = av_sample_fmt_is_planar(format);
    std::array<const uint8_t*, AV_NUM_DATA_POINTERS> in{};
    for (int i = 0; i < (planar ? frame_->ch_layout.nb_channels : 1) && i < AV_NUM_DATA_POINTERS;
         ++i)
        in[static_cast<size_t>(i)] = frame_->extended_data[i];
    const int count = frame_->nb_samples;
    int capacity = swr_get_out_samples(swr_, count);
    if (capacity <= 0 || count == 0)
        return true;
    return appendConverted(capacity, in.data(), count);
}

void FfmpegSource::placeAfterSeek() {
    const int rate = frame_->sample_rate;
    int64_t first = restartSample_;
    if (first < 0) {
        const int64_t pts = frame_->best_effort_timestamp;
        first = pts == AV_NOPTS_VALUE ? av_rescale(discardUntil_, rate, facts_.sampleRate)
                                      : av_rescale_q(pts - origin_, timeBase_, AVRational{1, rate});
    }
    nextFrame_ = av_rescale(std::max<int64_t>(first, 0), facts_.sampleRate, rate);
    positionUnknown_ = false;
}

bool FfmpegSource::appendConverted(int capacity, const uint8_t** in, int inCount) {
    const int channels = mono_ ? 1 : kOutputChannels;
    converted_.resize(static_cast<size_t>(capacity) * channels);
    auto* outPlane = reinterpret_cast<uint8_t*>(converted_.data());
    int got = swr_convert(swr_, &outPlane, capacity, in, inCount);
    if (got < 0)
        return false;
    // Frames before a seek's target are decoded only to be dropped here.
    int64_t skip = std::clamp<int64_t>(discardUntil_ - nextFrame_, 0, got);
    nextFrame_ += got;
    const auto first = converted_.begin() + static_cast<ptrdiff_t>(skip * channels);
    const auto last = converted_.begin() + static_cast<ptrdiff_t>(got) * channels;
    if (!mono_) {
        pending_.insert(pending_.end(), first, last);
    } else {
        for (auto sample = first; sample != last; ++sample)
            pending_.insert(pending_.end(), 2, *sample);
    }
    return got > 0;
}

void FfmpegSource::drain() {
    if (avcodec_send_packet(decoder_, nullptr) >= 0) {
        while (avcodec_receive_frame(decoder_, frame_) >= 0) {
            if (frame_->nb_samples > 0)
                convertFrame();
            av_frame_unref(frame_);
        }
    }
    if (swr_)
        while (appendConverted(kDrainFrames, nullptr, 0)) {
        }
    ended_ = true;
}

bool FfmpegSource::decodeMore() {
    if (ended_)
        return false;
    int r = avcodec_receive_frame(decoder_, frame_);
    if (r >= 0) {
        if (frame_->nb_samples > 0)
            convertFrame();
        av_frame_unref(frame_);
        return true;
    }
    if (r != AVERROR(EAGAIN) || av_read_frame(format(), packet_) < 0) {
        drain(); // the end, or a file cut short: play what decoded
        return true;
    }
    if (packet_->stream_index == stream_)
        avcodec_send_packet(decoder_, packet_); // a damaged packet is skipped
    av_packet_unref(packet_);
    return true;
}

size_t FfmpegSource::read(float* out, size_t frames) {
    return takePending(pending_, pendingRead_, out, frames, [this] { return decodeMore(); });
}

bool FfmpegSource::seek(int64_t frame) {
    // Nothing lies past the end, and a demuxer sent there may land on any packet and give no
    // timestamp to tell where.
    if (facts_.totalFrames > 0 && frame >= facts_.totalFrames) {
        resetDecoding(frame);
        ended_ = true;
        return true;
    }
    if (blockSamples_ > 0 && dataStart_ >= 0)
        return seekToBlock(frame);
    // Decoding starts a little early: a decoder that carries state from frame to frame (an MP3's
    // bit reservoir and overlap) needs a run-up to give the samples of an uninterrupted play.
    const auto runUpFrames = static_cast<int64_t>(facts_.sampleRate * kSeekRunUpSeconds);
    const int64_t runUp = std::max<int64_t>(frame - runUpFrames, 0);
    int64_t target = origin_ + av_rescale_q(runUp, AVRational{1, facts_.sampleRate}, timeBase_);
    if (av_seek_frame(format(), stream_, target, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(format(), stream_, origin_, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    resetDecoding(frame);
    return true;
}

bool FfmpegSource::seekToBlock(int64_t frame) {
    const int64_t block = frame / blockSamples_;
    const int64_t pos = dataStart_ + block * format()->streams[stream_]->codecpar->block_align;
    if (av_seek_frame(format(), stream_, pos, AVSEEK_FLAG_BYTE) < 0)
        return false;
    resetDecoding(frame);
    restartSample_ = block * blockSamples_;
    return true;
}

void FfmpegSource::resetDecoding(int64_t target) {
    avcodec_flush_buffers(decoder_);
    swr_free(&swr_); // built anew at the next frame, without the old position's filter state
    pending_.clear();
    pendingRead_ = 0;
    ended_ = false;
    discardUntil_ = target;
    positionUnknown_ = true;
    restartSample_ = -1;
}

} // namespace vbmp3
