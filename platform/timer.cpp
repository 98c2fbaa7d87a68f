#include "platform/timer.h"

#include "platform/modal_box.h"

namespace platform {

Timer::Timer(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (!modalBoxShown()) {
            emit Tick();
        }
    });
}

void Timer::setEnabled(bool enabled) {
    if (enabled) {
        timer_.start();
    } else {
        timer_.stop();
    }
}

} // namespace platform
