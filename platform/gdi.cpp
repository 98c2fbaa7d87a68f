#include "gdi.h"

#include <algorithm>
#include <cstdlib>

namespace platform {

namespace {

// Bresenham's offset along the minor axis after `step` steps of a line `major` long on the major
// axis and `minor` on the other (minor <= major, both below 2^33): the nearest whole number to
// minor * step / major, a half going down, which is the closed form of the usual error-term loop,
// so tracing can start anywhere along the line. The product can pass 64 bits, so it is divided in
// two halves of `step`.
int64_t minorOffset(int64_t step, int64_t minor, int64_t major) {
    constexpr int kSplit = 20;
    const int64_t high = step >> kSplit;
    const int64_t low = step & ((int64_t{1} << kSplit) - 1);
    const int64_t highProduct = minor * high;
    const int64_t rest = (highProduct % major << kSplit) + minor * low;
    const int64_t quotient = (highProduct / major << kSplit) + rest / major;
    return quotient + (2 * (rest % major) > major ? 1 : 0);
}

// Dabs the line from `from` up to but not including `to`, skipping the steps whose dab would
// fall wholly outside the surface along the major axis.
void traceLine(DeviceContext& dc, Point from, Point to) {
    const int64_t dx = int64_t{to.x} - from.x;
    const int64_t dy = int64_t{to.y} - from.y;
    const bool alongX = std::abs(dx) >= std::abs(dy);
    const int64_t major = alongX ? std::abs(dx) : std::abs(dy);
    const int64_t minor = alongX ? std::abs(dy) : std::abs(dx);
    const int64_t majorSign = (alongX ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorSign = (alongX ? dy : dx) < 0 ? -1 : 1;
    const int64_t majorStart = alongX ? from.x : from.y;
    const int64_t minorStart = alongX ? from.y : from.x;
    const int64_t extent = alongX ? dc.size().width() : dc.size().height();

    // Dab centres whose pen still reaches into [0, extent) on the major axis.
    const int64_t lowest = -(dc.dabFirst() + dc.penWidth() - 1);
    const int64_t highest = extent - 1 - dc.dabFirst();
    const int64_t firstStep =
        std::max<int64_t>(0, majorSign > 0 ? lowest - majorStart : majorStart - highest);
    const int64_t lastStep =
        std::min<int64_t>(major - 1, majorSign > 0 ? highest - majorStart : majorStart - lowest);

    for (int64_t step = firstStep; step <= lastStep; ++step) {
        const int64_t along = majorStart + majorSign * step;
        const int64_t across = minorStart + minorSign * minorOffset(step, minor, major);
        // Both lie within 32 bits: they run between the line's own end points.
        const auto px = static_cast<int32_t>(alongX ? along : across);
        const auto py = static_cast<int32_t>(alongX ? across : along);
        dc.dab(px, py);
    }
}

} // namespace

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
    const int32_t first = dabFirst();
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
    traceLine(*hdc, hdc->currentPosition(), {x, y});
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
