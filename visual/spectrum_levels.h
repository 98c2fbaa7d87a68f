// The spectrum's falling levels, away from any drawing.
#pragma once

#include <array>
#include <cstdint>

#include "engine/calls.h"

namespace visual {

// Displayed heights in twips per spectrum index, kept for the whole run by the window that draws
// them: never reset, and only the indexes that the current mode reads move, so the others resume
// where they stood.
class SpectrumLevels {
public:
    // One frame on at `index`: the bar towards `target` twips, then its peak marker after the bar.
    void step(int index, int32_t target);

    int32_t bar(int index) const { return bar_[index]; }
    int32_t peak(int index) const { return peak_[index]; }

private:
    std::array<int32_t, VBMP3_BUFFER_LENGTH> bar_{};
    std::array<int32_t, VBMP3_BUFFER_LENGTH> peak_{};
};

inline constexpr int32_t kBarFall = 100; // twips per frame
inline constexpr int32_t kPeakFall = 30; // twips per frame

// The bar height in twips that a spectrum value asks for on a surface `surfaceHeight` twips
// high: 40 is the base line and 70 units span the full height. Negative below the base line.
int32_t targetHeight(double surfaceHeight, int32_t value);

// A level one frame on: up to a higher target at once, otherwise down by `fall`, yet never below
// 0 nor below the target.
int32_t nextLevel(int32_t level, int32_t target, int32_t fall);

// The green part of a bar pixel `y` twips from the top: yellow at the bottom, shading to pure
// red from mid-height up.
int32_t barGreen(int32_t y, double surfaceHeight);

} // namespace visual
