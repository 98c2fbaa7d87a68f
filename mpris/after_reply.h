// A bus call is answered when its method returns. What it asks of the player runs after that,
// from the event loop, so that nothing the window does meanwhile (a modal box that waits for the
// user) holds the reply back.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <utility>

namespace mpris {

// Runs action once the current call has been answered; never if context is gone by then.
template <typename Action> void afterReply(QObject* context, Action action) {
    QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
}

} // namespace mpris
