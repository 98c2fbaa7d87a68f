#include "player/form1.h"

#include "engine/calls.h"

namespace player {

void Form1::PlayBtn_Click() {
    switch (state_.playState) {
    case engine::Stopped:
        engine::vbmp3_play();
        break;
    case engine::Paused:
        engine::vbmp3_restart();
        break;
    default:
        engine::vbmp3_pause();
        break;
    }
}

void Form1::StopBtn_Click() {
    engine::vbmp3_stop();
}

void Form1::scSeek_Scroll() {
    seekToBarPosition();
}

void Form1::scSeek_GotFocus() {
    seekToBarPosition();
}

void Form1::seekToBarPosition() {
    state_.playSeconds = scSeek.Value();
    engine::vbmp3_seek(state_.playSeconds);
}

void Form1::Slider1_Change() {
    const int32_t first = Slider1.Value();
    const int32_t second = Slider1.Value();
    engine::vbmp3_setVolume(first, second);
}

int Form1::listed() const {
    return File1.ListCount();
}

int Form1::volume() const {
    return Slider1.Value();
}

void Form1::dragSeekBarTo(int32_t second) {
    scSeek.setValueFromCode(second);
    scSeek_Scroll();
}

void Form1::moveVolumeSliderTo(int position) {
    Slider1.setValueFromCode(position);
    Slider1_Change();
}

} // namespace player
