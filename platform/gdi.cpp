#include "gdi.h"

#include <cstdlib>

namespace platform {

void DeviceContext::setPen(const QColor& color, int width) {
    penColor_ = color;
    penWidth_ = width < 1 ? 1 : width;
}

bool DeviceContext::plot(int32_t x, int32_t y, QRgb color) {
    if (x < 0 || y < 0 || x >= surface_->width() || y >= surface_->height())
        return false;
    surface_->setPixel(x, y, color);
    return true;
}

void DeviceContext::dab(int32_t x, int32_t y) {
    const QRgb color = penColor_.rgb();
    const int32_t first = -(penWidth_ - 1) / 2;
    for (int32_t dy = first; dy < first + penWidth_; ++dy)
        for (int32_t dx = first; dx < first + penWidth_; ++dx)
            plot(x + dx, y + dy, color);
}

int32_t MoveToEx(DeviceContext* hdc, int32_t x, int32_t y, Point* previous) {
    if (!hdc)
        return 0;
    if (previous)
        *previous = hdc->currentPosition();
    hdc->setCurrentPosition({x, y});
    return 1;
}

int32_t LineTo(DeviceContext* hdc, int32_t x, int32_t y) {
    if (!hdc)
        return 0;
    // Bresenham along the major axis, from the start point up to but not including the end.
    const Point from = hdc->currentPosition();
    const int64_t dx = std::abs(int64_t{x} - from.x);
    const int64_t dy = std::abs(int64_t{y} - from.y);
    const int32_t stepX = x < from.x ? -1 : 1;
    const int32_t stepY = y < from.y ? -1 : 1;
    int32_t px = from.x;
    int32_t py = from.y;
    if (dx >= dy) {
        int64_t error = 2 * dy - dx;
        for (int64_t i = 0; i < dx; ++i) {
            hdc->dab(px, py);
            if (error > 0) {
                py += stepY;
                error -= 2 * dx;
            }
            error += 2 * dy;
            px += stepX;
        }
    } else {
        int64_t error = 2 * dx - dy;
        for (int64_t i = 0; i < dy; ++i) {
            hdc->dab(px, py);
            if (error > 0) {
                px += stepX;
                error -= 2 * dy;
            }
            error += 2 * dx;
            py += stepY;
        }
    }
    hdc->setCurrentPosition({x, y});
    return 1;
}

uint32_t SetPixel(DeviceContext* hdc, int32_t x, int32_t y, uint32_t colorref) {
    const QRgb rgb = qRgb(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
    if (!hdc || !hdc->plot(x, y, rgb))
        return 0xFFFFFFFFu;
    return colorref & 0x00FFFFFFu;
}

} // namespace platform
