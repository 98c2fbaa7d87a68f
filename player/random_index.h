// Which entry a random draw picks.
#pragma once

#include <cstdint>

namespace player {

// The entry drawn by r in [0, 1) from a list of count entries: floor(count * r), -1 when empty.
int32_t randomIndex(int32_t count, float r);

} // namespace player
