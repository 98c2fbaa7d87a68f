#include "platform/image_control.h"

#include <QMouseEvent>

namespace platform {

ImageControl::ImageControl(QWidget* parent) : QLabel(parent) {}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    if (pressed_ && event->button() == Qt::LeftButton && inside) {
        pressed_ = false;
        emit Click();
    }
    pressed_ = false;
}

} // namespace platform
