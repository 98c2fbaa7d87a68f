#include "platform/h_scroll_bar.h"

#include "platform/press_keys.h"

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
    if (!fromCode_ && (isSliderDown() || movedByKey_)) {
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

// What a key does to the bar, as on a slider (a screen reader calls it one); Qt 6.4 steps a
// horizontal scroll bar against the arrow keys and Page Up backwards.
QAbstractSlider::SliderAction HScrollBar::keyAction(const QKeyEvent& event) const {
    const bool forward = !isRightToLeft();
    switch (event.key()) {
    case Qt::Key_Right:
        return forward ? SliderSingleStepAdd : SliderSingleStepSub;
    case Qt::Key_Left:
        return forward ? SliderSingleStepSub : SliderSingleStepAdd;
    case Qt::Key_Up:
        return SliderSingleStepAdd;
    case Qt::Key_Down:
        return SliderSingleStepSub;
    case Qt::Key_PageUp:
        return SliderPageStepAdd;
    case Qt::Key_PageDown:
        return SliderPageStepSub;
    case Qt::Key_Home:
        return SliderToMinimum;
    case Qt::Key_End:
        return SliderToMaximum;
    default:
        return SliderNoAction;
    }
}

void HScrollBar::keyPressEvent(QKeyEvent* event) {
    const SliderAction action = keyAction(*event);
    if (action == SliderNoAction || heldModifiers(*event) != Qt::NoModifier) {
        // Not the bar's: the window's keys (Space plays and pauses) are found above it.
        event->ignore();
        return;
    }
    event->accept();
    // The user's own move, as a drag of the thumb.
    movedByKey_ = true;
    triggerAction(action);
    movedByKey_ = false;
}

} // namespace platform
