// The status tick: the engine's state and elapsed time polled and shown, the track's end followed
// by the next track, and what changed outside the window (the track's length, the volume) taken
// up.
#pragma once

#include <cstdint>

#include "platform/h_scroll_bar.h"
#include "platform/image_control.h"
#include "platform/picture_box.h"
#include "platform/slider.h"
#include "platform/status_bar.h"
#include "player/player_state.h"
#include "player/track_start.h"
#include "visual/spectrum_levels.h"

namespace player {

class StatusTick {
public:
    // The controls a tick shows its findings on.
    struct Controls {
        platform::StatusBar& statusBar;
        platform::HScrollBar& seekBar;
        platform::ImageControl& playButton;
        const platform::ImageControl& playPicture;
        const platform::ImageControl& pausePicture;
        platform::Slider& volumeSlider;
        platform::PictureBox& wave;
    };

    StatusTick(Controls controls, PlayerState& state, TrackStart& trackStart);

    // One tick of the status timer.
    void tick();

private:
    void pollPlayState();
    void followTrackLength();
    void followEngineVolume();
    bool trackEnded(int32_t polledSeconds) const;
    void GraphShow();

    const Controls controls_;
    PlayerState& state_;
    TrackStart& trackStart_;
    visual::SpectrumLevels spectrumLevels_;
};

} // namespace player
