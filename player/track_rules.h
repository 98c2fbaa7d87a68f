// The player's arithmetic and texts, free of controls and of the engine.
#pragma once

#include <QString>
#include <cstdint>

#include "player/player_state.h"

namespace player {

struct SeekRange {
    int16_t max;
    int16_t largeChange;
};

// The seek bar's maximum and large change for a track of totalSeconds; lengths beyond 16 bits are
// clamped to 32767 and 3277.
SeekRange seekRangeFor(int32_t totalSeconds);

// The entry drawn by r in [0, 1) from a list of count entries: floor(count * r), -1 when empty.
int16_t randomIndex(int16_t count, float r);

// "0:05", "12:34", "60:00": minutes are not folded into hours.
QString elapsedTimeText(int32_t seconds);

// The status bar's state text for an engine state.
QString stateText(int32_t playState);

// The window caption for a list entry: its name without the last four characters.
QString trackCaption(const QString& fileName);

// The ticker's caption for a step, and the step that follows it.
struct TickerItem {
    QString caption;
    int16_t nextStep;
};
TickerItem tickerItem(int16_t infoStep, const PlayerState& state);

// The folder the player counts as its own, from the path it was started by: the folder of that
// path as given (a symbolic link's own folder), searched in PATH when it names no folder.
QString programFolder(const QString& startedAs);

} // namespace player
