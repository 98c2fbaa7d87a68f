#include "platform/picture.h"

namespace platform {

Picture::Picture(const QPixmap& design, const QPixmap& doubled, const QString& meaning)
    : QPixmap(design), doubled_(doubled), meaning_(meaning) {
    doubled_.setDevicePixelRatio(2.0);
}

QPixmap Picture::forRatio(qreal devicePixelRatio) const {
    // From 1.5 up the doubled drawing is nearer in size; below it the design is.
    if (devicePixelRatio >= 1.5 && !doubled_.isNull())
        return doubled_;
    return *this;
}

} // namespace platform
