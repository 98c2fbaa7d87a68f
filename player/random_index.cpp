#include "player/random_index.h"

#include <algorithm>
#include <cmath>

namespace player {

int32_t randomIndex(int32_t count, float r) {
    if (count <= 0) {
        return -1;
    }
    const auto index = static_cast<int32_t>(std::floor(static_cast<double>(count) * r));
    return std::min(index, count - 1);
}

} // namespace player
