#include "platform/accessible_seek_bar.h"

#include <algorithm>

namespace platform {

AccessibleSeekBar::AccessibleSeekBar(HScrollBar* bar)
    : QAccessibleWidget(bar, QAccessible::Slider) {}

void* AccessibleSeekBar::interface_cast(QAccessible::InterfaceType type) {
    // A change of value is announced only for an object that has a value at that moment.
    if (type == QAccessible::ValueInterface)
        return bar()->writtenByCode() ? nullptr : static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QVariant AccessibleSeekBar::currentValue() const {
    return bar()->value();
}

void AccessibleSeekBar::setCurrentValue(const QVariant& value) {
    QAbstractSlider& slider = *bar();
    // The range may be inverted (a negative maximum), so clamp by hand.
    const int target =
        std::max(slider.minimum(), std::min(qRound(value.toDouble()), slider.maximum()));
    if (target == slider.value())
        return;
    // As the user's hand moves it: the position first, then the event that a drag raises.
    slider.setValue(target);
    emit bar()->Scroll();
}

QVariant AccessibleSeekBar::maximumValue() const {
    return bar()->maximum();
}

QVariant AccessibleSeekBar::minimumValue() const {
    return bar()->minimum();
}

QVariant AccessibleSeekBar::minimumStepSize() const {
    return bar()->singleStep();
}

} // namespace platform
