#include "mpris/player_adaptor.h"

#include "mpris/after_reply.h"
#include "mpris/now_playing.h"

namespace mpris {

namespace {
const QString kMetadata = QStringLiteral("Metadata");
const QString kPlaybackStatus = QStringLiteral("PlaybackStatus");
const QString kVolume = QStringLiteral("Volume");
const QString kCanGoNext = QStringLiteral("CanGoNext");
const QString kCanPlay = QStringLiteral("CanPlay");

// Records a property's new value as published and as changed, if it differs from the last one.
template <typename T>
void publish(T& published, const T& now, QVariantMap& changed, const QString& name,
             const QVariant& value) {
    if (published != now) {
        published = now;
        changed[name] = value;
    }
}
} // namespace

PlayerAdaptor::PlayerAdaptor(QObject* parent, player::Playback& playback)
    : QDBusAbstractAdaptor(parent), playback_(playback) {
    published_.status = playbackStatus();
    published_.volume = playback_.volume();
    published_.canGoNext = canGoNext();
    published_.canPlay = canPlay();
    published_.seconds = playback_.state().playSeconds;
    published_.trackId = trackIdNow();
    published_.metadata = metadataNow();
}

QString PlayerAdaptor::playbackStatus() const {
    return mpris::playbackStatus(playback_.status());
}

qlonglong PlayerAdaptor::position() const {
    return qlonglong{playback_.state().playSeconds} * kMicrosecondsPerSecond;
}

double PlayerAdaptor::volume() const {
    return playback_.volume() / 100.0;
}

void PlayerAdaptor::setVolume(double volume) {
    const int position = sliderPosition(volume);
    afterReply(this, [this, position] { playback_.setVolume(position); });
}

bool PlayerAdaptor::canGoNext() const {
    return playback_.listed() > 0;
}

bool PlayerAdaptor::canPlay() const {
    return hasTrack(playback_.state());
}

void PlayerAdaptor::PlayPause() {
    afterReply(this, [this] {
        if (canPlay()) {
            playback_.playPause();
        }
    });
}

void PlayerAdaptor::Play() {
    afterReply(this, [this] {
        if (canPlay()) {
            playback_.play();
        }
    });
}

void PlayerAdaptor::Pause() {
    afterReply(this, [this] { playback_.pause(); });
}

void PlayerAdaptor::Stop() {
    afterReply(this, [this] { playback_.stop(); });
}

void PlayerAdaptor::Next() {
    afterReply(this, [this] { next(); });
}

void PlayerAdaptor::next() {
    // The standard: without a next track, Next does nothing.
    if (canGoNext()) {
        playback_.next();
    }
}

void PlayerAdaptor::Seek(qlonglong Offset) {
    afterReply(this, [this, Offset] { seek(Offset); });
}

void PlayerAdaptor::seek(qlonglong offset) {
    if (!hasTrack(playback_.state())) {
        return;
    }
    const int64_t target = seekTarget(playback_.state().playSeconds, offset);
    // The standard: a seek past the end goes on to the next track.
    if (lengthMicroseconds() > 0 && target > lengthMicroseconds()) {
        next();
        return;
    }
    seekToSecond(wholeSeconds(target));
}

void PlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    afterReply(this, [this, TrackId, Position] {
        // The standard: a stale track id, or a position outside the track, is ignored.
        if (TrackId != trackIdNow() || TrackId == noTrackId() || Position < 0 ||
            (lengthMicroseconds() > 0 && Position > lengthMicroseconds())) {
            return;
        }
        seekToSecond(wholeSeconds(Position));
    });
}

void PlayerAdaptor::seekToSecond(int32_t second) {
    if (!playback_.takesInput()) {
        return;
    }
    playback_.seekTo(second);
    published_.seconds = playback_.state().playSeconds;
    emit Seeked(position());
}

qlonglong PlayerAdaptor::lengthMicroseconds() const {
    return qlonglong{playback_.state().mpegInfo.totalMilliseconds} *
           (kMicrosecondsPerSecond / 1000);
}

QDBusObjectPath PlayerAdaptor::trackIdNow() const {
    return hasTrack(playback_.state()) ? trackId(playback_.trackNumber()) : noTrackId();
}

QVariantMap PlayerAdaptor::metadataNow() {
    QVariantMap out = mpris::metadata(playback_.state(), trackIdNow());
    if (hasTrack(playback_.state())) {
        const QString art = art_.url(
            playback_.trackNumber(), [this] { return playback_.picture(); }, playback_.icon());
        if (!art.isEmpty()) {
            out[QStringLiteral("mpris:artUrl")] = art;
        }
    }
    return out;
}

QVariantMap PlayerAdaptor::takeTickChanges() {
    const player::PlayerState& state = playback_.state();
    QVariantMap changed;
    const bool newTrack = trackIdNow() != published_.trackId;
    published_.trackId = trackIdNow();
    // A new track, or the same one's length as the engine has corrected it.
    const QVariantMap metadata = metadataNow();
    publish(published_.metadata, metadata, changed, kMetadata, metadata);
    const bool newState = playbackStatus() != published_.status;
    publish(published_.status, playbackStatus(), changed, kPlaybackStatus, playbackStatus());
    publish(published_.volume, playback_.volume(), changed, kVolume, volume());
    publish(published_.canGoNext, canGoNext(), changed, kCanGoNext, canGoNext());
    publish(published_.canPlay, canPlay(), changed, kCanPlay, canPlay());
    const bool jumped = !newTrack && !newState &&
                        positionJumped(published_.seconds, state.playSeconds,
                                       playback_.status() == player::PlayStatus::Playing);
    published_.seconds = state.playSeconds;
    if (jumped) {
        emit Seeked(position());
    }
    return changed;
}

} // namespace mpris
