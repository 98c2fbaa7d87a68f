#include "player/form1.h"

#include "engine/calls.h"
#include "player/status_text.h"

namespace player {

void Form1::pollPlayState() {
    state_.playState = engine::vbmp3_getState(state_.playSeconds);
    StatusBar1.setPanelText(1, stateText(state_.playState));
}

bool Form1::trackEnded(int32_t polledSeconds) const {
    if (polledSeconds == state_.mpegInfo.totalSeconds - 1) {
        return true;
    }
    // A file that would not open ends at once, but a folder of such files must not keep the user
    // in a round of "Open Error" boxes.
    return failedStartsInRow_ > 0 && failedStartsInRow_ < File1.ListCount();
}

void Form1::Timer1_Timer() {
    pollPlayState();
    const int32_t polledState = state_.playState;
    const int32_t polledSeconds = state_.playSeconds;
    scSeek.setValue(polledSeconds);
    if (trackEnded(polledSeconds)) {
        pickRandomTrack();
        takeSelectedFile();
        startTrack();
    }
    PlayBtn.setPicture(polledState == engine::Playing ? PauseImg.Picture() : PlayImg.Picture());
    StatusBar1.setPanelText(2, elapsedTimeText(polledSeconds));
    if (polledState == engine::Playing) {
        GraphShow();
    }
    emit statusTicked();
}

} // namespace player
