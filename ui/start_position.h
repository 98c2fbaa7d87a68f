#pragma once

#include <QPoint>
#include <QRect>

namespace ui {

// Where a window whose client area is `window` opens: there, or, where that would put part of it
// off the screen's available area, moved the least onto it (its top-left corner kept on it when
// the window is larger than the area).
QPoint startPositionOnScreen(const QRect& window, const QRect& available);

} // namespace ui
