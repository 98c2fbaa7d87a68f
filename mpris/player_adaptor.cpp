#include "mpris/player_adaptor.h"

#include "engine/calls.h"
#include "mpris/now_playing.h"
#include "platform/modal_box.h"
#include "player/form1.h"

namespace mpris {

namespace {
const QString kMetadata = QStringLiteral("Metadata");
const QString kPlaybackStatus = QStringLiteral("PlaybackStatus");
const QString kVolume = QStringLiteral("Volume");

// While the window's modal box is up its controls take no input, and neither does the bus.
bool windowTakesInput() {
    return !platform::modalBoxShown();
}
} // namespace

PlayerAdaptor::PlayerAdaptor(QObject* parent, player::Form1& form)
    : QDBusAbstractAdaptor(parent), form_(form) {
    const player::PlayerState& state = form_.state();
    published_.status = playbackStatus();
    published_.volume = form_.Slider1.Value();
    published_.file = state.currentFile;
    published_.totalMilliseconds = state.mpegInfo.totalMilliseconds;
    published_.seconds = state.playSeconds;
    published_.trackId = nextTrackId();
    published_.metadata = mpris::metadata(state, published_.trackId);
}

QString PlayerAdaptor::playbackStatus() const {
    return mpris::playbackStatus(form_.state().playState);
}

qlonglong PlayerAdaptor::position() const {
    return qlonglong{form_.state().playSeconds} * kMicrosecondsPerSecond;
}

double PlayerAdaptor::volume() const {
    return form_.Slider1.Value() / 100.0;
}

void PlayerAdaptor::setVolume(double volume) {
    const int position = sliderPosition(volume);
    // The slider raises its change only when it moves; so does the bus.
    if (windowTakesInput() && position != form_.Slider1.Value()) {
        form_.Slider1.setValueFromCode(position);
        form_.Slider1_Change();
    }
}

void PlayerAdaptor::PlayPause() {
    if (windowTakesInput()) {
        form_.PlayBtn_Click();
    }
}

void PlayerAdaptor::Play() {
    const int32_t state = form_.state().playState;
    if (windowTakesInput() && (state == engine::Stopped || state == engine::Paused)) {
        form_.PlayBtn_Click();
    }
}

void PlayerAdaptor::Pause() {
    if (windowTakesInput() && form_.state().playState == engine::Playing) {
        form_.PlayBtn_Click();
    }
}

void PlayerAdaptor::Stop() {
    if (windowTakesInput()) {
        form_.StopBtn_Click();
    }
}

void PlayerAdaptor::Next() {
    if (windowTakesInput()) {
        form_.Image1_Click();
    }
}

void PlayerAdaptor::Seek(qlonglong Offset) {
    if (!windowTakesInput() || !hasTrack(form_.state())) {
        return;
    }
    const int64_t target = seekTarget(form_.state().playSeconds, Offset);
    // The standard: a seek past the end goes on to the next track.
    if (lengthMicroseconds() > 0 && target > lengthMicroseconds()) {
        Next();
        return;
    }
    seekToSecond(wholeSeconds(target));
}

void PlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    // The standard: a stale track id, or a position outside the track, is ignored.
    if (!windowTakesInput() || TrackId != published_.trackId || published_.trackId == noTrackId() ||
        Position < 0 || (lengthMicroseconds() > 0 && Position > lengthMicroseconds())) {
        return;
    }
    seekToSecond(wholeSeconds(Position));
}

void PlayerAdaptor::seekToSecond(int32_t second) {
    // The thumb where a user's drag would leave it, then the drag's own handler.
    form_.scSeek.setValueFromCode(second);
    form_.scSeek_Scroll();
    published_.seconds = form_.state().playSeconds;
    emit Seeked(position());
}

qlonglong PlayerAdaptor::lengthMicroseconds() const {
    return qlonglong{form_.state().mpegInfo.totalMilliseconds} * (kMicrosecondsPerSecond / 1000);
}

QDBusObjectPath PlayerAdaptor::nextTrackId() {
    return hasTrack(form_.state()) ? trackId(++published_.tracks) : noTrackId();
}

QVariantMap PlayerAdaptor::takeTickChanges() {
    const player::PlayerState& state = form_.state();
    QVariantMap changed;
    const bool newTrack = state.currentFile != published_.file ||
                          state.mpegInfo.totalMilliseconds != published_.totalMilliseconds;
    if (newTrack) {
        published_.file = state.currentFile;
        published_.totalMilliseconds = state.mpegInfo.totalMilliseconds;
        published_.trackId = nextTrackId();
        published_.metadata = mpris::metadata(state, published_.trackId);
        changed[kMetadata] = published_.metadata;
    }
    const bool newState = playbackStatus() != published_.status;
    if (newState) {
        published_.status = playbackStatus();
        changed[kPlaybackStatus] = published_.status;
    }
    if (form_.Slider1.Value() != published_.volume) {
        published_.volume = form_.Slider1.Value();
        changed[kVolume] = volume();
    }
    const bool jumped =
        !newTrack && !newState &&
        positionJumped(published_.seconds, state.playSeconds, state.playState == engine::Playing);
    published_.seconds = state.playSeconds;
    if (jumped) {
        emit Seeked(position());
    }
    return changed;
}

} // namespace mpris
