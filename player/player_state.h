#pragma once

#include <QString>
#include <cstdint>

#include "engine/calls.h"
#include "engine/records.h"
#include "visual/view_mode.h"

namespace player {

// What the information ticker shows next. A step outside the cycle shows the bit rate, as the last
// step does.
enum class TickerStep : int16_t { NotStarted = 0, Artist = 1, Album, Title, Genre, BitRate };

// The main window's run-time variables; zero, empty or all-zero records when it is created.
struct PlayerState {
    engine::InputInfo inputInfo;
    engine::PlayState playState = engine::Stopped; // as polled last; may be none of the three
    int32_t playSeconds = 0;
    engine::TagInfo tagInfo;
    engine::MpegInfo mpegInfo{};
    QString currentFile;
    TickerStep infoStep = TickerStep::NotStarted;
    visual::ViewMode viewMode = visual::ViewMode::NotSet;
};

} // namespace player
