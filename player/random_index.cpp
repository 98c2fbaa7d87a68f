#include "player/random_index.h"

#include <algorithm>
#include <cmath>

namespace player {

int16_t randomIndex(int16_t count, float r) {
    if (count <= 0) {
        return -1;
    }
    const auto index = static_cast<int16_t>(std::floor(static_cast<double>(count) * r));
    return std::min<int16_t>(index, static_cast<int16_t>(count - 1));
}

} // namespace player
