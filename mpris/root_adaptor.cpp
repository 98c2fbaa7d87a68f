#include "mpris/root_adaptor.h"

#include "mpris/after_reply.h"
#include "player/playback.h"

namespace mpris {

RootAdaptor::RootAdaptor(QObject* parent, player::Playback& playback)
    : QDBusAbstractAdaptor(parent), playback_(playback) {}

void RootAdaptor::Raise() {
    afterReply(this, [this] { playback_.raise(); });
}

void RootAdaptor::Quit() {
    afterReply(this, [this] { playback_.quit(); });
}

} // namespace mpris
