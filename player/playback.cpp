#include "player/playback.h"

#include "engine/calls.h"
#include "platform/modal_box.h"
#include "player/form1.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace player {

namespace {
// How often a quit that waits for a box to go down looks again.
constexpr int kQuitRetryMs = 50;
} // namespace

Playback::Playback(Form1& window) : window_(window) {
    connect(&window_, &Form1::statusTicked, this, &Playback::ticked);
}

const PlayerState& Playback::state() const {
    return window_.state();
}

uint64_t Playback::trackNumber() const {
    return window_.tracksStarted();
}

int Playback::listed() const {
    return window_.listed();
}

int Playback::volume() const {
    return window_.volume();
}

QIcon Playback::icon() const {
    return window_.windowIcon();
}

QByteArray Playback::picture() const {
    QString file = state().currentFile;
    QByteArray bytes;
    engine::vbmp3_getFilePicture(file, bytes);
    return bytes;
}

bool Playback::takesInput() const {
    return !platform::modalBoxShown();
}

void Playback::playPause() {
    if (takesInput()) {
        window_.PlayBtn_Click();
    }
}

void Playback::play() {
    const int32_t polled = state().playState;
    if (polled == engine::Stopped || polled == engine::Paused) {
        playPause();
    }
}

void Playback::pause() {
    if (state().playState == engine::Playing) {
        playPause();
    }
}

void Playback::stop() {
    if (takesInput()) {
        window_.StopBtn_Click();
    }
}

void Playback::next() {
    if (takesInput()) {
        window_.Image1_Click();
    }
}

void Playback::seekTo(int32_t second) {
    if (takesInput()) {
        window_.dragSeekBarTo(second);
    }
}

void Playback::setVolume(int position) {
    if (takesInput() && position != window_.volume()) {
        window_.moveVolumeSliderTo(position);
    }
}

void Playback::raise() {
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void Playback::quit() {
    if (takesInput()) {
        window_.close();
        return;
    }
    // The handler that raised the box goes on once it is down; the window closes after it, never
    // under it.
    if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        box->reject();
    }
    QTimer::singleShot(kQuitRetryMs, this, &Playback::quit);
}

} // namespace player
