// How the player reads the engine's state wherever it shows it.
#pragma once

#include <cstdint>

namespace player {

enum class PlayStatus { Stopped, Playing, Paused };

// Any state but stopped and playing reads paused.
PlayStatus playStatus(int32_t playState);

} // namespace player
