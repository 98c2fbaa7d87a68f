#include "picture_box.h"

#include <QMouseEvent>
#include <QPainter>

#include "press_keys.h"
#include "system_colors.h"
#include "twips.h"

namespace platform {

namespace {
constexpr uint32_t kButtonFace = 0x8000000Fu;
constexpr uint32_t kButtonText = 0x80000012u;
} // namespace

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), backColor_(kButtonFace), foreColor_(kButtonText),
      image_(1, 1, QImage::Format_RGB32), dc_(image_) {
    // Everything on screen comes from the image, so Qt need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    image_.fill(colorFromColorref(backColor_));
    updatePen();
}

void PictureBox::setBackColor(uint32_t colorref) {
    backColor_ = colorref;
    Cls();
}

void PictureBox::setForeColor(uint32_t colorref) {
    foreColor_ = colorref;
    updatePen();
}

void PictureBox::setDrawWidth(int width) {
    drawWidth_ = width;
    updatePen();
}

void PictureBox::Cls() {
    image_.fill(colorFromColorref(backColor_));
    dc_.setCurrentPosition({0, 0});
    update();
}

float PictureBox::Height() const {
    return pixelsToTwips(static_cast<float>(height()));
}

DeviceContext* PictureBox::hDC() {
    // Drawing through the context happens after this returns, within the same handler; the
    // repaint it asks for runs once the handler is done.
    update();
    return &dc_;
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
    painter.end();
    // On screen only: the image keeps exactly what was drawn.
    paintFocusFrame(*this);
}

void PictureBox::resizeEvent(QResizeEvent*) {
    // Keeps what was drawn where it still fits; new area shows the background.
    QImage resized(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    resized.fill(colorFromColorref(backColor_));
    QPainter painter(&resized);
    painter.drawImage(0, 0, image_);
    painter.end();
    image_ = resized;
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->pos());
    pressed_ = false;
    if (click)
        emit clicked();
}

void PictureBox::keyPressEvent(QKeyEvent* event) {
    if (pressesButton(*event))
        emit clicked();
    else
        QWidget::keyPressEvent(event);
}

void PictureBox::updatePen() {
    dc_.setPen(colorFromColorref(foreColor_), drawWidth_);
}

} // namespace platform
