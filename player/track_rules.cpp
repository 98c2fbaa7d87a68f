#include "player/track_rules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cmath>

namespace player {

SeekRange seekRangeFor(int32_t totalSeconds) {
    constexpr int32_t kLongest = 32767;
    const int32_t total = std::min(totalSeconds, kLongest);
    if (total <= 10) {
        return {static_cast<int16_t>(total), 1};
    }
    return {static_cast<int16_t>(total), static_cast<int16_t>(std::nearbyint(total / 10.0))};
}

int16_t randomIndex(int16_t count, float r) {
    if (count <= 0) {
        return -1;
    }
    const auto index = static_cast<int16_t>(std::floor(static_cast<double>(count) * r));
    return std::min<int16_t>(index, static_cast<int16_t>(count - 1));
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
    switch (playState) {
    case 0:
        return QStringLiteral("現在の状況：停止中");
    case 1:
        return QStringLiteral("現在の状況：再生中");
    default:
        return QStringLiteral("現在の状況：一時停止中");
    }
}

QString trackCaption(const QString& fileName) {
    return fileName.size() < 4 ? QString() : fileName.left(fileName.size() - 4);
}

TickerItem tickerItem(int16_t infoStep, const PlayerState& state) {
    switch (infoStep) {
    case 1:
        return {QStringLiteral("Artist：") + state.tagInfo.artist, 2};
    case 2:
        return {QStringLiteral("Album：") + state.tagInfo.album, 3};
    case 3:
        return {QStringLiteral("Track：") + state.tagInfo.title, 4};
    case 4:
        return {QStringLiteral("Genre：") + state.tagInfo.genreName, 5};
    default:
        return {QStringLiteral("Bitrate：") + QString::number(state.mpegInfo.bitRate) +
                    QStringLiteral("KB/s"),
                1};
    }
}

QString programFolder(const QString& startedAs) {
    QString path = startedAs;
    if (!path.isEmpty() && !path.contains(u'/')) {
        path = QStandardPaths::findExecutable(path);
    }
    if (path.isEmpty()) {
        return QCoreApplication::applicationDirPath();
    }
    // absolutePath() takes the folder of the path as given, without following a final link.
    return QDir::cleanPath(QFileInfo(path).absolutePath());
}

} // namespace player
