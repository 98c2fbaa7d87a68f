#include "player/status_text.h"

#include "player/play_status.h"

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
    switch (playStatus(playState)) {
    case PlayStatus::Stopped:
        return QStringLiteral("現在の状況：停止中");
    case PlayStatus::Playing:
        return QStringLiteral("現在の状況：再生中");
    case PlayStatus::Paused:
        break;
    }
    return QStringLiteral("現在の状況：一時停止中");
}

} // namespace player
