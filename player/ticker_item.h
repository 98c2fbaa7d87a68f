// What the information label shows at each step of the ticker.
#pragma once

#include <QString>
#include <cstdint>

#include "player/player_state.h"

namespace player {

// The ticker's caption for a step, and the step that follows it.
struct TickerItem {
    QString caption;
    TickerStep nextStep;
};
TickerItem tickerItem(TickerStep infoStep, const PlayerState& state);

} // namespace player
