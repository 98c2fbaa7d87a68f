#include "platform/h_scroll_bar.h"

#include <QFocusEvent>
#include <QKeyEvent>
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
