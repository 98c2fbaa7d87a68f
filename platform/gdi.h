#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>

namespace platform {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

// A drawing target in device pixels over one image, with a current position and a pen. Pixels
// outside the image are dropped, so callers may draw past the edges.
class DeviceContext {
public:
    explicit DeviceContext(QImage& surface) : surface_(&surface) {}

    void setPen(const QColor& color, int width);
    int penWidth() const { return penWidth_; }
    QSize size() const { return surface_->size(); }

    Point currentPosition() const { return position_; }
    void setCurrentPosition(Point position) { position_ = position; }

    // One pixel, clipped; false when it lies outside the image.
    bool plot(int32_t x, int32_t y, QRgb color);
    // A pen-sized dab centred on (x, y), the way a wide pen covers each point of a line.
    void dab(int32_t x, int32_t y);
    // How far a dab reaches from its centre: offsets first to first + penWidth - 1.
    int32_t dabFirst() const { return -(penWidth_ - 1) / 2; }

private:
    QImage* surface_;
    Point position_;
    QColor penColor_ = Qt::black;
    int penWidth_ = 1;
};

// The GDI calls the visualization uses, with GDI's rules. Results follow GDI (non-zero success;
// SetPixel answers the colour set, or 0xFFFFFFFF when the point lies outside) and may be ignored.
int32_t MoveToEx(DeviceContext* hdc, int32_t x, int32_t y, Point* previous);
// Draws from the current position to (x, y), leaving out (x, y) itself, and moves there. Only
// the part that can touch the surface is traced, so far-off points cost no more than near ones.
int32_t LineTo(DeviceContext* hdc, int32_t x, int32_t y);
uint32_t SetPixel(DeviceContext* hdc, int32_t x, int32_t y, uint32_t colorref);

} // namespace platform
