// The window's pure rules: what its controls show for the engine's answers and the list's
// entries, apart from the controls and the engine's calls.
#pragma once

#include <QString>
#include <cstdint>

#include "player/player_state.h"

namespace player {

// The seek bar's range for a track.
struct SeekRange {
    int32_t max;
    int32_t largeChange;
};

// The seek bar's maximum and large change (a tenth, at least 1) for a track of totalSeconds.
SeekRange seekRangeFor(int32_t totalSeconds);

// The entry drawn by r in [0, 1) from a list of count entries: floor(count * r), -1 when empty.
int32_t randomIndex(int32_t count, float r);

// How the player reads the engine's state wherever it shows it.
enum class PlayStatus { Stopped, Playing, Paused };

// Any state but stopped and playing reads paused.
PlayStatus playStatus(int32_t playState);

// The status bar's elapsed time: "0:05", "12:34", "60:00"; minutes are not folded into hours.
QString elapsedTimeText(int32_t seconds);

// The status bar's state text for an engine state.
QString stateText(int32_t playState);

// The window caption for a list entry: its name without the last four characters.
QString trackCaption(const QString& fileName);

// The information label's caption for a step of its ticker, and the step that follows it.
struct TickerItem {
    QString caption;
    TickerStep nextStep;
};
TickerItem tickerItem(TickerStep infoStep, const PlayerState& state);

} // namespace player
