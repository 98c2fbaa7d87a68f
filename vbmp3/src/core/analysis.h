// The visual data derived from what the output played: wave and spectrum buffers.
#pragma once

#include <cstddef>
#include <cstdint>

struct kiss_fftr_state;

namespace vbmp3 {

inline constexpr size_t kWaveLength = 256;
inline constexpr size_t kFftLength = 512;
inline constexpr size_t kSpectrumBins = 256;

// One channel of `frames` interleaved stereo frames (the last kWaveLength of them) scaled to full
// scale +-100, rounded and clamped.
void waveOf(const float* frames, size_t channel, int32_t* out);

// A Hann-windowed real FFT of kFftLength samples of one channel, mapped to levels: 110 + dB
// relative to a full-scale sine at its bin, so a full-scale sine reads 110 and anything below
// -110 dB (silence included) reads 0. Owns its transform; use it from one thread at a time.
class SpectrumAnalyzer {
public:
    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // `frames`: kFftLength interleaved stereo frames; writes kSpectrumBins levels into out.
    void spectrumOf(const float* frames, size_t channel, int32_t* out);

private:
    kiss_fftr_state* fft_ = nullptr;
    float window_[kFftLength];
    float input_[kFftLength];
    float output_[kFftLength + 2]; // kFftLength / 2 + 1 complex values, real and imaginary
};

} // namespace vbmp3
