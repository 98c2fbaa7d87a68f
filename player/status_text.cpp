#include "player/status_text.h"

#include "engine/calls.h"

namespace player {

QString elapsedTimeText(int32_t seconds) {
    if (seconds < 10) {
        return QStringLiteral("0:0") + QString::number(seconds);
    }
    if (seconds < 60) {
        return QStringLiteral("0:") + QString::number(seconds);
    }
    const int32_t minutes = seconds / 60;
    const int32_t rest = seconds % 60;
    return QString::number(minutes) + (rest >= 10 ? QStringLiteral(":") : QStringLiteral(":0")) +
           QString::number(rest);
}

QString stateText(int32_t playState) {
    switch (playState) {
    case engine::Stopped:
        return QStringLiteral("現在の状況：停止中");
    case engine::Playing:
        return QStringLiteral("現在の状況：再生中");
    default:
        return QStringLiteral("現在の状況：一時停止中");
    }
}

} // namespace player
