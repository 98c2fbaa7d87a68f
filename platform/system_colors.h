#pragma once

#include <QColor>
#include <cstdint>

namespace platform {

// A COLORREF is 0x00BBGGRR; with the top bit set, the low byte names a system colour instead.
inline constexpr uint32_t kSystemColorFlag = 0x80000000u;
inline constexpr uint32_t kDesktopColor = 0x80000001u;
inline constexpr uint32_t kWindowTextColor = 0x80000008u;

constexpr uint32_t RGB(int red, int green, int blue) {
    return static_cast<uint32_t>(red & 0xFF) | static_cast<uint32_t>(green & 0xFF) << 8 |
           static_cast<uint32_t>(blue & 0xFF) << 16;
}

// The colour a COLORREF shows as; system colours come from the application's palette.
QColor colorFromColorref(uint32_t colorref);

// The COLORREF of an opaque colour (alpha is dropped).
uint32_t colorrefFromColor(const QColor& color);

} // namespace platform
