#pragma once

#include <cstdint>

namespace visual {

// The looks of the drawing surface, in the order a click steps through them. Stored in 16 bits,
// as the window keeps it.
enum class ViewMode : int16_t {
    NotSet = 0,          // before start-up picks the first look
    Waveform = 1,        // the two channels averaged into one trace
    BarsEveryIndex = 2,  // 256 bars one pixel wide
    BarsEverySecond = 3, // 128 bars two pixels wide
    BarsEveryThird = 4,  // 86 bars two pixels wide
    BarsEveryFourth = 5, // 64 bars two pixels wide
    PeaksOnly = 6,       // the peak markers of BarsEveryFourth without their bars
};

} // namespace visual
