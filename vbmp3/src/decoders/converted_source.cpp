#include "decoders/converted_source.h"

#include <algorithm>

namespace vbmp3 {
namespace {

// Far above any recording's: a damaged header's rate in the millions is no music, and the
// sound server would refuse the stream.
constexpr int kMaxSampleRate = 768000;
constexpr int kMaxChannels = 64;

} // namespace

bool ConvertedSource::startConversion(int rate, int channels) {
    if (rate <= 0 || rate > kMaxSampleRate || channels <= 0 || channels > kMaxChannels)
        return false;
    channels_ = channels;
    return true;
}

size_t ConvertedSource::read(float* out, size_t frames) {
    if (ended_)
        return 0;
    if (channels_ == kOutputChannels)
        return readNative(out, frames);
    const auto in = static_cast<size_t>(channels_);
    native_.resize(frames * in);
    const size_t got = readNative(native_.data(), frames);
    for (size_t i = 0; i < got; ++i) {
        // Mono plays on both sides; of more channels, the front pair.
        out[2 * i] = native_[i * in];
        out[2 * i + 1] = native_[i * in + (in > 1 ? 1 : 0)];
    }
    return got;
}

bool ConvertedSource::seek(int64_t frame) {
    // Nothing lies past the end.
    ended_ = frame >= facts_.framesNow();
    return ended_ || seekNative(frame);
}

} // namespace vbmp3
