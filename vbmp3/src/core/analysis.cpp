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
    // The level comes from the power, which spares a square root per bin.
    constexpr float fullScale = kFftLength / 4.0f;
    constexpr float fullPower = fullScale * fullScale;
    for (size_t k = 0; k < kSpectrumBins; ++k) {
        const float re = output_[2 * k];
        const float im = output_[2 * k + 1];
        const float power = (re * re + im * im) / fullPower;
        const float level = power > 0 ? 110.0f + 10.0f * std::log10(power) : 0.0f;
        out[k] = static_cast<int32_t>(std::nearbyint(std::clamp(level, 0.0f, 140.0f)));
    }
}

} // namespace vbmp3
