// How loud a stretch of samples is.
#pragma once

#include <cmath>
#include <vector>

namespace test_support {

inline float peakOf(const std::vector<float>& samples) {
    float peak = 0;
    for (float s : samples)
        peak = std::max(peak, std::fabs(s));
    return peak;
}

inline double rms(const std::vector<float>& samples) {
    double sum = 0;
    for (float s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0.0 : std::sqrt(sum / samples.size());
}

} // namespace test_support
