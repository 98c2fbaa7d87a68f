#include "platform/h_scroll_bar.h"

#include <algorithm>

namespace platform {

HScrollBar::HScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setRange(0, 0);
    connect(this, &QAbstractSlider::sliderMoved, this, &HScrollBar::Scroll);
}

void HScrollBar::setValue(int32_t position) {
    // The range may be inverted (a negative maximum), so clamp by hand rather than with std::clamp.
    const int32_t clamped = std::max(minimum(), std::min(position, maximum()));
    QScrollBar::setValue(clamped);
}

void HScrollBar::focusInEvent(QFocusEvent* event) {
    QScrollBar::focusInEvent(event);
    emit GotFocus();
}

} // namespace platform
