// The player as anything outside its window drives and watches it: the transport verbs, the
// player's state, and a signal at the end of each status tick. Each verb is the window's own
// control's handler, with the control set first where a user's move would set it, so what comes
// from outside and what the window does never differ.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QObject>
#include <cstdint>

#include "player/player_state.h"
#include "player/rules.h"

namespace player {

class Form1;

class Playback : public QObject {
    Q_OBJECT
public:
    explicit Playback(Form1& window);

    const PlayerState& state() const;
    PlayStatus status() const { return playStatus(state().playState); }
    // The number of the track now open: every start, of the same file too, takes the next one.
    uint64_t trackNumber() const;
    // How many entries the file list has to pick from.
    int listed() const;
    // The volume slider's position, 0 to 100.
    int volume() const;
    // The window's icon, the player's picture for desktop panels.
    QIcon icon() const;
    // The picture embedded in the current track's file (its front cover), as the file stores it,
    // read from the file at each call; empty without one.
    QByteArray picture() const;
    // False while the window's modal box waits for the user: its controls take no input then,
    // and no verb but raise and quit acts either.
    bool takesInput() const;

    void playPause();
    // The play button's click when it would play or resume, else nothing.
    void play();
    // The play button's click while playing, else nothing.
    void pause();
    void stop();
    // A random track, as the random-track button picks it.
    void next();
    // As a drag of the seek bar's thumb to that second.
    void seekTo(int32_t second);
    // As the user's move of the volume slider to that position; none when it stands there.
    void setVolume(int position);
    void raise();
    // As the close box; a modal box that is up is taken down first, as if answered.
    void quit();

signals:
    // At the end of each status tick, when the window shows what the tick polled.
    void ticked();

private:
    Form1& window_;
};

} // namespace player
