#include "player/rules.h"

#include "engine/calls.h"

#include <algorithm>
#include <cmath>

namespace player {

SeekRange seekRangeFor(int32_t totalSeconds) {
    if (totalSeconds <= 10) {
        return {totalSeconds, 1};
    }
    return {totalSeconds, static_cast<int32_t>(std::nearbyint(totalSeconds / 10.0))};
}

int32_t randomIndex(int32_t count, float r) {
    if (count <= 0) {
        return -1;
    }
    const auto index = static_cast<int32_t>(std::floor(static_cast<double>(count) * r));
    return std::min(index, count - 1);
}

PlayStatus playStatus(int32_t playState) {
    switch (playState) {
    case engine::Stopped:
        return PlayStatus::Stopped;
    case engine::Playing:
        return PlayStatus::Playing;
    default:
        return PlayStatus::Paused;
    }
}

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

QString trackCaption(const QString& fileName) {
    return fileName.size() < 4 ? QString() : fileName.left(fileName.size() - 4);
}

TickerItem tickerItem(TickerStep infoStep, const PlayerState& state) {
    switch (infoStep) {
    case TickerStep::Artist:
        return {QStringLiteral("Artist：") + state.tagInfo.artist, TickerStep::Album};
    case TickerStep::Album:
        return {QStringLiteral("Album：") + state.tagInfo.album, TickerStep::Title};
    case TickerStep::Title:
        return {QStringLiteral("Track：") + state.tagInfo.title, TickerStep::Genre};
    case TickerStep::Genre:
        return {QStringLiteral("Genre：") + state.tagInfo.genreName, TickerStep::BitRate};
    default:
        return {QStringLiteral("Bitrate：") + QString::number(state.mpegInfo.bitRate) +
                    QStringLiteral("KB/s"),
                TickerStep::Artist};
    }
}

} // namespace player
