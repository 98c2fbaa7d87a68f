// Design positions and sizes are given in twips; controls are placed in whole pixels.
#pragma once

#include <QWidget>

#include "platform/twips.h"

namespace platform {

struct TwipsRect {
    int left, top, width, height;
};

inline void placeInTwips(QWidget& control, TwipsRect place) {
    control.setGeometry(twipsToPixels(place.left), twipsToPixels(place.top),
                        twipsToPixels(place.width), twipsToPixels(place.height));
}

} // namespace platform
