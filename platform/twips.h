#pragma once

#include <cstdint>

namespace platform {

inline constexpr int kTwipsPerPixel = 15;

// Twips to whole pixels, halves rounded to the even neighbour (so 7.5 -> 8 and 22.5 -> 22).
constexpr int twipsToPixels(int twips) {
    int quotient = twips / kTwipsPerPixel;
    int remainder = twips % kTwipsPerPixel;
    if (remainder < 0) {
        remainder += kTwipsPerPixel;
        --quotient;
    }
    const int twice = 2 * remainder;
    if (twice > kTwipsPerPixel || (twice == kTwipsPerPixel && quotient % 2 != 0)) {
        ++quotient;
    }
    return quotient;
}

constexpr float pixelsToTwips(float pixels) {
    return pixels * kTwipsPerPixel;
}

} // namespace platform
