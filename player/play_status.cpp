#include "player/play_status.h"

#include "engine/calls.h"

namespace player {

PlayStatus playStatus(int32_t playState) {
    switch (playState) {
    case engine::Stopped:
        return PlayStatus::Stopped;
    case engine::Playing:
        return PlayStatus::Playing;
    default:
        return PlayStatus::Paused;
    }
}

} // namespace player
