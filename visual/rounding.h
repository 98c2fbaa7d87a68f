#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/twips.h"

namespace visual {

// To the nearest integer, an exact half to the even neighbour (22.5 -> 22, 37.5 -> 38,
// -0.5 -> 0). Values past the 32-bit range saturate rather than wrap, so a wild engine value
// puts its point far off the surface instead of somewhere on it.
inline int32_t roundToEven(double value) {
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    if (std::isnan(value))
        return 0;
    if (value <= lowest)
        return std::numeric_limits<int32_t>::min();
    if (value >= highest)
        return std::numeric_limits<int32_t>::max();
    // The default rounding mode, which nothing in the program changes, takes halves to even.
    return static_cast<int32_t>(std::nearbyint(value));
}

// A device pixel from twips: always divided by 15, whatever the display's resolution.
inline int32_t pixelFromTwips(double twips) {
    return roundToEven(twips / platform::kTwipsPerPixel);
}

} // namespace visual
