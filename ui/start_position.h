#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ui {

// Room kept for a window manager's frame around a client area of that size (borders on either
// side, a title bar and a bottom border), which is not known before the window is first shown.
inline constexpr QSize kFrameAllowance{8, 32};

// Where a window opens whose frame has its top-left corner at `window`'s and holds a client area
// of `window`'s size: there, or, where that would put part of it off the screen's available
// area, moved the least onto it (its top-left corner kept on it when the window is larger).
QPoint startPositionOnScreen(const QRect& window, const QRect& available);

} // namespace ui
