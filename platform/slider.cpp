#include "platform/slider.h"

namespace platform {

Slider::Slider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    connect(this, &QAbstractSlider::valueChanged, this, &Slider::onValueChanged);
    connect(this, &QAbstractSlider::sliderReleased, this, &Slider::onReleased);
}

void Slider::setValueFromCode(int position) {
    fromCode_ = true;
    QSlider::setValue(position);
    fromCode_ = false;
}

void Slider::onValueChanged() {
    if (fromCode_) {
        return;
    }
    if (isSliderDown()) {
        movedInDrag_ = true;
        return;
    }
    emit Change();
}

void Slider::onReleased() {
    if (movedInDrag_) {
        movedInDrag_ = false;
        emit Change();
    }
}

} // namespace platform
