#include "platform/image_control.h"

#include "platform/press_keys.h"

#include <QAccessible>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

namespace platform {

ImageControl::ImageControl(QWidget* parent) : QLabel(parent) {}

void ImageControl::setPicture(const platform::Picture& picture) {
    if (picture_.cacheKey() == picture.cacheKey())
        return;
    const bool renamed = picture_.meaning() != picture.meaning();
    picture_ = picture;
    update();
    if (renamed) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

bool ImageControl::handlesClick() const {
    return isSignalConnected(QMetaMethod::fromSignal(&ImageControl::Click));
}

void ImageControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_.forRatio(devicePixelRatioF()));
    painter.end();
    paintFocusFrame(*this);
}

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

void ImageControl::keyPressEvent(QKeyEvent* event) {
    if (pressesButton(*event))
        emit Click();
    else
        QLabel::keyPressEvent(event);
}

} // namespace platform
