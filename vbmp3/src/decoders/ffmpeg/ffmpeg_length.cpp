// The FFmpeg decoder's length and bit rate: from the container's header where it states them,
// from the packets where it only guessed them or claims more than the file holds, and for a WAV
// bounded by the bytes that its data really has.
#include "decoders/ffmpeg/ffmpeg_source.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vbmp3 {
namespace {

// A header claims more than the file holds when its length needs more bytes than this share of
// the file: bit rates are averages, and the file's header and packet overhead count as held.
constexpr double kCutMargin = 1.1;
constexpr int64_t kBitsPerByte = 8;
constexpr int64_t kBitsPerKilobit = 1000;
// Packets of one constant bit rate differ by at most the padding byte that keeps it.
constexpr int kPaddingBytes = 1;

} // namespace

bool FfmpegSource::sizesVary(int first, int other) {
    return std::abs(other - first) > kPaddingBytes;
}

void FfmpegSource::boundByBytesHeld() {
    // A WAV's data comes in blocks of a fixed size and sample count (one sample for PCM): the
    // bytes that the file holds from the first packet on bound its length, whatever its data
    // chunk size, fact chunk and byte rate claim.
    const AVCodecParameters* par = format()->streams[stream_]->codecpar;
    const int64_t held = avio_size(input_.io()) - dataStart_;
    const int64_t samplesPerBlock = blockSamples_ > 0 ? blockSamples_ : 1;
    if (facts_.fileKind != kKindWave || lengthMeasured_ || par->block_align <= 0 ||
        dataStart_ < 0 || held < 0 || (blockSamples_ == 0 && facts_.bitsPerSample == 0))
        return;
    const int64_t samples = held / par->block_align * samplesPerBlock;
    facts_.totalFrames = std::min(facts_.totalFrames, samples);
}

FfmpegSource::PacketSum FfmpegSource::sumPackets() {
    // Reading the packets once without decoding also fills the seek index.
    PacketSum sum;
    int firstSize = -1;
    while (av_read_frame(format(), packet_) >= 0) {
        if (packet_->stream_index == stream_) {
            sum.duration += packet_->duration;
            sum.bytes += packet_->size;
            if (packet_->pts != AV_NOPTS_VALUE) {
                sum.firstPts = sum.firstPts == AV_NOPTS_VALUE ? packet_->pts : sum.firstPts;
                sum.lastEnd = std::max(sum.lastEnd, packet_->pts + packet_->duration);
            }
            if (firstSize < 0)
                firstSize = packet_->size;
            sum.varying = sum.varying || sizesVary(firstSize, packet_->size);
        }
        av_packet_unref(packet_);
    }
    return sum;
}

bool FfmpegSource::claimsMoreThanHeld(int64_t claimedFrames) const {
    // The header's length needs this many bytes at the stream's bit rate; the file, header
    // included, holds fewer when the download was cut short.
    const AVStream* st = format()->streams[stream_];
    const int64_t bitRate =
        st->codecpar->bit_rate > 0 ? st->codecpar->bit_rate : format()->bit_rate;
    const int64_t held = avio_size(input_.io());
    if (bitRate <= 0 || held <= 0)
        return false;
    const double needed =
        static_cast<double>(claimedFrames) / facts_.sampleRate * bitRate / kBitsPerByte;
    return needed > kCutMargin * static_cast<double>(held);
}

bool FfmpegSource::measureLength() {
    AVStream* st = format()->streams[stream_];
    const AVRational outputBase{1, facts_.sampleRate};
    const bool estimated = format()->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    if (st->duration != AV_NOPTS_VALUE)
        facts_.totalFrames = av_rescale_q(st->duration, timeBase_, outputBase);
    else if (format()->duration != AV_NOPTS_VALUE)
        facts_.totalFrames =
            av_rescale_q(format()->duration, AVRational{1, AV_TIME_BASE}, outputBase);
    // Where the container only guessed the length from the bit rate, the packets give the exact
    // one. Where its header gives one, the packets only ever correct a header that claims more
    // than the file holds (a cut download keeps its Xing header or ASF play duration): reading
    // them would read the whole file, and some codecs' packet durations are short (WMA Pro).
    if (estimated || claimsMoreThanHeld(facts_.totalFrames)) {
        const PacketSum sum = sumPackets();
        if (av_seek_frame(format(), stream_, st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time,
                          AVSEEK_FLAG_BACKWARD) < 0)
            return false;
        if (estimated) {
            facts_.totalFrames = av_rescale_q(sum.duration, timeBase_, outputBase);
            const double seconds = sum.duration * av_q2d(timeBase_);
            facts_.variableBitRate = sum.varying;
            facts_.bitRateKbps =
                seconds > 0 ? static_cast<int32_t>(
                                  std::lround(sum.bytes * kBitsPerByte / seconds / kBitsPerKilobit))
                            : 0;
            lengthMeasured_ = true;
            return true;
        }
        // ASF's durations are rounded; its times not.
        const int64_t held = sum.firstPts == AV_NOPTS_VALUE
                                 ? sum.duration
                                 : std::max(sum.duration, sum.lastEnd - sum.firstPts);
        const int64_t packetFrames = av_rescale_q(held, timeBase_, outputBase);
        if (packetFrames > 0)
            facts_.totalFrames = std::min(facts_.totalFrames, packetFrames);
    }
    const int64_t bitRateOfData = st->codecpar->bit_rate;
    // Uncompressed samples have an exact rate; the container's would count its tags as well.
    const bool exact = facts_.bitsPerSample > 0 && bitRateOfData > 0;
    int64_t bitRate = format()->bit_rate > 0 && !exact ? format()->bit_rate : bitRateOfData;
    facts_.bitRateKbps = static_cast<int32_t>((bitRate + kBitsPerKilobit / 2) / kBitsPerKilobit);
    return true;
}

} // namespace vbmp3
