// What the status bar says: the engine's state and the elapsed time.
#pragma once

#include <QString>
#include <cstdint>

namespace player {

// "0:05", "12:34", "60:00": minutes are not folded into hours.
QString elapsedTimeText(int32_t seconds);

// The status bar's state text for an engine state.
QString stateText(int32_t playState);

} // namespace player
