#include "ui/start_position.h"

#include <algorithm>

namespace ui {

namespace {
int intoRange(int start, int length, int areaStart, int areaLength) {
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}
} // namespace

QPoint startPositionOnScreen(const QRect& window, const QRect& available) {
    return {intoRange(window.x(), window.width(), available.x(), available.width()),
            intoRange(window.y(), window.height(), available.y(), available.height())};
}

} // namespace ui
