#include "platform/h_scroll_bar.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>

namespace platform {

HScrollBar::HScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setRange(0, 0);
    connect(this, &QAbstractSlider::valueChanged, this, &HScrollBar::onValueChanged);
}

void HScrollBar::setMax(int32_t max) {
    fromCode_ = true;
    setMaximum(max);
    fromCode_ = false;
}

void HScrollBar::setValueFromCode(int32_t position) {
    if (isSliderDown()) {
        return;
    }
    // The range may be inverted (a negative maximum), so clamp by hand rather than with std::clamp.
    const int32_t clamped = std::max(minimum(), std::min(position, maximum()));
    fromCode_ = true;
    QScrollBar::setValue(clamped);
    fromCode_ = false;
}

void HScrollBar::onValueChanged() {
    if (!fromCode_ && isSliderDown()) {
        emit Scroll();
    }
}

QRect HScrollBar::thumbRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

void HScrollBar::paintEvent(QPaintEvent* event) {
    paintedThumb_ = thumbRect();
    QScrollBar::paintEvent(event);
}

// Playback moves the position every second; on a long track the thumb moves a pixel only every
// few seconds, and a repaint in between would draw the same picture.
void HScrollBar::sliderChange(SliderChange change) {
    if (change == SliderValueChange && fromCode_ && thumbRect() == paintedThumb_)
        return;
    QScrollBar::sliderChange(change);
}

void HScrollBar::focusInEvent(QFocusEvent* event) {
    QScrollBar::focusInEvent(event);
    switch (event->reason()) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        emit GotFocus();
        break;
    default:
        break;
    }
}

void HScrollBar::keyPressEvent(QKeyEvent* event) {
    // Qt 6.4 steps a horizontal scroll bar against the arrow keys; the thumb goes where they point.
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        const bool towardsTheEnd = (event->key() == Qt::Key_Right) != isRightToLeft();
        triggerAction(towardsTheEnd ? SliderSingleStepAdd : SliderSingleStepSub);
        event->accept();
        return;
    }
    QScrollBar::keyPressEvent(event);
}

} // namespace platform
