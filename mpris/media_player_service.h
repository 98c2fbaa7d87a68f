#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace player {
class Playback;
}

namespace mpris {

class PlayerAdaptor;

// The player on the session bus as an MPRIS2 media player, for media keys, the desktop's "now
// playing" and playerctl. Without a bus, or with its name refused, it stays off the bus and the
// player runs as it would without it.
class MediaPlayerService : public QObject {
    Q_OBJECT
public:
    MediaPlayerService(player::Playback& playback, QDBusConnection connection);
    ~MediaPlayerService() override;

    // The bus name taken, empty when the player is not on the bus.
    const QString& serviceName() const { return serviceName_; }

private:
    bool publish();
    void afterTick();

    QDBusConnection connection_;
    PlayerAdaptor* player_;
    QString serviceName_;
};

} // namespace mpris
