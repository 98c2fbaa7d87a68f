#include "mpris/media_player_service.h"

#include "mpris/player_adaptor.h"
#include "mpris/root_adaptor.h"
#include "player/playback.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QStringList>

namespace mpris {

namespace {
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.tonalisk");
} // namespace

MediaPlayerService::MediaPlayerService(player::Playback& playback, QDBusConnection connection)
    : connection_(std::move(connection)) {
    new RootAdaptor(this, playback);
    player_ = new PlayerAdaptor(this, playback);
    if (publish()) {
        connect(&playback, &player::Playback::ticked, this, &MediaPlayerService::afterTick);
    }
}

MediaPlayerService::~MediaPlayerService() {
    if (!serviceName_.isEmpty()) {
        connection_.unregisterService(serviceName_);
        connection_.unregisterObject(kObjectPath);
    }
}

bool MediaPlayerService::publish() {
    if (!connection_.isConnected() || !connection_.registerObject(kObjectPath, this)) {
        return false;
    }
    // A second player takes a name of its own beside the first, as the standard allows.
    for (const QString& name :
         {kServiceName, kServiceName + QStringLiteral(".instance") +
                            QString::number(QCoreApplication::applicationPid())}) {
        if (connection_.registerService(name)) {
            serviceName_ = name;
            return true;
        }
    }
    connection_.unregisterObject(kObjectPath);
    return false;
}

void MediaPlayerService::afterTick() {
    const QVariantMap changed = player_->takeTickChanges();
    if (changed.isEmpty()) {
        return;
    }
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    connection_.send(signal);
}

} // namespace mpris
