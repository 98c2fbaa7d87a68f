#include "decoders/converted_source.h"

#include "decoders/pending_frames.h"

#include <algorithm>
#include <numeric>
#include <soxr.h>

namespace vbmp3 {
namespace {

// Far above any recording's; a damaged header's rate in the millions would make the resampler's
// filter huge.
constexpr int kMaxSampleRate = 768000;
constexpr int kMaxChannels = 64;
constexpr size_t kNativeChunk = 4096;

} // namespace

ConvertedSource::~ConvertedSource() {
    soxr_delete(resampler_);
}

bool ConvertedSource::startConversion(int rate, int channels) {
    if (rate <= 0 || rate > kMaxSampleRate || channels <= 0 || channels > kMaxChannels)
        return false;
    rate_ = rate;
    channels_ = channels;
    native_.resize(kNativeChunk * static_cast<size_t>(channels));
    stereo_.resize(kNativeChunk * kOutputChannels);
    if (rate == kOutputRate)
        return true;
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    resampler_ = soxr_create(rate, kOutputRate, kOutputChannels, &error, &io, &quality, nullptr);
    resampled_.resize((kNativeChunk * kOutputRate / static_cast<size_t>(rate) + 64) *
                      kOutputChannels);
    return error == nullptr && resampler_ != nullptr;
}

size_t ConvertedSource::read(float* out, size_t frames) {
    return takePending(pending_, pendingRead_, out, frames, [this] {
        if (ended_)
            return false;
        const size_t got = readNative(native_.data(), kNativeChunk);
        if (got == 0)
            finish();
        else
            convert(got);
        return true;
    });
}

void ConvertedSource::convert(size_t frames) {
    const size_t in = static_cast<size_t>(channels_);
    for (size_t i = 0; i < frames; ++i) {
        // Mono plays on both sides; of more channels, the front pair.
        stereo_[2 * i] = native_[i * in];
        stereo_[2 * i + 1] = native_[i * in + (in > 1 ? 1 : 0)];
    }
    if (!resampler_) {
        append(stereo_.data(), frames);
        return;
    }
    size_t done = 0;
    size_t made = 0;
    for (size_t consumed = 0; consumed < frames; consumed += done) {
        soxr_process(resampler_, stereo_.data() + consumed * kOutputChannels, frames - consumed,
                     &done, resampled_.data(), resampled_.size() / kOutputChannels, &made);
        append(resampled_.data(), made);
        if (done == 0 && made == 0)
            break;
    }
}

void ConvertedSource::finish() {
    ended_ = true;
    size_t made = 0;
    do {
        made = 0;
        if (resampler_)
            soxr_process(resampler_, nullptr, 0, nullptr, resampled_.data(),
                         resampled_.size() / kOutputChannels, &made);
        append(resampled_.data(), made);
    } while (made > 0);
}

void ConvertedSource::append(const float* stereo, size_t frames) {
    // Frames before a seek's target are converted only to be dropped here.
    const auto skip = static_cast<size_t>(
        std::clamp<int64_t>(discardUntil_ - nextFrame_, 0, static_cast<int64_t>(frames)));
    nextFrame_ += static_cast<int64_t>(frames);
    pending_.insert(pending_.end(), stereo + skip * kOutputChannels,
                    stereo + frames * kOutputChannels);
}

bool ConvertedSource::seek(int64_t frame) {
    pending_.clear();
    pendingRead_ = 0;
    // Nothing lies past the end.
    if (frame >= facts_.framesNow()) {
        ended_ = true;
        return true;
    }
    // A fresh resampler plays on the same instants as an uninterrupted one only if it starts on
    // a file sample that falls on an output frame: the last such sample at or before the target.
    const int64_t gcd = std::gcd(rate_, kOutputRate);
    const int64_t period = rate_ / gcd;
    const int64_t periods = frame * rate_ / kOutputRate / period;
    if (!seekNative(periods * period))
        return false;
    if (resampler_)
        soxr_clear(resampler_);
    nextFrame_ = periods * (kOutputRate / gcd);
    discardUntil_ = frame;
    ended_ = false;
    return true;
}

} // namespace vbmp3
