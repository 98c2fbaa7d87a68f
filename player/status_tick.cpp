#include "player/status_tick.h"

#include "engine/calls.h"
#include "player/rules.h"
#include "ui/form1_controls.h"
#include "visual/visualization.h"

#include <algorithm>

namespace player {

namespace {
// The status bar's panels, by position.
enum StatusPanel : int { StatePanel = 1, TimePanel = 2 };
} // namespace

StatusTick::StatusTick(Controls controls, PlayerState& state, TrackStart& trackStart)
    : controls_(controls), state_(state), trackStart_(trackStart) {}

void StatusTick::tick() {
    pollPlayState();
    followTrackLength();
    const engine::PlayState polledState = state_.playState;
    const int32_t polledSeconds = state_.playSeconds;
    controls_.seekBar.setValueFromCode(polledSeconds);
    if (trackEnded(polledSeconds)) {
        trackStart_.pickRandomEntry();
        trackStart_.takeSelectedFile();
        trackStart_.start();
    }
    controls_.playButton.setPicture(polledState == engine::Playing
                                        ? controls_.pausePicture.Picture()
                                        : controls_.playPicture.Picture());
    controls_.statusBar.setPanelText(TimePanel, elapsedTimeText(polledSeconds));
    followEngineVolume();
    if (polledState == engine::Playing) {
        GraphShow();
    }
}

void StatusTick::pollPlayState() {
    state_.playState = static_cast<engine::PlayState>(engine::vbmp3_getState(state_.playSeconds));
    controls_.statusBar.setPanelText(StatePanel, stateText(state_.playState));
}

// The engine may correct a track's length after the open (an MP3 without a header has its frames
// counted in the background): the window takes it at each tick, for the seek range, the
// end-of-track rule and the bus alike. The rest of the record stays as the start read it.
void StatusTick::followTrackLength() {
    engine::MpegInfo now{};
    if (!engine::succeeded(engine::vbmp3_getMpegInfo(now)) ||
        (now.totalSeconds == state_.mpegInfo.totalSeconds &&
         now.totalMilliseconds == state_.mpegInfo.totalMilliseconds)) {
        return;
    }
    state_.mpegInfo.totalSeconds = now.totalSeconds;
    state_.mpegInfo.totalMilliseconds = now.totalMilliseconds;
    trackStart_.fitSeekBar();
}

// A volume set outside the window (the sound server's panel) moves the slider as code does, so
// its Change is not raised and nothing is set back; the user's own hold on it comes first.
void StatusTick::followEngineVolume() {
    int32_t first = 0;
    int32_t second = 0;
    if (!engine::succeeded(engine::vbmp3_getVolume(first, second)) ||
        controls_.volumeSlider.isSliderDown()) {
        return;
    }
    const int32_t volume = std::max(first, second);
    if (volume != controls_.volumeSlider.Value()) {
        controls_.volumeSlider.setValueFromCode(volume);
    }
}

bool StatusTick::trackEnded(int32_t polledSeconds) const {
    return polledSeconds == state_.mpegInfo.totalSeconds - 1 || trackStart_.endsAtOnce();
}

void StatusTick::GraphShow() {
    visual::GraphShow(state_.viewMode, spectrumLevels_, controls_.wave,
                      static_cast<float>(ui::kForm1ScaleWidth));
}

} // namespace player
