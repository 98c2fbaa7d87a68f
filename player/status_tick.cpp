#include "player/form1.h"

#include "engine/calls.h"
#include "player/status_panel.h"
#include "player/status_text.h"

#include <algorithm>

namespace player {

void Form1::pollPlayState() {
    state_.playState = static_cast<engine::PlayState>(engine::vbmp3_getState(state_.playSeconds));
    StatusBar1.setPanelText(StatePanel, stateText(state_.playState));
}

// The engine may correct a track's length after the open (an MP3 without a header has its frames
// counted in the background): the window takes it at each tick, for the seek range, the
// end-of-track rule and the bus alike. The rest of the record stays as the start read it.
void Form1::followTrackLength() {
    engine::MpegInfo now{};
    if (!engine::succeeded(engine::vbmp3_getMpegInfo(now)) ||
        (now.totalSeconds == state_.mpegInfo.totalSeconds &&
         now.totalMilliseconds == state_.mpegInfo.totalMilliseconds)) {
        return;
    }
    state_.mpegInfo.totalSeconds = now.totalSeconds;
    state_.mpegInfo.totalMilliseconds = now.totalMilliseconds;
    setSeekRange();
}

// A volume set outside the window (the sound server's panel) moves the slider as code does, so
// its Change is not raised and nothing is set back; the user's own hold on it comes first.
void Form1::followEngineVolume() {
    int32_t first = 0;
    int32_t second = 0;
    if (!engine::succeeded(engine::vbmp3_getVolume(first, second)) || Slider1.isSliderDown()) {
        return;
    }
    const int32_t volume = std::max(first, second);
    if (volume != Slider1.Value()) {
        Slider1.setValueFromCode(volume);
    }
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
    followTrackLength();
    const engine::PlayState polledState = state_.playState;
    const int32_t polledSeconds = state_.playSeconds;
    scSeek.setValueFromCode(polledSeconds);
    if (trackEnded(polledSeconds)) {
        pickRandomTrack();
        takeSelectedFile();
        startTrack();
    }
    PlayBtn.setPicture(polledState == engine::Playing ? PauseImg.Picture() : PlayImg.Picture());
    StatusBar1.setPanelText(TimePanel, elapsedTimeText(polledSeconds));
    followEngineVolume();
    if (polledState == engine::Playing) {
        GraphShow();
    }
    emit statusTicked();
}

} // namespace player
