#include "ui/start_position.h"

#include <algorithm>

namespace ui {

namespace {
int intoRange(int start, int length, int areaStart, int areaLength) {
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}
} // namespace

QPoint startPositionOnScreen(const QRect& window, const QRect& available) {
    const QSize frame = window.size() + kFrameAllowance;
    return {intoRange(window.x(), frame.width(), available.x(), available.width()),
            intoRange(window.y(), frame.height(), available.y(), available.height())};
}

} // namespace ui
