#include "core/analysis.h"

#include "shared/output_format.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include <kiss_fftr.h>

namespace vbmp3 {

void waveOf(const float* frames, size_t channel, int32_t* out) {
    for (size_t i = 0; i < kWaveLength; ++i) {
        double v = std::nearbyint(frames[i * kOutputChannels + channel] * 100.0);
        out[i] = static_cast<int32_t>(std::clamp(v, -100.0, 100.0));
    }
}

SpectrumAnalyzer::SpectrumAnalyzer() {
    fft_ = kiss_fftr_alloc(kFftLength, 0, nullptr, nullptr);
    if (!fft_)
        throw std::runtime_error("no FFT");
    for (size_t i = 0; i < kFftLength; ++i)
        window_[i] =
            static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kFftLength));
}

SpectrumAnalyzer::~SpectrumAnalyzer() {
    kiss_fftr_free(fft_);
}

void SpectrumAnalyzer::spectrumOf(const float* frames, size_t channel, int32_t* out) {
    for (size_t i = 0; i < kFftLength; ++i)
        input_[i] = frames[i * kOutputChannels + channel] * window_[i];
    kiss_fftr(fft_, input_, reinterpret_cast<kiss_fft_cpx*>(output_));
    // A full-scale sine centred on a bin: amplitude N/2 halved again by the Hann window's gain.
    constexpr double fullScale = kFftLength / 4.0;
    for (size_t k = 0; k < kSpectrumBins; ++k) {
        double magnitude = std::hypot(output_[2 * k], output_[2 * k + 1]) / fullScale;
        double level = magnitude > 0 ? 110.0 + 20.0 * std::log10(magnitude) : 0.0;
        out[k] = static_cast<int32_t>(std::nearbyint(std::clamp(level, 0.0, 140.0)));
    }
}

} // namespace vbmp3
