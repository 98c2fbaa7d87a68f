// Design positions and sizes are given in twips; controls are placed in whole pixels.
#pragma once

#include <QWidget>

#include "platform/twips.h"

namespace platform {

inline void placeInTwips(QWidget& control, int left, int top, int width, int height) {
    control.setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                        twipsToPixels(height));
}

} // namespace platform
