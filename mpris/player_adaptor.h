#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QVariantMap>
#include <cstdint>

#include "mpris/art_file.h"

namespace player {
class Playback;
}

namespace mpris {

// org.mpris.MediaPlayer2.Player: the player's transport as media keys, shell panels and playerctl
// use it. Every call is answered at once; what it asks of the player runs right after the answer.
class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(double Rate READ one WRITE setRate)
    Q_PROPERTY(double MinimumRate READ one CONSTANT)
    Q_PROPERTY(double MaximumRate READ one CONSTANT)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ no CONSTANT)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ yes CONSTANT)
    Q_PROPERTY(bool CanSeek READ yes CONSTANT)
    Q_PROPERTY(bool CanControl READ yes CONSTANT)
public:
    PlayerAdaptor(QObject* parent, player::Playback& playback);

    QString playbackStatus() const;
    // As of the last status tick, which also tells of a new track.
    QVariantMap metadata() const { return published_.metadata; }
    qlonglong position() const;
    double volume() const;
    void setVolume(double volume);
    double one() const { return 1.0; }
    // The player plays at its one rate only; the standard has other rates ignored.
    void setRate(double) {}
    // A random pick needs an entry in the list; playing needs a file named to play.
    bool canGoNext() const;
    bool canPlay() const;
    bool yes() const { return true; }
    bool no() const { return false; }

    // Called after each status tick: brings the published track, state, volume and abilities up to
    // the player's, returns the properties that changed (for PropertiesChanged), and raises Seeked
    // if the position jumped in the window (a drag of the seek bar, a restart of the same file).
    QVariantMap takeTickChanges();

public slots:
    void PlayPause();
    void Play();
    void Pause();
    void Stop();
    void Next();
    void Previous() {}
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong Position);

private:
    void next();
    void seek(qlonglong offset);
    void seekToSecond(int32_t second);
    qlonglong lengthMicroseconds() const;
    // The id of the track open now; the published one may be a tick behind it.
    QDBusObjectPath trackIdNow() const;
    // The metadata of the track open now, with its picture.
    QVariantMap metadataNow();

    // What the bus was last told.
    struct Published {
        QString status;
        int volume = 0;
        bool canGoNext = false;
        bool canPlay = false;
        int32_t seconds = 0;
        QDBusObjectPath trackId;
        QVariantMap metadata;
    };

    player::Playback& playback_;
    ArtFile art_;
    Published published_;
};

} // namespace mpris
