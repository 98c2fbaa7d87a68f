#pragma once

#include <QString>
#include <cstdint>

#include "engine/records.h"
#include "visual/view_mode.h"

namespace player {

// The main window's run-time variables; zero, empty or all-zero records when it is created.
struct PlayerState {
    engine::InputInfo inputInfo;
    int32_t playState = 0;
    int32_t playSeconds = 0;
    engine::TagInfo tagInfo;
    engine::MpegInfo mpegInfo{};
    QString currentFile;
    int16_t infoStep = 0;
    visual::ViewMode viewMode = visual::ViewMode::NotSet;
};

} // namespace player
